#include "driver/port_signals.h"

#include "protocol/port_driver_protocol.h"
#include "platform/clock.h"

namespace driver {

PacketHeader ParseHeader(const uint8_t* packet) {
    using namespace port_driver;
    PacketHeader header;
    header.argument = Get32(packet + kArgumentOffset);
    header.readSupply = static_cast<int16_t>(Get16(packet + kReadSupplyOffset));
    header.powerMode = static_cast<int16_t>(Get16(packet + kPowerModeOffset));
    header.supplySelect = packet[kSupplySelectOffset];
    header.resetPolarity = packet[kResetPolarityOffset];
    return header;
}

void PortSignals::ClockAddress(const PacketHeader& header) {
    const uint8_t s = header.supplySelect;
    if (header.powerMode == 3) {
        Data(0xD9 + s);
        Data(0xD0 + s);
        Data(0xD0 + s);
        Data(0xD1 + s);
        Data(0xD9 + s);
    } else if (header.powerMode == 2) {
        uint8_t v = 0;
        if (header.readSupply == 50) {
            v = 0xC0 + s;
        } else if (header.readSupply == 33) {
            v = 0xE0 + s;
        } else {
            // A supply the read mode has no pattern for: leave the socket off.
            Data(0x02);
            Control(0x0B);
            return;
        }
        if (header.resetPolarity != 1) {
            v += 0x08;
        }
        Data(v + 1);
        Data(v);
    }
}

void PortSignals::ClockAddresses(const PacketHeader& header, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        ClockAddress(header);
    }
}

void DelayMilliseconds(uint32_t milliseconds) {
    platform::Clock& clock = platform::ProcessClock();
    clock.WaitUntilMicroseconds(clock.NowMicroseconds() + uint64_t{milliseconds} * 1000);
}

}  // namespace driver
