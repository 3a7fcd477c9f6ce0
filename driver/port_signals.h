#pragma once
#include <cstdint>

#include "platform/register_port.h"

namespace driver {

// What every command packet says about the socket: the common 10-byte header.
struct PacketHeader {
    uint32_t argument = 0;
    int16_t readSupply = 0;
    int16_t powerMode = 0;
    uint8_t supplySelect = 0;   // S, added to the data-register patterns
    uint8_t resetPolarity = 0;  // 1 while the reset line is active high
};

// Reads the header from the first 10 bytes of a packet.
PacketHeader ParseHeader(const uint8_t* packet);

// The three registers of the port the driver owns, addressed from its base.
class PortSignals {
public:
    PortSignals(platform::RegisterPort& port, uint16_t base) : port(port), base(base) {}

    void Data(uint8_t value) { port.Write(base, value); }
    void Control(uint8_t value) { port.Write(static_cast<uint16_t>(base + 2), value); }
    uint8_t Status() { return port.Read(static_cast<uint16_t>(base + 1)); }
    // Status bit 4: the PROM's serial output.
    bool DataBit() { return (Status() & 0x10) != 0; }

    // One address clock with the pattern of the header's power mode.
    void ClockAddress(const PacketHeader& header);
    void ClockAddresses(const PacketHeader& header, uint32_t count);

private:
    platform::RegisterPort& port;
    uint16_t base;
};

// Busy-waits on the process clock (virtual under the simulator).
void DelayMilliseconds(uint32_t milliseconds);

}  // namespace driver
