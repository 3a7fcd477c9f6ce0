#pragma once
// Feeds one fuzz input to a record reader as a real file and checks what must hold for any
// input: the reader stays inside the buffer (the sanitizers watch that), its status is one of
// the three, and its result does not depend on what the buffer held before.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "buffer/record_file.h"

namespace fuzz {

struct Outcome {
    uint32_t count = 0;
    uint32_t status = STATUS_NONE;
};

// Buffers of exactly `capacity` bytes, so an overrun is caught at once; kept across inputs
// (as the file object is) because fresh large allocations for every input slow fuzzing down.
struct Buffers {
    explicit Buffers(uint32_t size)
        : capacity(size), zeros(std::make_unique<uint8_t[]>(size)), ones(std::make_unique<uint8_t[]>(size)) {}
    uint32_t capacity;
    std::unique_ptr<uint8_t[]> zeros;
    std::unique_ptr<uint8_t[]> ones;
};

// One in-memory file, rewritten for every input and opened by path like any file.
inline const std::string& InputPath(const uint8_t* bytes, size_t size) {
    static const int fd = memfd_create("record-input", MFD_CLOEXEC);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (fd < 0 || ftruncate(fd, 0) != 0 ||
        (size > 0 && pwrite(fd, bytes, size, 0) != static_cast<ssize_t>(size))) {
        std::abort();
    }
    return path;
}

template <typename Read>
Outcome ReadWithFill(const std::string& path, uint8_t* data, uint32_t capacity, uint8_t fill, Read read) {
    static RecordFile file;
    std::memset(data, fill, capacity);
    if (!file.Open(path)) {
        std::abort();
    }
    Outcome outcome;
    outcome.count = read(file, data, capacity, outcome.status);
    if (file.HasError()) {
        std::abort();
    }
    file.Close();
    return outcome;
}

// True when every byte that either read changed holds the same value in both. Kept out of the
// coverage instrumentation: its comparisons say nothing about the reader.
__attribute__((no_sanitize("coverage"))) inline bool SameBytesWritten(const Buffers& buffers) {
    for (uint32_t i = 0; i < buffers.capacity; ++i) {
        const bool written = buffers.zeros[i] != 0x00 || buffers.ones[i] != 0xFF;
        if (written && buffers.zeros[i] != buffers.ones[i]) {
            return false;
        }
    }
    return true;
}

// `read(file, data, capacity, status)` runs the reader. Aborts when an invariant breaks.
template <typename Read>
void CheckReader(const uint8_t* bytes, size_t size, Read read, uint32_t maxCountOverCapacity) {
    // A tiny buffer reaches the capacity paths, one past 64 KiB the address-record paths.
    static Buffers small(16);
    static Buffers large(65536 + 16);
    const std::string& path = InputPath(bytes, size);
    for (Buffers* buffers : {&small, &large}) {
        const uint32_t capacity = buffers->capacity;
        const Outcome zeros = ReadWithFill(path, buffers->zeros.get(), capacity, 0x00, read);
        const Outcome ones = ReadWithFill(path, buffers->ones.get(), capacity, 0xFF, read);
        if (zeros.count != ones.count || zeros.status != ones.status || ones.status > STATUS_CHECKSUM) {
            std::abort();
        }
        if (maxCountOverCapacity != UINT32_MAX && ones.count > capacity + maxCountOverCapacity) {
            std::abort();
        }
        if (!SameBytesWritten(*buffers)) {
            std::abort();
        }
    }
}

}  // namespace fuzz
