#include "driver/program_chunk.h"

#include <algorithm>

#include "catalog/prom_device.h"

namespace driver {
namespace {

constexpr uint8_t kPulseAnswer = 0x80;   // status bit 7: reads 0 while a pulse runs

// Waits until `inARow` consecutive status reads show the pulse answer at `level`.
bool WaitForPulseAnswer(PortSignals& signals, bool level, uint32_t inARow) {
    uint32_t run = 0;
    for (uint32_t reads = 0; reads < kPulseWaitReads; ++reads) {
        const bool high = (signals.Status() & kPulseAnswer) != 0;
        run = high == level ? run + 1 : 0;
        if (run == inARow) {
            return true;
        }
    }
    return false;
}

bool WordBit(const uint8_t* word, uint32_t k) {
    return (word[k / 8] >> (k % 8) & 1) != 0;
}

// Into the input register: data bit 1 set for a 0 bit.
void ShiftWordIn(PortSignals& signals, uint8_t s, const uint8_t* word, uint16_t wordSize) {
    for (uint32_t k = 0; k < wordSize; ++k) {
        if (WordBit(word, k)) {
            signals.Data(0xD8 + s);
            signals.Data(0xD9 + s);
        } else {
            signals.Data(0xDA + s);
            signals.Data(0xDB + s);
        }
    }
}

bool ReadBackMatches(PortSignals& signals, uint8_t s, const uint8_t* word, uint16_t wordSize) {
    bool matches = true;
    for (uint32_t k = 0; k < wordSize; ++k) {
        signals.Data(0xC8 + s);
        matches &= signals.DataBit() == WordBit(word, k);
        signals.Data(0xC9 + s);
    }
    return matches;
}

// Pulses, reads back and pulses again while the word differs, at most three times.
bool ProgramWithReadBack(PortSignals& signals, const ProgramChunkRequest& chunk, const uint8_t* word) {
    const uint8_t s = chunk.header.supplySelect;
    const bool holdControl = FamilyOf(chunk.idCode) == ProgrammingFamily::Newer;
    signals.Control(2);
    signals.Data(0xD8 + s);
    ShiftWordIn(signals, s, word, chunk.wordSize);
    for (int pulse = 0; pulse < 3; ++pulse) {
        signals.Data(0xD8 + s);
        signals.Data(0x58 + s);
        if (!WaitForPulseAnswer(signals, false, 32)) {
            return false;
        }
        signals.Data(0xD8 + s);
        if (!WaitForPulseAnswer(signals, true, 1024)) {
            return false;
        }
        signals.Data(0xC8 + s);
        const bool matches = ReadBackMatches(signals, s, word, chunk.wordSize);
        signals.Control(holdControl ? 2 : 0);
        if (matches) {
            return true;
        }
    }
    return false;
}

// These parts are not read back: one pulse, and the verify judges the word.
bool ProgramWithOnePulse(PortSignals& signals, const ProgramChunkRequest& chunk, const uint8_t* word) {
    const uint8_t s = chunk.header.supplySelect;
    signals.Control(5);
    signals.Data(0xD8 + s);
    ShiftWordIn(signals, s, word, chunk.wordSize);
    signals.Data(0xD8 + s);
    signals.Data(0x58 + s);
    if (!WaitForPulseAnswer(signals, false, 1)) {
        return false;
    }
    signals.Data(0xD8);
    return WaitForPulseAnswer(signals, true, 1);
}

// An erased word needs no pulse; an extended part still has its output register clocked through.
void SkipErasedWord(PortSignals& signals, const ProgramChunkRequest& chunk) {
    if (!IsExtendedCode(chunk.idCode)) {
        return;
    }
    const uint8_t s = chunk.header.supplySelect;
    signals.Data(0xC9 + s);
    for (uint32_t k = 0; k < chunk.wordSize; ++k) {
        signals.Data(0xC8 + s);
        signals.Data(0xC9 + s);
    }
}

bool ProgramWord(PortSignals& signals, const ProgramChunkRequest& chunk, const uint8_t* word) {
    const uint32_t wordBytes = chunk.wordSize / 8u;
    const bool erased = std::all_of(word, word + wordBytes, [](uint8_t b) { return b == 0xFF; });
    bool programmed = true;
    if (erased) {
        SkipErasedWord(signals, chunk);
    } else if (FamilyOf(chunk.idCode) == ProgrammingFamily::SinglePulse) {
        programmed = ProgramWithOnePulse(signals, chunk, word);
    } else {
        programmed = ProgramWithReadBack(signals, chunk, word);
    }
    signals.Data(0xD9 + chunk.header.supplySelect);
    return programmed;
}

}  // namespace

uint32_t ProgramChunk(PortSignals& signals, const ProgramChunkRequest& chunk) {
    const uint32_t wordBytes = chunk.wordSize / 8u;
    uint32_t programmed = 0;
    while (programmed < chunk.header.argument &&
           ProgramWord(signals, chunk, chunk.data + programmed * wordBytes)) {
        ++programmed;
        signals.ClockAddress(chunk.header);
    }
    return programmed;
}

}  // namespace driver
