#include "buffer/hex_text.h"

namespace hex_text {
namespace {

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

constexpr std::array<uint8_t, 65536> MakeFieldPairs() {
    constexpr std::array<uint8_t, 256> kFieldValueTable = MakeDigitValues(true);
    std::array<uint8_t, 65536> pairs{};
    for (unsigned high = 0; high < 256; ++high) {
        for (unsigned low = 0; low < 256; ++low) {
            pairs[high | low << 8] = static_cast<uint8_t>((kFieldValueTable[high] << 4) | (kFieldValueTable[low] & 15));
        }
    }
    return pairs;
}

constexpr std::array<std::array<char, 2>, 256> MakeBytePairs() {
    std::array<std::array<char, 2>, 256> pairs{};
    for (unsigned value = 0; value < 256; ++value) {
        pairs[value] = {kDigits[value >> 4], kDigits[value & 15]};
    }
    return pairs;
}

}  // namespace

const std::array<uint8_t, 256> kFieldValues = MakeDigitValues(true);
const std::array<uint8_t, 256> kDigitValues = MakeDigitValues(false);
// Some compilers build this table at start-up instead of compile time; either way it is ready
// before main().
const std::array<uint8_t, 65536> kFieldPairs = MakeFieldPairs();
const std::array<std::array<char, 2>, 256> kBytePairs = MakeBytePairs();

}  // namespace hex_text
