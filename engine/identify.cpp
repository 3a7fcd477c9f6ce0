// Finds out which catalogue type sits in the socket and reads its option bits.
#include <algorithm>
#include <string>
#include <vector>

#include "engine/access_path.h"
#include "engine/programmer.h"
#include "engine/status_line.h"
#include "protocol/port_driver_protocol.h"

using namespace port_driver;

namespace {

constexpr uint16_t kManufacturerCode = 0xC9;
// Clock counts of the express-output and busy-pin option bits of extended devices.
constexpr uint32_t kExpressOutputClocks = 0x200A0;
constexpr uint32_t kBusyPinClocks = 0x200C0;

// One place to look for an identifier: every type that shares an identifier position is
// programmed at the same supply, so one probe per (clocks, supply) pair finds them all.
struct Probe {
    uint32_t idClocks;
    int16_t supplyCode;
};

std::vector<Probe> BuildProbeList(const DeviceCatalog& catalog) {
    std::vector<Probe> probes;
    for (size_t i = 0; i < catalog.GetCount(); ++i) {
        const PromDevice& device = catalog.GetAt(i);
        const bool known = std::any_of(probes.begin(), probes.end(), [&device](const Probe& probe) {
            return probe.idClocks == device.idClocks && probe.supplyCode == device.programSupply;
        });
        if (!known) {
            probes.push_back({device.idClocks, device.programSupply});
        }
    }
    return probes;
}

// Walks the whole catalogue, naming each entry on the status line, for the first type that
// sits at this identifier position with this device code.
const PromDevice* MatchDevice(const DeviceCatalog& catalog, uint32_t idClocks, uint16_t deviceCode) {
    for (size_t i = 0; i < catalog.GetCount(); ++i) {
        const PromDevice& device = catalog.GetAt(i);
        SetStatusText("Checking: " + device.name);
        if (device.idClocks == idClocks && device.idCode == deviceCode) {
            return &device;
        }
    }
    return nullptr;
}

// Shifts one identifier byte out of the part, most significant bit first. `value` may already
// hold the top bit, taken before any clock; the others each follow a rise of the clock bit.
uint16_t ShiftInCode(Programmer& programmer, uint8_t s, uint16_t value, int highestBit) {
    const uint16_t data = programmer.portBase;
    const uint16_t status = programmer.portBase + 1;
    for (int bit = highestBit; bit >= 0; --bit) {
        programmer.WritePort(data, 0xC8 + s);
        programmer.WritePort(data, 0xC8 + s);
        programmer.WritePort(data, 0xC9 + s);
        if (programmer.ReadPort(status) & 0x10) {
            value |= static_cast<uint16_t>(1u << bit);
        }
    }
    return value;
}

}  // namespace

bool Programmer::Identify(bool withOptions) {
    currentDevice = nullptr;
    const std::vector<Probe> probes = BuildProbeList(*this);

    ShowStatusLine();
    SetStatusText("Part Identify");
    std::string probeText = "Part Identify: ";
    for (const Probe& probe : probes) {
        if (MustEnd()) {
            failureText = EndedText();
            break;
        }
        probeText += '.';
        SetStatusText(probeText);
        uint16_t deviceCode = 0;
        if (ReadIdentifier(probe.idClocks, probe.supplyCode, deviceCode) != kManufacturerCode) {
            continue;
        }
        const PromDevice* match = MatchDevice(*this, probe.idClocks, deviceCode);
        if (!match) {
            continue;
        }
        HideStatusLine();
        currentDevice = match;
        if (!withOptions) {
            return true;
        }
        ReadOptionBits();
        if (MustEnd()) {
            // Option bits read without the port are not the part's.
            failureText = EndedText();
            currentDevice = nullptr;
            return false;
        }
        // A part pulled, or a programmer that lost power or cable, reads as all option bits
        // programmed: the part must still present its identifier after them.
        if (ReadIdentifier(probe.idClocks, probe.supplyCode, deviceCode) != kManufacturerCode ||
            deviceCode != match->idCode) {
            failureText = "The PROM stopped answering during identification: it was taken out, or the "
                          "programmer lost its power or its cable";
            currentDevice = nullptr;
            return false;
        }
        return ResizeBuffer(match->sizeBits / 8);
    }
    HideStatusLine();
    if (MustEnd()) {
        failureText = EndedText();
    }
    return false;
}

uint16_t Programmer::ReadIdentifier(uint32_t clockCount, int16_t supplyCode, uint16_t& deviceCode) {
    uint16_t manufacturer = 0;
    deviceCode = 0;
    SetPowerMode(POWER_PROGRAM, supplyCode);
    Delay(100);
    manufacturer = Path().ReadIdentifierCodes(clockCount, supplyCode, deviceCode);
    SetPowerMode(POWER_OFF, supplyCode);
    return manufacturer;
}

void Programmer::ReadOptionBits() {
    if (!currentDevice) {
        return;
    }
    const int16_t supply = currentDevice->programSupply;
    SetPowerMode(POWER_PROGRAM, supply);
    Path().ReadOptionBit(currentDevice->optionClocks, resetPolarity);
    if (IsExtended(*currentDevice)) {
        // Each option bit needs its own power-up: the clocks count from where it leaves the part.
        SetPowerMode(POWER_OFF, supply);
        SetPowerMode(POWER_PROGRAM, supply);
        Path().ReadOptionBit(kExpressOutputClocks, expressOutput);
        SetPowerMode(POWER_OFF, supply);
        SetPowerMode(POWER_PROGRAM, supply);
        Path().ReadOptionBit(kBusyPinClocks, busyPin);
    } else {
        // A part without these bits must not inherit an earlier extended part's settings.
        expressOutput = 1;
        busyPin = 1;
    }
    SetPowerMode(POWER_OFF, supply);
}

uint16_t DirectPath::ReadIdentifierCodes(uint32_t clockCount, int16_t supplyCode, uint16_t& deviceCode) {
    const uint8_t s = SupplySelect(supplyCode);
    const uint16_t data = programmer.portBase;
    for (uint32_t i = 0; i < clockCount; ++i) {
        programmer.ClockAddress(supplyCode);
    }
    programmer.WritePort(data, 0xD8 + s);
    Delay(1);
    programmer.WritePort(data, 0xC8 + s);
    // The manufacturer's top bit is out before any clock.
    const uint16_t topBit = (programmer.ReadPort(data + 1) & 0x10) ? 0x80 : 0;
    const uint16_t manufacturer = ShiftInCode(programmer, s, topBit, 6);
    deviceCode = ShiftInCode(programmer, s, 0, 7);
    return manufacturer;
}

uint16_t DriverPath::ReadIdentifierCodes(uint32_t clockCount, int16_t supplyCode, uint16_t& deviceCode) {
    PortLink& link = programmer.link;
    // The identifier position is always probed with the 5 V read supply in the packet.
    link.FillRequestHeader(clockCount, 50, POWER_PROGRAM, SupplySelect(supplyCode));
    if (!link.SendRequest(kIdentifierRead, kHeaderSize, kSmallOutputSize)) {
        return 0;
    }
    deviceCode = Get16(link.requestBuffer.data() + 2);
    return Get16(link.requestBuffer.data());
}

// The option is 1 while its bit is unprogrammed (status bit 5 reads 0).
void DirectPath::ReadOptionBit(uint32_t clockCount, int32_t& option) {
    const PromDevice& device = *programmer.currentDevice;
    const uint8_t s = SupplySelect(device.programSupply);
    const uint16_t data = programmer.portBase;
    programmer.WritePort(data, 0xD9 + s);
    programmer.WritePort(data, 0xD1 + s);
    for (uint32_t i = 0; i < clockCount; ++i) {
        programmer.ClockAddress(device.programSupply);
    }
    programmer.WritePort(data, 0xD9 + s);
    programmer.WritePort(data, 0xC9 + s);
    option = (programmer.ReadPort(data + 1) & 0x20) ? 0 : 1;
    programmer.WritePort(data, 0xD9 + s);
}

void DriverPath::ReadOptionBit(uint32_t clockCount, int32_t& option) {
    const PromDevice& device = *programmer.currentDevice;
    PortLink& link = programmer.link;
    link.FillRequestHeader(clockCount, device.readSupply, POWER_PROGRAM, SupplySelect(device.programSupply));
    if (link.SendRequest(kOptionBitRead, kHeaderSize, kSmallOutputSize)) {
        option = link.requestBuffer[0];
    }
}
