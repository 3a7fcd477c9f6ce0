#include "buffer/hex_text.h"

namespace hex_text {
namespace {

constexpr std::array<uint8_t, 65536> MakeFieldPairs() {
    std::array<uint8_t, 65536> pairs{};
    for (unsigned high = 0; high < 256; ++high) {
        for (unsigned low = 0; low < 256; ++low) {
            pairs[high | low << 8] = FieldByte(static_cast<uint8_t>(high), static_cast<uint8_t>(low));
        }
    }
    return pairs;
}

}  // namespace

// Ready before main(), whether built at compile time or at start-up.
const std::array<uint8_t, 65536> kFieldPairs = MakeFieldPairs();

}  // namespace hex_text
