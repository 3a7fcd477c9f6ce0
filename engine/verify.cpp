// Margin verify: compares the whole part with the buffer and reports the first difference.
#include <algorithm>
#include <bit>
#include <cstdio>
#include <string>

#include "engine/access_path.h"
#include "engine/array_image.h"
#include "engine/programmer.h"
#include "engine/status_line.h"
#include "protocol/port_driver_protocol.h"

using namespace port_driver;

namespace {

constexpr uint8_t kDataBit = 0x10;            // status bit 4: the part's serial output
constexpr uint8_t kChipEnableOutput = 0x20;   // status bit 5: /CEO

template <typename... Values>
std::string Format(const char* format, Values... values) {
    char text[160];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

bool DriverIsOpen(const Programmer& programmer) {
    return programmer.link.driverOpened && programmer.link.driverHandle != platform::kNoDevice;
}

// The driver compares chunk by chunk. A chunk it does not answer is not verified, so the
// verify cannot pass; without an open driver nothing is sent and the progress stays 0.
bool VerifyByDriver(Programmer& programmer, uint16_t& progress, const ArrayImage& image) {
    const PromDevice& device = *programmer.currentDevice;
    const uint32_t length = device.sizeBits / 8;
    const uint32_t chunkLimit = DriverChunkBytes(device);
    const int16_t mode = IsExtended(device) ? POWER_PROGRAM : POWER_READ;
    uint8_t* packet = programmer.link.requestBuffer.data();
    uint32_t remaining = length;
    while (remaining > 0) {
        if (programmer.MustEnd()) {
            programmer.failureText = programmer.EndedText();
            return false;
        }
        const uint32_t chunk = std::min(chunkLimit, remaining);
        const uint32_t offset = length - remaining;
        programmer.link.FillRequestHeader(chunk, device.readSupply, mode, SupplySelect(device.programSupply));
        image.CopyTo(packet + kHeaderSize, offset, chunk);
        const bool sent = DriverIsOpen(programmer);
        if (programmer.link.SendRequest(kVerifyChunk, length + kHeaderSize, kRequestBufferSize)) {
            const uint32_t matched = Get32(packet);
            if (matched < chunk) {
                programmer.failureText = Format(
                    "Failed Margin Verify in the data word beginning at byte location %x ", offset + matched);
                return false;
            }
            progress = 100;
        } else if (sent) {
            programmer.failureText =
                Format("Margin Verify got no answer from the port driver at byte location %x ", offset);
            return false;
        }
        remaining -= chunk;
        ShowProgress(length - remaining, length, "Part Verify");
    }
    return true;
}

// Extended parts, in programming mode: the part presents a word, shifted out with data clocks.
bool VerifyWords(Programmer& programmer, uint16_t& progress, const ArrayImage& image) {
    const PromDevice& device = *programmer.currentDevice;
    const uint32_t length = device.sizeBits / 8;
    const uint32_t wordBytes = WordBytes(device);
    const uint8_t s = SupplySelect(device.programSupply);
    const uint16_t data = programmer.portBase;
    const uint16_t status = programmer.portBase + 1;
    bool matched = true;
    for (uint32_t pos = 0; pos < length; pos += wordBytes) {
        if (programmer.MustEnd()) {
            programmer.failureText = programmer.EndedText();
            return false;
        }
        programmer.WritePort(data, 0xC8 + s);
        for (uint32_t b = 0; b < wordBytes; ++b) {
            uint8_t value = 0;
            for (int j = 0; j < 8; ++j) {
                programmer.WritePort(data, 0xC8 + s);
                if (programmer.ReadPort(status) & kDataBit) {
                    value |= static_cast<uint8_t>(1u << j);
                }
                programmer.WritePort(data, 0xC9 + s);
            }
            if (value != image[pos + b]) {
                programmer.failureText = Format("Failed Margin Verify at byte location %x ", pos + b);
                matched = false;
                // The rest of this pass runs once more at the end, then the loop ends.
                pos = length;
                break;
            }
        }
        programmer.WritePort(data, 0xD9 + s);
        progress = PercentOf(pos + wordBytes, length);
        programmer.ClockAddress(device.programSupply);
        if (pos % 100 == 0) {
            ShowProgress(pos, length, "Part Verify");
        }
    }
    return matched;
}

// Other parts, in read mode: each address clock brings the next bit. After the last bit the
// part's /CEO must have gone low.
bool VerifySerial(Programmer& programmer, uint16_t& progress, const ArrayImage& image) {
    const PromDevice& device = *programmer.currentDevice;
    const uint32_t length = device.sizeBits / 8;
    const uint16_t status = programmer.portBase + 1;
    bool matched = true;
    for (uint32_t i = 0; i < length && matched; ++i) {
        if (programmer.MustEnd()) {
            programmer.failureText = programmer.EndedText();
            return false;
        }
        uint8_t value = 0;
        for (int j = 0; j < 8; ++j) {
            if (programmer.ReadPort(status) & kDataBit) {
                value |= static_cast<uint8_t>(1u << j);
            }
            programmer.ClockAddress(device.programSupply);
        }
        progress = PercentOf(i + 1, length);
        const uint8_t expected = image[i];
        if (value != expected) {
            const int firstBit = std::countr_zero(static_cast<unsigned>(value ^ expected));
            programmer.failureText =
                Format("Failed Margin Verify at bit location %d ", static_cast<int>(i * 8) + firstBit);
            matched = false;
        } else if (i % 100 == 0) {
            ShowProgress(i, length, "Part Verify");
        }
    }
    const bool chipEnableHigh = (programmer.ReadPort(status) & kChipEnableOutput) != 0;
    if (matched && chipEnableHigh) {
        programmer.failureText = "/CEO did not go Low after successful Margin Verify Part Compare";
        return false;
    }
    return matched;
}

}  // namespace

bool DirectPath::VerifyArray(uint16_t& progress, const ArrayImage& image) {
    return IsExtended(*programmer.currentDevice) ? VerifyWords(programmer, progress, image)
                                                 : VerifySerial(programmer, progress, image);
}

bool DriverPath::VerifyArray(uint16_t& progress, const ArrayImage& image) {
    return VerifyByDriver(programmer, progress, image);
}

int32_t Programmer::VerifyDevice(uint16_t* progress, const uint8_t* data) {
    *progress = 0;
    failureText.clear();
    if (!currentDevice) {
        return 0;
    }
    const int16_t supply = currentDevice->programSupply;
    const bool extended = IsExtended(*currentDevice);
    ShowStatusLine();
    SetStatusText("Power On - Part Verify");
    SetPowerMode(POWER_OFF, supply);
    SetPowerMode(extended ? POWER_PROGRAM : POWER_READ, supply);
    SetStatusText("Part Verify");

    const ArrayImage image{data, bufferLength};
    bool matched = Path().VerifyArray(*progress, image);

    SetStatusText("Power Off - Part Verify");
    SetPowerMode(POWER_OFF, supply);
    HideStatusLine();
    if (link.AccessLost()) {
        // What was read after the port went away says nothing of the part.
        failureText = link.LostAccessText();
        matched = false;
    }
    return matched ? 0 : 1;
}
