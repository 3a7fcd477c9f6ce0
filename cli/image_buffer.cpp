#include "cli/image_buffer.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <new>

namespace cli {
namespace {

constexpr size_t kHugePageSize = 2 * 1024 * 1024;
// Below this a buffer is a handful of pages; rounding it up to a huge page would only waste memory.
constexpr size_t kHugePageThreshold = 256 * 1024;

}  // namespace

ImageBuffer::ImageBuffer(uint32_t size) : size_(size) {
    // One byte at least, so data() is never null.
    size_t allocated = size == 0 ? 1 : size;
    const bool huge = allocated >= kHugePageThreshold;
    if (huge) {
        allocated = (allocated + kHugePageSize - 1) / kHugePageSize * kHugePageSize;
    }
    bytes_ = static_cast<uint8_t*>(huge ? std::aligned_alloc(kHugePageSize, allocated) : std::malloc(allocated));
    if (bytes_ == nullptr) {
        throw std::bad_alloc();
    }
    if (huge) {
        // Only a hint: without huge pages the buffer works the same, a little slower.
        ::madvise(bytes_, allocated, MADV_HUGEPAGE);
    }
    std::memset(bytes_, 0xFF, size);
}

ImageBuffer::~ImageBuffer() { std::free(bytes_); }

}  // namespace cli
