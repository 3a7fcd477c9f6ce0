#include "buffer/buffer_checksum.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

uint16_t BufferChecksum(const uint8_t* data, uint32_t length) {
    // Eight bytes at a time: the even and the odd bytes of a word are added in four 16-bit
    // lanes, which are emptied before any of them could overflow. Summing wide and cutting to
    // 16 bits at the end gives the same as a 16-bit running sum.
    constexpr uint64_t kLowBytes = 0x00FF00FF00FF00FFu;
    constexpr size_t kWordsPerRound = 128;   // 128 x 2 x 255 < 65536
    uint32_t sum = 0;
    size_t i = 0;
    while (length - i >= 8) {
        const size_t words = std::min<size_t>((length - i) / 8, kWordsPerRound);
        uint64_t lanes = 0;
        for (size_t w = 0; w < words; ++w, i += 8) {
            uint64_t word = 0;
            std::memcpy(&word, data + i, sizeof word);
            lanes += (word & kLowBytes) + ((word >> 8) & kLowBytes);
        }
        for (int lane = 0; lane < 4; ++lane) {
            sum += static_cast<uint32_t>(lanes >> (16 * lane)) & 0xFFFFu;
        }
    }
    for (; i < length; ++i) {
        sum += data[i];
    }
    return static_cast<uint16_t>(sum);
}
