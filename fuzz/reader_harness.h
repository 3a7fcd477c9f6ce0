#pragma once
// Feeds one fuzz input to a record reader as a file in memory and checks what must hold for any
// input: the reader stays inside the buffer (the sanitizers watch that), its status is one of
// the three, and its result does not depend on what the buffer held before.
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

// Buffers of exactly `capacity` bytes (a multiple of 8), so an overrun is caught at once; kept
// across inputs (as the file object is) and filled once: after each input the check puts back
// only the words a read changed, instead of filling the whole buffer again for every read.
struct Buffers {
    explicit Buffers(uint32_t size)
        : capacity(size), zeros(std::make_unique<uint8_t[]>(size)), ones(std::make_unique<uint8_t[]>(size)) {
        if (size % 8 != 0) {
            std::abort();
        }
        std::memset(zeros.get(), 0x00, size);
        std::memset(ones.get(), 0xFF, size);
    }
    uint32_t capacity;
    std::unique_ptr<uint8_t[]> zeros;
    std::unique_ptr<uint8_t[]> ones;
};

// The input is read from memory: a file on disk would cost more in system calls than the
// reader costs in work.
template <typename Read>
Outcome ReadOnce(const uint8_t* bytes, size_t size, uint8_t* data, uint32_t capacity, Read read) {
    static RecordFile file;
    if (!file.OpenInMemory(bytes, size)) {
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

// True when every byte that either read changed holds the same value in both; fills both
// buffers back. Kept out of the instrumentation: its comparisons say nothing about the reader,
// and it only touches the harness's own buffers.
__attribute__((no_sanitize("address", "coverage", "undefined"))) inline bool SameBytesWrittenThenRefill(Buffers& buffers) {
    uint8_t* const zeros = buffers.zeros.get();
    uint8_t* const ones = buffers.ones.get();
    const uint32_t capacity = buffers.capacity;
    // Whole untouched pieces are skipped in one vectorised pass; most inputs write a few bytes
    // of a 64 KiB buffer.
    constexpr uint32_t kPiece = 4096;
    bool same = true;
    for (uint32_t i = 0; i < capacity; i += 8) {
        if (i % kPiece == 0 && capacity - i >= kPiece) {
            uint64_t changed = 0;
            for (uint32_t k = i; k < i + kPiece; k += 8) {
                uint64_t zero = 0;
                uint64_t one = 0;
                __builtin_memcpy(&zero, zeros + k, 8);
                __builtin_memcpy(&one, ones + k, 8);
                changed |= zero | ~one;
            }
            if (changed == 0) {
                i += kPiece - 8;
                continue;
            }
        }
        uint64_t zero = 0;
        uint64_t one = 0;
        __builtin_memcpy(&zero, zeros + i, 8);
        __builtin_memcpy(&one, ones + i, 8);
        if ((zero | ~one) == 0) {
            continue;   // neither read wrote here
        }
        for (uint32_t k = i; k < i + 8; ++k) {
            const bool written = zeros[k] != 0x00 || ones[k] != 0xFF;
            same = same && (!written || zeros[k] == ones[k]);
        }
        __builtin_memset(zeros + i, 0x00, 8);
        __builtin_memset(ones + i, 0xFF, 8);
    }
    return same;
}

// `read(file, data, capacity, status)` runs the reader. Aborts when an invariant breaks.
template <typename Read>
void CheckReader(const uint8_t* bytes, size_t size, Read read, uint32_t maxCountOverCapacity) {
    // A tiny buffer reaches the capacity paths, one past 64 KiB the address-record paths. The
    // input's length chooses which (so a finding reproduces): every input is still read twice,
    // over both fillings, at half the cost of reading it at both sizes.
    static Buffers small(16);
    static Buffers large(65536 + 16);
    {
        Buffers* const buffers = size % 2 == 0 ? &small : &large;
        const uint32_t capacity = buffers->capacity;
        const Outcome zeros = ReadOnce(bytes, size, buffers->zeros.get(), capacity, read);
        const Outcome ones = ReadOnce(bytes, size, buffers->ones.get(), capacity, read);
        if (zeros.count != ones.count || zeros.status != ones.status || ones.status > STATUS_CHECKSUM) {
            std::abort();
        }
        if (maxCountOverCapacity != UINT32_MAX && ones.count > capacity + maxCountOverCapacity) {
            std::abort();
        }
        if (!SameBytesWrittenThenRefill(*buffers)) {
            std::abort();
        }
    }
}

}  // namespace fuzz
