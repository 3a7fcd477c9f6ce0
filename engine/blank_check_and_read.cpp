// Streams the data array of the identified part out of the socket: the blank check and the read.
// Plain parts shift their array out bit by bit in read mode; extended parts present one word per
// address in programming mode. The port driver streams the array in pieces of its own.
#include <algorithm>
#include <cstring>
#include <string>

#include "engine/array_stream.h"
#include "engine/programmer.h"
#include "engine/status_line.h"
#include "protocol/port_driver_protocol.h"

using namespace port_driver;

namespace {

// Bytes per driver request: one thirty-second of the part's words, in whole words (at least one,
// so that a part of fewer than 32 words still moves on).
uint32_t DriverPieceLength(const PromDevice& device) {
    const uint32_t words = device.sizeBits / device.wordSize / 32;
    return std::max<uint32_t>(words, 1) * (device.wordSize / 8);
}

int16_t StreamingPowerMode(const PromDevice& device) {
    return IsExtended(device) ? POWER_PROGRAM : POWER_READ;
}

// Sends one driver request for the next `length` bytes of the array, with the socket as the
// streaming power-up left it. True when the driver answered.
bool SendPieceRequest(Programmer& programmer, uint32_t code, uint32_t length, uint32_t outSize) {
    const PromDevice& device = *programmer.currentDevice;
    programmer.link.FillRequestHeader(length, device.readSupply, StreamingPowerMode(device),
                                 SupplySelect(device.programSupply));
    return programmer.link.SendRequest(code, kHeaderSize, outSize);
}

// The register sequences of direct mode, with the port addresses and the supply select of the
// current device worked out once for the whole stream.
class DirectStream {
public:
    explicit DirectStream(Programmer& programmer)
        : programmer(programmer), data(programmer.portBase), status(programmer.portBase + 1),
          supply(programmer.currentDevice->programSupply), s(SupplySelect(supply)) {}

    // Read mode: each address clock brings the next bit, the first one into bit 0.
    uint8_t SerialByte() {
        uint8_t value = 0;
        for (int bit = 0; bit < 8; ++bit) {
            value |= DataBit() << bit;
            programmer.ClockAddress(supply);
        }
        return value;
    }

    // Programming mode: a fall of data bit 4 loads the word at the address into the output
    // register; each data clock then moves it on by one bit.
    void LoadWord() { programmer.WritePort(data, 0xC8 + s); }
    uint8_t WordByte() {
        uint8_t value = 0;
        for (int bit = 0; bit < 8; ++bit) {
            programmer.WritePort(data, 0xC8 + s);
            value |= DataBit() << bit;
            programmer.WritePort(data, 0xC9 + s);
        }
        return value;
    }
    // The blank check samples each bit before its data clock.
    uint8_t BlankCheckWordByte() {
        uint8_t value = 0;
        for (int bit = 0; bit < 8; ++bit) {
            value |= DataBit() << bit;
            programmer.WritePort(data, 0xC8 + s);
            programmer.WritePort(data, 0xC9 + s);
        }
        return value;
    }
    void EndWordRead() { programmer.WritePort(data, 0xD9 + s); }
    void NextWord() { programmer.ClockAddress(supply); }

private:
    uint8_t DataBit() { return (programmer.ReadPort(status) & 0x10) ? 1 : 0; }

    Programmer& programmer;
    const uint16_t data;
    const uint16_t status;
    const int16_t supply;
    const uint8_t s;
};

int32_t DriverBlankCheck(Programmer& programmer, uint32_t total) {
    const uint32_t pieceLength = DriverPieceLength(*programmer.currentDevice);
    int32_t result = 1;
    uint32_t remaining = total;
    while (remaining > 0 && result == 1 && !programmer.MustEnd()) {
        const uint32_t piece = std::min(pieceLength, remaining);
        if (SendPieceRequest(programmer, kBlankCheck, piece, kSmallOutputSize)) {
            result = programmer.link.requestBuffer[0];
        }
        remaining -= piece;
        ShowProgress(total - remaining, total, "Blank Check");
    }
    return result;
}

int32_t SerialBlankCheck(Programmer& programmer, uint32_t total) {
    DirectStream stream(programmer);
    for (uint32_t b = 0; b < total && !programmer.MustEnd(); ++b) {
        if (stream.SerialByte() != 0xFF) {
            return 0;
        }
        if (b % 100 == 0) {
            ShowProgress(b, total, "Blank Check");
        }
    }
    return 1;
}

int32_t WordBlankCheck(Programmer& programmer, uint32_t total) {
    DirectStream stream(programmer);
    const uint32_t wordBytes = programmer.currentDevice->wordSize / 8;
    for (uint32_t b = 0; b < total && !programmer.MustEnd(); b += wordBytes) {
        stream.LoadWord();
        for (uint32_t k = 0; k < wordBytes; ++k) {
            if (stream.BlankCheckWordByte() != 0xFF) {
                return 0;
            }
        }
        stream.NextWord();
        if (b % 100 == 0) {
            ShowProgress(b, total, "Blank Check");
        }
    }
    return 1;
}

// A failed request ends the transfer (after its progress step); what was not fetched keeps
// its earlier contents. True when every piece came.
bool DriverRead(Programmer& programmer, uint8_t* out, uint32_t total, const char* label) {
    const uint32_t pieceLength = DriverPieceLength(*programmer.currentDevice);
    uint32_t remaining = total;
    bool complete = true;
    while (remaining > 0 && programmer.link.lastResult && !programmer.MustEnd()) {
        const uint32_t piece = std::min(pieceLength, remaining);
        if (SendPieceRequest(programmer, kReadChunk, piece, kRequestBufferSize)) {
            std::memcpy(out + (total - remaining), programmer.link.requestBuffer.data(), piece);
        } else {
            complete = false;
        }
        remaining -= piece;
        ShowProgress(total - remaining, total, label);
    }
    return complete && remaining == 0;
}

bool SerialRead(Programmer& programmer, uint8_t* out, uint32_t total, const char* label) {
    DirectStream stream(programmer);
    for (uint32_t b = 0; b < total; ++b) {
        if (programmer.MustEnd()) {
            return false;
        }
        out[b] = stream.SerialByte();
        if (b % 100 == 0) {
            ShowProgress(b, total, label);
        }
    }
    return true;
}

// `total` may end inside a word when the buffer is shorter than the part.
bool WordRead(Programmer& programmer, uint8_t* out, uint32_t total, const char* label) {
    DirectStream stream(programmer);
    const uint32_t wordBytes = programmer.currentDevice->wordSize / 8;
    for (uint32_t b = 0; b < total; b += wordBytes) {
        if (programmer.MustEnd()) {
            return false;
        }
        stream.LoadWord();
        const uint32_t wordEnd = std::min(b + wordBytes, total);
        for (uint32_t i = b; i < wordEnd; ++i) {
            out[i] = stream.WordByte();
        }
        stream.EndWordRead();
        stream.NextWord();
        if (b % 100 == 0) {
            ShowProgress(b, total, label);
        }
    }
    return true;
}

// What the operator reads when the part stopped answering while it was streamed.
std::string PartStoppedText(const char* operation) {
    return std::string("The PROM stopped answering before the end of the ") + operation +
           ": it was taken out, or the programmer lost its power or its cable";
}

// A pulled part, or a programmer without power or cable, reads as all ones: as an erased part
// does. Before streamed data is trusted the part must still answer. A plain part streamed to its
// end has pulled /CEO low by now; an extended part, or one not streamed to its end, is asked for
// its identifier again (which leaves the socket off).
bool PartStillAnswers(Programmer& programmer, bool streamedToEnd) {
    const PromDevice& device = *programmer.currentDevice;
    if (!IsExtended(device) && streamedToEnd) {
        return (programmer.ReadPort(programmer.portBase + 1) & 0x20) == 0;
    }
    programmer.SetPowerMode(POWER_OFF, device.programSupply);
    uint16_t deviceCode = 0;
    const uint16_t manufacturer = programmer.ReadIdentifier(device.idClocks, device.programSupply, deviceCode);
    return manufacturer == 0xC9 && deviceCode == device.idCode;
}

void PowerUpForStreaming(Programmer& programmer) {
    const PromDevice& device = *programmer.currentDevice;
    programmer.SetPowerMode(POWER_OFF, device.programSupply);
    programmer.SetPowerMode(StreamingPowerMode(device), device.programSupply);
}

}  // namespace

int32_t DirectPath::BlankCheckArray(uint32_t total) {
    return IsExtended(*programmer.currentDevice) ? WordBlankCheck(programmer, total)
                                                 : SerialBlankCheck(programmer, total);
}

int32_t DriverPath::BlankCheckArray(uint32_t total) {
    return DriverBlankCheck(programmer, total);
}

bool DirectPath::ReadArray(uint8_t* out, uint32_t total, const char* label) {
    return IsExtended(*programmer.currentDevice) ? WordRead(programmer, out, total, label)
                                                 : SerialRead(programmer, out, total, label);
}

bool DriverPath::ReadArray(uint8_t* out, uint32_t total, const char* label) {
    return DriverRead(programmer, out, total, label);
}

bool ReadArrayInto(Programmer& programmer, uint8_t* out, uint32_t total, const char* label) {
    PowerUpForStreaming(programmer);
    SetStatusText(label);
    const bool complete = programmer.Path().ReadArray(out, total, label);
    return complete && !programmer.MustEnd() &&
           PartStillAnswers(programmer, total == programmer.currentDevice->sizeBits / 8);
}

int32_t Programmer::BlankCheck() {
    if (!currentDevice) {
        return 1;
    }
    const uint32_t total = currentDevice->sizeBits / 8;
    ShowStatusLine();
    SetStatusText("Power On - Blank Check");
    PowerUpForStreaming(*this);
    SetStatusText("Blank Check");
    failureText.clear();
    int32_t result = Path().BlankCheckArray(total);
    if (MustEnd()) {
        // Not every byte was looked at: the part cannot be called blank.
        failureText = EndedText();
        result = 0;
    } else if (result == 1 && !PartStillAnswers(*this, true)) {
        failureText = PartStoppedText("blank check");
        result = 0;
    }
    SetStatusText("Power Off - Blank Check");
    SetPowerMode(POWER_OFF, currentDevice->programSupply);
    HideStatusLine();
    return result;
}

void Programmer::ReadPart() {
    if (!currentDevice || !buffer) {
        return;
    }
    // The part may be larger than the buffer (the program command can make another type
    // current without resizing it): the transfer stops where the buffer ends.
    const uint32_t total = std::min(currentDevice->sizeBits / 8, bufferLength);
    failureText.clear();
    ShowStatusLine();
    SetStatusText("Power On - Part Read");
    const bool complete = ReadArrayInto(*this, buffer.get(), total, "Part Read");
    SetStatusText("Power Off - Part Read");
    SetPowerMode(POWER_OFF, currentDevice->programSupply);
    HideStatusLine();
    bufferStateText = "Buffer State: " + currentDevice->name + " contents";
    if (MustEnd()) {
        failureText = EndedText();
        bufferStateText += link.AccessLost() ? ", read failed" : ", read stopped by the operator";
    } else if (!complete) {
        failureText = PartStoppedText("read");
        bufferStateText += ", read failed";
    }
}
