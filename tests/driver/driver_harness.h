#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "driver/port_driver.h"
#include "protocol/port_driver_protocol.h"
#include "platform/clock.h"
#include "platform/device_transport.h"
#include "recording_port.h"
#include "sim/virtual_clock.h"

// Builds a command packet: the 10-byte header followed by `data`.
inline std::vector<uint8_t> CommandPacket(uint32_t argument, int16_t readSupply, int16_t powerMode,
                                          uint8_t supplySelect, uint8_t resetPolarity,
                                          const std::vector<uint8_t>& data = {}) {
    std::vector<uint8_t> packet(port_driver::kHeaderSize);
    port_driver::Put32(packet.data(), argument);
    port_driver::Put16(packet.data() + 4, static_cast<uint16_t>(readSupply));
    port_driver::Put16(packet.data() + 6, static_cast<uint16_t>(powerMode));
    packet[8] = supplySelect;
    packet[9] = resetPolarity;
    // Grown, then copied into: g++ 12 warns (-Wstringop-overflow) about inserting here.
    packet.resize(port_driver::kHeaderSize + data.size());
    std::copy(data.begin(), data.end(), packet.begin() + port_driver::kHeaderSize);
    return packet;
}

// A program-chunk packet: header, word size, device code, the words.
inline std::vector<uint8_t> ProgramPacket(uint32_t words, int16_t readSupply, uint8_t supplySelect,
                                          uint8_t wordSize, uint8_t idCode,
                                          const std::vector<uint8_t>& data) {
    std::vector<uint8_t> packet = CommandPacket(words, readSupply, 3, supplySelect, 1);
    packet.push_back(wordSize);
    packet.push_back(idCode);
    packet.insert(packet.end(), data.begin(), data.end());
    return packet;
}

// The port driver installed over a recording port, with one handle open on it.
class DriverHarness {
public:
    static constexpr const char* kName = "test port driver";

    explicit DriverHarness(const std::string& baseStorePath = "") {
        platform::SetProcessClock(&clock);   // the driver's waits cost no real time
        driver::InstallPortDriver(kName, [this](uint16_t base, std::string& error) {
            openedBases.push_back(base);
            if (refuseBases) {
                error = "no port here";
                return std::unique_ptr<platform::RegisterPort>();
            }
            port.base = base;
            return driver::BorrowPort(port);
        }, baseStorePath);
        handle = platform::OpenDevice(kName);
    }
    ~DriverHarness() {
        platform::CloseDevice(handle);
        driver::RemovePortDriver(kName);
        platform::SetProcessClock(nullptr);
    }

    // Sends a request the way the station does: input and output in one buffer of
    // `bufferSize` bytes. Keeps the whole buffer in `buffer` for inspection.
    bool Send(uint32_t code, const std::vector<uint8_t>& packet, uint32_t outSize,
              uint32_t bufferSize = 4096, uint8_t filler = 0xEE) {
        buffer.assign(bufferSize, filler);
        std::copy(packet.begin(), packet.end(), buffer.begin());
        returned = 12345;
        return platform::ControlDevice(handle, code, buffer.data(), static_cast<uint32_t>(packet.size()),
                                       buffer.data(), outSize, &returned);
    }
    uint32_t AnswerField() const { return port_driver::Get32(buffer.data()); }

    // No pulse running and the PROM's output at 0, unless a test scripts otherwise.
    static RecordingPort IdlePort() {
        RecordingPort idle;
        idle.idleStatus = 0x80;
        return idle;
    }

    sim::VirtualClock clock;
    RecordingPort port = IdlePort();
    std::vector<uint16_t> openedBases;
    bool refuseBases = false;
    platform::DeviceHandle handle = platform::kNoDevice;
    std::vector<uint8_t> buffer;
    uint32_t returned = 0;
};
