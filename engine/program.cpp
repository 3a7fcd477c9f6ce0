// Programs the data array from the buffer, then the option bits, then verifies the part.
#include <algorithm>
#include <cstdio>
#include <string>

#include "engine/access_path.h"
#include "engine/array_image.h"
#include "engine/option_bits.h"
#include "engine/programmer.h"
#include "engine/status_line.h"
#include "protocol/port_driver_protocol.h"

using namespace port_driver;

namespace {

// Picks the words to program and, for a range, clocks the part's address up to its first word.
// A range must lie below the last word and must not run backwards.
bool EnterWordRange(Programmer& programmer, uint32_t options, uint32_t startWord, uint32_t endWord,
                    WordRange& range) {
    const PromDevice& device = *programmer.currentDevice;
    const uint32_t lastWord = device.sizeBits / device.wordSize - 1;
    if (!(options & PROGRAM_RANGE)) {
        range = {0, lastWord};
        return true;
    }
    if (startWord >= lastWord || endWord >= lastWord || startWord > endWord) {
        programmer.failureText = "Start Address Out of Range";
        return false;
    }
    for (uint32_t i = 0; i < startWord; ++i) {
        programmer.ClockAddress(device.programSupply);
    }
    range = {startWord, endWord};
    return true;
}

uint16_t RangeProgress(uint32_t word, const WordRange& range) {
    if (range.last == range.first) {
        return 100;
    }
    return PercentOf(word - range.first, range.last - range.first);
}

std::string WriteWordFailedText(uint32_t wordIndex, const WordProgramFault& fault) {
    char text[128];
    switch (fault.pulse) {
    case PulseAnswer::NeverStarted:
        std::snprintf(text, sizeof text, "Write Word Failed; %x\nNo programming pulse from the programmer",
                      static_cast<unsigned>(wordIndex));
        break;
    case PulseAnswer::NeverEnded:
        std::snprintf(text, sizeof text, "Write Word Failed; %x\nProgramming pulse did not end",
                      static_cast<unsigned>(wordIndex));
        break;
    case PulseAnswer::Complete:
        std::snprintf(text, sizeof text, "Write Word Failed; %x\n%x, %x", static_cast<unsigned>(wordIndex),
                      static_cast<unsigned>(fault.firstDifferingBit),
                      static_cast<unsigned>(fault.differingBits));
        break;
    }
    return text;
}

// A program that ended early says how far it got: the words before are in the part.
std::string StoppedText(const Programmer& programmer, uint32_t wordsDone, uint32_t words) {
    return programmer.EndedText() + ". " + std::to_string(wordsDone) + " of " + std::to_string(words) +
           " words were programmed.";
}

// Word by word with pulses and read-back; the first word that fails ends the loop.
bool ProgramWordsDirect(Programmer& programmer, uint16_t& progress, const WordRange& range) {
    const int16_t supply = programmer.currentDevice->programSupply;
    bool failed = false;
    uint32_t word = range.first;
    while (word <= range.last && !failed) {
        if (programmer.MustEnd()) {
            programmer.failureText = StoppedText(programmer, word - range.first, range.last - range.first + 1);
            return false;
        }
        WordProgramFault fault;
        if (programmer.ProgramWord(word, supply, fault)) {
            // A word that failed because the port went away is not the part's fault.
            programmer.failureText = programmer.link.AccessLost()
                                         ? StoppedText(programmer, word - range.first, range.last - range.first + 1)
                                         : WriteWordFailedText(word, fault);
            failed = true;
        } else {
            progress = RangeProgress(word, range);
            ++word;
            programmer.ClockAddress(supply);
        }
        if (word % 100 == 0) {
            ShowProgress(word, range.last, "Programming");
        }
    }
    return !failed;
}

// In chunk requests; the driver pulses and reads back. A chunk that the driver could not
// program completely leaves the part's address inside it, so no later chunk is sent.
bool ProgramWordsByDriver(Programmer& programmer, uint16_t& progress, const WordRange& range) {
    const PromDevice& device = *programmer.currentDevice;
    const ArrayImage image{programmer.buffer.get(), programmer.bufferLength};
    const uint32_t wordBytes = WordBytes(device);
    const uint32_t chunkLimit = DriverChunkBytes(device);
    const uint32_t firstByte = range.first * wordBytes;
    const uint32_t total = (range.last - range.first + 1) * wordBytes;
    const uint32_t deviceBytes = device.sizeBits / 8;
    uint8_t* packet = programmer.link.requestBuffer.data();
    uint32_t remaining = total;
    while (remaining > 0 && programmer.link.lastResult) {
        if (programmer.MustEnd()) {
            programmer.failureText = StoppedText(programmer, (total - remaining) / wordBytes, total / wordBytes);
            return false;
        }
        const uint32_t chunk = std::min(chunkLimit, remaining);
        const uint32_t words = chunk / wordBytes;
        programmer.link.FillRequestHeader(words, device.readSupply, POWER_PROGRAM,
                                     SupplySelect(device.programSupply));
        packet[kWordSizeOffset] = static_cast<uint8_t>(device.wordSize);
        packet[kIdCodeOffset] = static_cast<uint8_t>(device.idCode);
        image.CopyTo(packet + kProgramHeaderSize, firstByte + total - remaining, chunk);
        if (programmer.link.SendRequest(kProgramChunk, deviceBytes + kProgramHeaderSize, kRequestBufferSize)) {
            if (Get32(packet) < words) {
                programmer.failureText = "Device Failed To Program";
                return false;
            }
            progress = 100;
        } else if (programmer.link.AccessLost()) {
            programmer.failureText = StoppedText(programmer, (total - remaining) / wordBytes, total / wordBytes);
            return false;
        }
        remaining -= chunk;
        ShowProgress(total - remaining, total, "Programming");
    }
    return true;
}

bool ProgramArray(Programmer& programmer, uint16_t& progress, uint32_t options, uint32_t startWord,
                  uint32_t endWord) {
    const int16_t supply = programmer.currentDevice->programSupply;
    programmer.SetPowerMode(POWER_OFF, supply);
    programmer.SetPowerMode(POWER_PROGRAM, supply);
    SetStatusText("Programming");
    WordRange range;
    bool programmed = EnterWordRange(programmer, options, startWord, endWord, range);
    if (programmed) {
        programmed = programmer.Path().ProgramWords(progress, range);
    }
    SetStatusText("Power Off - Programming");
    programmer.SetPowerMode(POWER_OFF, supply);
    return programmed;
}

}  // namespace

bool DirectPath::ProgramWords(uint16_t& progress, const WordRange& range) {
    return ProgramWordsDirect(programmer, progress, range);
}

bool DriverPath::ProgramWords(uint16_t& progress, const WordRange& range) {
    return ProgramWordsByDriver(programmer, progress, range);
}

int32_t Programmer::ProgramDevice(uint16_t* progress, uint32_t options, uint32_t startWord,
                                  uint32_t endWord) {
    *progress = 0;
    if (!currentDevice || !buffer) {
        return 0;
    }
    ShowStatusLine();
    SetStatusText("Power On - Programming");
    bool failed = false;
    if (options & PROGRAM_ARRAY) {
        failed = !ProgramArray(*this, *progress, options, startWord, endWord);
    }
    HideStatusLine();
    if (failed || !ProgramOptionBits(*this, options)) {
        return 1;
    }
    if (MustEnd()) {
        failureText = EndedText();
        return 1;
    }
    uint16_t verifyProgress = 0;
    return VerifyDevice(&verifyProgress, buffer.get());
}
