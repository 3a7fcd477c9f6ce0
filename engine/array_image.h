#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "catalog/prom_device.h"

// The image that programming and verify take from the data buffer. The current part may be
// larger than the buffer (the program command accepts a change to a bigger type): bytes past
// the buffer's end are never read and stand for erased bytes.
struct ArrayImage {
    const uint8_t* data;
    uint32_t length;

    uint8_t operator[](uint32_t index) const {
        return data && index < length ? data[index] : uint8_t{0xFF};
    }

    // Copies `count` bytes from `offset` into `out`, erased bytes past the buffer's end.
    void CopyTo(uint8_t* out, uint32_t offset, uint32_t count) const {
        const uint32_t available = data && offset < length ? std::min(count, length - offset) : 0;
        if (available > 0) {
            std::memcpy(out, data + offset, available);
        }
        std::memset(out + available, 0xFF, count - available);
    }
};

inline uint32_t WordBytes(const PromDevice& device) {
    return device.wordSize / 8u;
}

// Bytes per port-driver request: one thirty-second of the part in whole words, and at least
// one word, so that a part of fewer than 32 words still moves on.
inline uint32_t DriverChunkBytes(const PromDevice& device) {
    const uint32_t chunk = device.sizeBits / device.wordSize / 32u * WordBytes(device);
    return std::max({chunk, WordBytes(device), 1u});
}

// A percentage of `total`, truncated; exactly 100 when `done` reaches `total`.
inline uint16_t PercentOf(uint64_t done, uint64_t total) {
    return static_cast<uint16_t>(static_cast<double>(done) * 100.0 / static_cast<double>(total));
}
