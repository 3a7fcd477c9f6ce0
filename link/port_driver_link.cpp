// The station's side of the port driver: open, close, version and request sending.
#include <cstring>

#include "link/port_link.h"
#include "link/port_channels.h"
#include "platform/platform_value.h"
#include "link/operator_notice.h"
#include "protocol/port_driver_protocol.h"

using namespace port_driver;

namespace {
constexpr uint32_t kVersionDirectMode = 125;
constexpr uint32_t kVersionNotOpen = 126;
constexpr uint32_t kVersionNoAnswer = 127;
}  // namespace

bool PortLink::OpenDriver() {
    driverHandle = platform::OpenDevice(kDeviceName);
    if (driverHandle == platform::kNoDevice) {
        ShowWarning(
            "Device driver not installed or not operating properly. Please verify device 'Kvaldev' "
            "is installed and started in the Control Panel -- Devices applet",
            "Kvaldev Device Error");
        return false;
    }
    driverPortFailure.clear();
    bool baseTaken = true;
    if (driverOpened) {
        // Only a re-open tells the driver the port base; the first open of a run sends none.
        Put32(requestBuffer.data(), socket.portBase);
        baseTaken = SendRequest(kSetPortBase, 4, kSmallOutputSize);
    }
    driverOpened = true;
    return baseTaken;
}

void PortLink::CloseDriver() {
    if (driverHandle != platform::kNoDevice) {
        platform::CloseDevice(driverHandle);
        driverHandle = platform::kNoDevice;
    }
}

PortLink::PortLink(uint32_t platformVersion, platform::RegisterPort* port, SocketState socket)
    : platformValue(platform::PlatformFamily(platformVersion)), directPort(port),
      requestBuffer(kRequestBufferSize, 0), socket(socket) {
    if (IsDirectMode()) {
        channel = std::make_unique<DirectChannel>(*this);
    } else {
        channel = std::make_unique<DriverChannel>(*this);
    }
}

PortLink::~PortLink() {
    CloseDriver();
}

void PortLink::Connect() {
    if (!IsDirectMode()) {
        OpenDriver();
    }
}

bool PortLink::IsDirectMode() const {
    return platformValue == platform::kDirectPortFamily;
}

uint32_t PortLink::GetDriverVersion() {
    if (IsDirectMode()) {
        return kVersionDirectMode;
    }
    if (driverHandle == platform::kNoDevice) {
        return kVersionNotOpen;
    }
    Put32(requestBuffer.data(), kVersionNoAnswer);
    if (!SendRequest(kVersion, kHeaderSize, kSmallOutputSize)) {
        return kVersionNotOpen;
    }
    return requestBuffer[0];
}

void PortLink::FillRequestHeader(uint32_t argument, int16_t readSupply, int16_t mode,
                                   uint8_t supplySelect) {
    uint8_t* packet = requestBuffer.data();
    Put32(packet + kArgumentOffset, argument);
    Put16(packet + kReadSupplyOffset, static_cast<uint16_t>(readSupply));
    Put16(packet + kPowerModeOffset, static_cast<uint16_t>(mode));
    packet[kSupplySelectOffset] = supplySelect;
    packet[kResetPolarityOffset] = static_cast<uint8_t>(socket.resetPolarity);
}

bool PortLink::SendRequest(uint32_t code, uint32_t inSize, uint32_t outSize) {
    if (!driverOpened || driverHandle == platform::kNoDevice) {
        return false;
    }
    bytesReturned = 0;
    lastResult = platform::ControlDevice(driverHandle, code, requestBuffer.data(), inSize,
                                         requestBuffer.data(), outSize, &bytesReturned);
    if (!lastResult) {
        // A request refused for its fields leaves no text: the port itself still answers.
        driverPortFailure = platform::DeviceErrorText(driverHandle);
    }
    return lastResult && bytesReturned > 0;
}

bool PortLink::AccessLost() const {
    if (IsDirectMode()) {
        return directPort && directPort->AccessLost();
    }
    return !driverPortFailure.empty();
}

std::string PortLink::LostAccessText() const {
    if (IsDirectMode()) {
        return directPort ? directPort->LostAccessText() : std::string();
    }
    return driverPortFailure;
}
