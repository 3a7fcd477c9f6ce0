// The lowest operations on the programmer: register access, waits, power modes and clocks.
#include <cstdio>

#include "link/port_link.h"
#include "link/port_channels.h"
#include "protocol/port_driver_protocol.h"
#include "platform/clock.h"

using namespace port_driver;

namespace {

constexpr uint16_t kControlOffset = 2;

// Data-register base pattern of the powered socket in read mode, by read supply code.
// Returns false for a supply the programmer has no read pattern for.
bool ReadModePattern(const PromDevice* device, uint8_t supplySelect, uint8_t& pattern) {
    if (!device) {
        return false;
    }
    if (device->readSupply == 50) {
        pattern = static_cast<uint8_t>(0xC0 + supplySelect);
        return true;
    }
    if (device->readSupply == 33) {
        pattern = static_cast<uint8_t>(0xE0 + supplySelect);
        return true;
    }
    return false;
}

}  // namespace

void Delay(int32_t milliseconds) {
    platform::Clock& clock = platform::ProcessClock();
    uint64_t startMs = clock.NowMicroseconds() / 1000;
    if (milliseconds <= 0) {
        return;
    }
    clock.WaitUntilMicroseconds((startMs + static_cast<uint64_t>(milliseconds)) * 1000);
}

void PortLink::WritePort(uint16_t port, uint8_t value) {
    channel->Write(port, value);
}

uint8_t PortLink::ReadPort(uint16_t port) {
    return channel->Read(port);
}

void DirectChannel::Write(uint16_t port, uint8_t value) {
    if (link.directPort) {
        link.directPort->Write(port, value);
    }
}

uint8_t DirectChannel::Read(uint16_t port) {
    return link.directPort ? link.directPort->Read(port) : 0;
}

void DriverChannel::Write(uint16_t port, uint8_t value) {
    if (!link.driverOpened || link.driverHandle == platform::kNoDevice) {
        return;
    }
    uint8_t* packet = link.requestBuffer.data();
    Put32(packet, static_cast<uint8_t>(port - link.socket.portBase));
    packet[4] = value;
    link.SendRequest(kWriteRegister, 5, kSmallOutputSize);
    if (!link.lastResult) {
        std::printf("Error: DeviceIoControl\n");
    }
}

uint8_t DriverChannel::Read(uint16_t port) {
    Put32(link.requestBuffer.data(), static_cast<uint8_t>(port - link.socket.portBase));
    return link.SendRequest(kReadRegister, 4, kSmallOutputSize) ? link.requestBuffer[0] : 0;
}

void PortLink::SetPowerMode(int16_t mode, int16_t supplyCode) {
    const uint16_t data = socket.portBase;
    const uint16_t control = socket.portBase + kControlOffset;
    const uint8_t s = SupplySelect(supplyCode);
    switch (mode) {
    case POWER_PROGRAM:
        WritePort(data, 0x18 + s);
        WritePort(control, 0x01);
        WritePort(data, 0xD8 + s);
        Delay(200);
        WritePort(data, 0x98 + s);
        Delay(50);
        WritePort(data, 0x99 + s);
        Delay(10);
        WritePort(data, 0x98 + s);
        WritePort(data, 0x99 + s);
        Delay(10);
        WritePort(data, 0xD9 + s);
        Delay(10);
        WritePort(data, 0xD8 + s);
        WritePort(data, 0xD9 + s);
        WritePort(data, 0xD8 + s);
        break;
    case POWER_READ: {
        WritePort(data, socket.resetPolarity == 1 ? 0xDC : 0xD4);
        WritePort(control, 0x01);
        Delay(200);
        uint8_t pattern = 0;
        if (ReadModePattern(socket.currentDevice, 0, pattern)) {
            WritePort(data, pattern);
        } else {
            WritePort(data, 0x02);
            WritePort(control, 0x0B);
        }
        Delay(1000);
        ResetAddressCounter();
        break;
    }
    case POWER_OFF:
        WritePort(data, 0xC0 + s);
        Delay(10);
        WritePort(data, 0x02);
        WritePort(control, 0x0B);
        Delay(1000);
        break;
    default:
        break;
    }
    socket.powerMode = mode;
}

void PortLink::ResetAddressCounter() {
    const uint16_t data = socket.portBase;
    uint8_t v = 0;
    const uint8_t s = socket.currentDevice ? SupplySelect(socket.currentDevice->programSupply) : 0;
    if (!ReadModePattern(socket.currentDevice, s, v)) {
        WritePort(data, 0x02);
        WritePort(socket.portBase + kControlOffset, 0x0B);
        return;
    }
    if (socket.resetPolarity == 1) {
        WritePort(data, v);
        WritePort(data, v + 0x08);
        WritePort(data, v);
    } else {
        WritePort(data, v + 0x08);
        WritePort(data, v);
        WritePort(data, v + 0x08);
    }
}

void PortLink::ClockAddress(int16_t supplyCode) {
    channel->ClockAddress(supplyCode);
}

void DirectChannel::ClockAddress(int16_t supplyCode) {
    link.ClockAddressOnRegisters(supplyCode);
}

void DriverChannel::ClockAddress(int16_t supplyCode) {
    const SocketState& socket = link.socket;
    link.FillRequestHeader(1, socket.currentDevice ? socket.currentDevice->readSupply : 0, socket.powerMode,
                           SupplySelect(supplyCode));
    link.SendRequest(kAddressClock, kHeaderSize, kSmallOutputSize);
}

void PortLink::ClockAddressOnRegisters(int16_t supplyCode) {
    const uint8_t s = SupplySelect(supplyCode);
    const uint16_t data = socket.portBase;
    if (socket.powerMode == POWER_PROGRAM) {
        WritePort(data, 0xD9 + s);
        WritePort(data, 0xD0 + s);
        WritePort(data, 0xD0 + s);
        WritePort(data, 0xD1 + s);
        WritePort(data, 0xD9 + s);
    } else if (socket.powerMode == POWER_READ) {
        uint8_t v = 0;
        if (!ReadModePattern(socket.currentDevice, s, v)) {
            WritePort(data, 0x02);
            WritePort(socket.portBase + kControlOffset, 0x0B);
            return;
        }
        if (socket.resetPolarity != 1) {
            v += 0x08;
        }
        WritePort(data, v + 1);
        WritePort(data, v);
    }
}
