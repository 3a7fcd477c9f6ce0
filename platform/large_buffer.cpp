#include "platform/large_buffer.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>

namespace platform {
namespace {

constexpr size_t kHugePageSize = 2 * 1024 * 1024;
// Below this a buffer is a handful of pages; rounding it up to a huge page would waste memory.
constexpr size_t kHugePageThreshold = 256 * 1024;

uint8_t* Allocate(size_t size) {
    if (size < kHugePageThreshold) {
        return static_cast<uint8_t*>(std::malloc(size == 0 ? 1 : size));
    }
    const size_t rounded = (size + kHugePageSize - 1) / kHugePageSize * kHugePageSize;
    auto* bytes = static_cast<uint8_t*>(std::aligned_alloc(kHugePageSize, rounded));
    if (bytes != nullptr) {
        // Only a hint: without huge pages the buffer works the same, a little slower.
        ::madvise(bytes, rounded, MADV_HUGEPAGE);
    }
    return bytes;
}

}  // namespace

LargeBuffer::LargeBuffer(size_t size) : bytes_(Allocate(size)) {
    if (!bytes_) {
        throw std::bad_alloc();
    }
}

void LargeBuffer::Release::operator()(uint8_t* bytes) const { std::free(bytes); }

}  // namespace platform
