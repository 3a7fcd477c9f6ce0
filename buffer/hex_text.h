#pragma once
// The hexadecimal text of record files: characters to byte values and back, a byte or sixteen
// at a time. Kept inline: the readers and writers call these for every byte of a file.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace hex_text {

inline constexpr char kDigits[] = "0123456789ABCDEF";

// Hexadecimal digits (either case) give 0-15; every other character its own code or 255.
constexpr std::array<uint8_t, 256> MakeDigitValues(bool othersKeepTheirCode) {
    std::array<uint8_t, 256> values{};
    for (unsigned c = 0; c < 256; ++c) {
        values[c] = othersKeepTheirCode ? static_cast<uint8_t>(c) : 255;
    }
    for (unsigned d = 0; d < 10; ++d) {
        values['0' + d] = static_cast<uint8_t>(d);
    }
    for (unsigned d = 0; d < 6; ++d) {
        values['A' + d] = static_cast<uint8_t>(10 + d);
        values['a' + d] = static_cast<uint8_t>(10 + d);
    }
    return values;
}
// Intel Hex fields keep the code of a non-digit (the record checksum is the only check).
inline constexpr std::array<uint8_t, 256> kFieldValues = MakeDigitValues(true);
inline constexpr std::array<uint8_t, 256> kDigitValues = MakeDigitValues(false);

// The two digits of every byte value, "00" to "FF".
constexpr std::array<std::array<char, 2>, 256> MakeBytePairs() {
    std::array<std::array<char, 2>, 256> pairs{};
    for (unsigned value = 0; value < 256; ++value) {
        pairs[value] = {kDigits[value >> 4], kDigits[value & 15]};
    }
    return pairs;
}
inline constexpr std::array<std::array<char, 2>, 256> kBytePairs = MakeBytePairs();

// One Intel Hex field byte from two characters: ((c1 x 16) OR (c2 AND 15)) AND 255, where a
// character that is not a digit counts with its own code.
constexpr uint8_t FieldByte(uint8_t high, uint8_t low) {
    return static_cast<uint8_t>((kFieldValues[high] << 4) | (kFieldValues[low] & 15));
}

// FieldByte of every pair of characters, indexed by first + 256 x second (built in hex_text.cpp:
// some compilers cannot build a table this size at compile time).
extern const std::array<uint8_t, 65536> kFieldPairs;

// FieldByte of the two characters at `characters`, by one look-up.
inline uint8_t FieldByteAt(const uint8_t* characters) {
    return kFieldPairs[characters[0] | characters[1] << 8];
}

using Sixteen = uint8_t __attribute__((vector_size(16)));

// The values of 16 characters, and whether every one of them is a hexadecimal digit.
inline Sixteen DigitValues(Sixteen characters, bool& allDigits) {
    const Sixteen fromZero = characters - '0';
    const Sixteen fromA = (characters | 0x20) - 'a';   // either case
    const auto isDigit = reinterpret_cast<Sixteen>(fromZero < 10);
    const auto isLetter = reinterpret_cast<Sixteen>(fromA < 6);
    const Sixteen either = isDigit | isLetter;
    uint64_t valid[2];
    std::memcpy(valid, &either, sizeof valid);
    allDigits = allDigits && (valid[0] & valid[1]) == UINT64_MAX;
    return (fromZero & isDigit) | ((fromA + 10) & isLetter);
}

// Decodes 32 characters into 16 bytes when every one of them is a hexadecimal digit; false,
// with nothing written, when any is not.
inline bool DecodeSixteen(const uint8_t* characters, uint8_t* into) {
    Sixteen halves[2];
    std::memcpy(halves, characters, sizeof halves);
    bool allDigits = true;
    const Sixteen first = DigitValues(halves[0], allDigits);
    const Sixteen second = DigitValues(halves[1], allDigits);
    if (!allDigits) {
        return false;
    }
    const Sixteen high = __builtin_shufflevector(first, second, 0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30);
    const Sixteen low = __builtin_shufflevector(first, second, 1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21, 23, 25, 27, 29, 31);
    const Sixteen bytes = (high << 4) | low;
    std::memcpy(into, &bytes, sizeof bytes);
    return true;
}

// The sum of 16 bytes: eight at a time, in four 16-bit lanes that cannot overflow here.
inline uint32_t SumOfSixteen(const uint8_t* bytes) {
    constexpr uint64_t kLowBytes = 0x00FF00FF00FF00FFu;
    uint64_t words[2];
    std::memcpy(words, bytes, sizeof words);
    const uint64_t lanes = (words[0] & kLowBytes) + ((words[0] >> 8) & kLowBytes) + (words[1] & kLowBytes) +
                           ((words[1] >> 8) & kLowBytes);
    return static_cast<uint32_t>((lanes * 0x0001000100010001u) >> 48);
}

// Writes the two digits of the low byte of `value`; returns the end.
inline char* PutByte(char* out, unsigned value) {
    std::memcpy(out, kBytePairs[value & 0xFF].data(), 2);
    return out + 2;
}

// The digits of bytes[0, length), each byte also added to `sum`.
inline char* PutBytes(char* out, const uint8_t* bytes, uint32_t length, uint32_t& sum) {
    for (uint32_t k = 0; k < length; ++k) {
        sum += bytes[k];
        out = PutByte(out, bytes[k]);
    }
    return out;
}

// The same for 16 bytes at once.
inline char* PutSixteen(char* out, const uint8_t* bytes, uint32_t& sum) {
    Sixteen values;
    std::memcpy(&values, bytes, sizeof values);
    const Sixteen high = values >> 4;
    const Sixteen low = values & 15;
    // Digits in order: high and low nibble of byte 0, of byte 1, ...
    Sixteen first = __builtin_shufflevector(high, low, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23);
    Sixteen second = __builtin_shufflevector(high, low, 8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31);
    // '0'-'9', and 'A'-'F' seven characters further on.
    first += '0' + (reinterpret_cast<Sixteen>(first > 9) & 7);
    second += '0' + (reinterpret_cast<Sixteen>(second > 9) & 7);
    std::memcpy(out, &first, sizeof first);
    std::memcpy(out + 16, &second, sizeof second);
    sum += SumOfSixteen(bytes);
    return out + 32;
}

}  // namespace hex_text
