#include "driver/identifier_requests.h"

namespace driver {
namespace {

// Takes bits `highestBit` down to 0 into `value`, each after a rise of the clock bit.
uint8_t ShiftOutBits(PortSignals& signals, uint8_t s, uint8_t value, int highestBit) {
    for (int bit = highestBit; bit >= 0; --bit) {
        signals.Data(0xC8 + s);
        signals.Data(0xC8 + s);
        signals.Data(0xC9 + s);
        value |= static_cast<uint8_t>(signals.DataBit() << bit);
    }
    return value;
}

}  // namespace

IdentifierCodes ReadIdentifierCodes(PortSignals& signals, const PacketHeader& header) {
    const uint8_t s = header.supplySelect;
    signals.ClockAddresses(header, header.argument);
    signals.Data(0xD8 + s);
    DelayMilliseconds(1);
    signals.Data(0xC8 + s);

    // The manufacturer's first bit is visible before any clock.
    const uint8_t firstBit = static_cast<uint8_t>(signals.DataBit() << 7);
    IdentifierCodes codes;
    codes.manufacturer = ShiftOutBits(signals, s, firstBit, 6);
    codes.device = ShiftOutBits(signals, s, 0, 7);
    return codes;
}

uint8_t ReadOptionBit(PortSignals& signals, const PacketHeader& header) {
    const uint8_t s = header.supplySelect;
    signals.Data(0xD9 + s);
    signals.Data(0xD1 + s);
    signals.ClockAddresses(header, header.argument);
    signals.Data(0xD9 + s);
    signals.Data(0xC9 + s);
    const bool optionBitSet = (signals.Status() & 0x20) != 0;
    signals.Data(0xD9 + s);
    return optionBitSet ? 0 : 1;
}

}  // namespace driver
