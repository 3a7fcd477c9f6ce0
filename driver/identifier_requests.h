#pragma once
#include <cstdint>

#include "driver/port_signals.h"

namespace driver {

struct IdentifierCodes {
    uint16_t manufacturer = 0;
    uint16_t device = 0;
};

// After the header's number of address clocks from the programming power-up, shifts out the
// manufacturer and device codes, most significant bit first.
IdentifierCodes ReadIdentifierCodes(PortSignals& signals, const PacketHeader& header);

// After the header's number of address clocks, reads one option bit: 1 while it is unprogrammed
// (status bit 5 reads 0), else 0.
uint8_t ReadOptionBit(PortSignals& signals, const PacketHeader& header);

}  // namespace driver
