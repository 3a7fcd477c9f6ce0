#include "sim/prom_socket_model.h"

#include <algorithm>

#include "sim/hardware_timing.h"

namespace sim {
namespace {

constexpr uint64_t kNever = UINT64_MAX;
constexpr uint8_t kDataOut = 0x10;
constexpr uint8_t kStatusFive = 0x20;
constexpr uint8_t kUndriven = kDataOut | kStatusFive;

// The low four bits of the device code name the part's programming algorithm.
uint8_t Family(const PromDevice& type) {
    return type.idCode & 0x0F;
}

// The newer families (and the extended parts) program at the 2/3 pulse profiles.
bool NewerFamily(const PromDevice& type) {
    const uint8_t f = Family(type);
    return f == 2 || f == 3 || f == 4 || f == 5 || f == 0x0C;
}

// Parts programmed by one programmer-timed pulse; they have no word read-back.
bool SinglePulseFamily(const PromDevice& type) {
    const uint8_t f = Family(type);
    return f == 0x0E || f == 0x0F;
}

// The control-register values that select the right pulse for an array word of this part.
bool ArrayPulseProfile(const PromDevice& type, uint8_t control) {
    if (SinglePulseFamily(type)) {
        return control == 5;
    }
    if (NewerFamily(type)) {
        return control == 2;
    }
    return control == 2 || control == 0;   // the older parts take their retries at 0
}

PulseEffect SupplyEffect(uint8_t lines, bool needs33) {
    const bool selected33 = (lines & line::kSupplySelect) != 0;
    if (selected33 == needs33) {
        return PulseEffect::Acted;
    }
    return needs33 ? PulseEffect::OverVoltage : PulseEffect::UnderVoltage;
}

}  // namespace

void PromSocketModel::Insert(const SimulatedProm& inserted, uint64_t now) {
    part = inserted;
    // A part always holds its whole array, erased where nothing says otherwise.
    part->contents.resize(part->type.sizeBits / 8, 0xFF);
    weakWordPulses.assign(part->weakWords.size(), 0);
    if (Powered()) {
        // Pushed into a live socket: it never saw a power-up.
        EnterMode(SocketMode::Read);
        poweredOk = false;
        settledAt = kNever;
        poweredAt = now;
    }
}

void PromSocketModel::Remove() {
    if (part) {
        pulled = std::move(part);
    }
    part.reset();
    weakWordPulses.clear();
}

bool PromSocketModel::Powered() const {
    return (lines & line::kSupply) && !(control & kControlDisconnect);
}

bool PromSocketModel::LevelHeld() const {
    return (lines & line::kProgramLevel) && !(control & kControlDisconnect);
}

void PromSocketModel::EnterMode(SocketMode next) {
    if (next != mode) {
        modeHistory.push_back(static_cast<int>(next));
    }
    mode = next;
    // A power-up starts from scratch: only the stored bits survive a power cycle.
    bitCounter = 0;
    wordCounter = 0;
    readPatternSeen = false;
    firstAddressClockAt.reset();
    cellsValidAt = 0;
    const uint32_t size = WordSize();
    inputRegister = size == 128 ? ~Word(0) : (Word(1) << size) - 1;
    outputRegister = 0;
    outputLength = 0;
    outputPosition = 0;
    optionStatus = true;
}

void PromSocketModel::OnLines(uint8_t data, uint8_t newControl, uint64_t now) {
    const bool wasPowered = Powered();
    const uint8_t before = lines;
    lines = data;
    control = newControl;
    const uint8_t changed = before ^ data;
    const uint8_t rose = changed & data;
    const uint8_t fell = changed & before;

    if (!wasPowered && Powered()) {
        OnSupplyRise(now);
        return;
    }
    if (wasPowered && !Powered()) {
        OnSupplyFall(now);
    }
    switch (mode) {
    case SocketMode::Off:
        OnUnpoweredLines(rose, now);
        break;
    case SocketMode::Read:
        OnReadLines(rose, fell, now);
        break;
    case SocketMode::Programming:
        OnProgrammingLines(rose, fell, now);
        break;
    }
}

void PromSocketModel::OnSupplyRise(uint64_t now) {
    const bool armed = entryPhaseGood && armingClocks >= 2 && LevelHeld() &&
                       now - lastArmingClockAt >= timing::kArmingClockGap;
    const bool discharged = !everPowered || (fullyOff && now - fullyOffAt >= timing::kDischarge);
    everPowered = true;
    fullyOff = false;
    poweredAt = now;
    armingClocks = 0;
    if (armed) {
        EnterMode(SocketMode::Programming);
        poweredOk = true;
        programmingEnteredAt = now;
        settledAt = now + timing::kProgrammingSettle;
        return;
    }
    EnterMode(SocketMode::Read);
    // A power-up into a socket that has not discharged leaves the part undefined; otherwise it
    // settles once it has seen the read pattern.
    poweredOk = discharged;
    settledAt = kNever;
}

void PromSocketModel::OnSupplyFall(uint64_t now) {
    // A long enough powered phase, ended with the programming level still held, prepares the
    // programming-mode entry.
    entryPhaseGood = poweredOk && now - poweredAt >= timing::kEntryPowered && LevelHeld();
    offAt = now;
    armingClocks = 0;
    EnterMode(SocketMode::Off);
}

void PromSocketModel::OnUnpoweredLines(uint8_t rose, uint64_t now) {
    if (!LevelHeld()) {
        // The programming level is gone too: the socket discharges from here.
        entryPhaseGood = false;
        armingClocks = 0;
        if (!fullyOff) {
            fullyOff = true;
            fullyOffAt = now;
        }
        return;
    }
    if (!(rose & line::kClock) || !entryPhaseGood) {
        return;
    }
    // Arming clocks under the held programming level: the first after the off phase, the
    // second after a gap. One out of time spoils the entry.
    const bool inTime = armingClocks == 0 ? now - offAt >= timing::kEntryOff
                                          : now - lastArmingClockAt >= timing::kArmingClockGap;
    if (!inTime) {
        entryPhaseGood = false;
        armingClocks = 0;
        return;
    }
    ++armingClocks;
    lastArmingClockAt = now;
}

bool PromSocketModel::Settled(uint64_t now) const {
    return now >= settledAt;
}

void PromSocketModel::OnReadLines(uint8_t rose, uint8_t fell, uint64_t now) {
    if (!readPatternSeen && (fell & line::kShift)) {
        // The end of the power-up pattern: the read supply settles from here if the part was
        // powered long enough with the pattern.
        readPatternSeen = true;
        if (poweredOk && now - poweredAt >= timing::kPowerUpPattern) {
            settledAt = now + timing::kReadSupplySettle;
        }
        return;
    }
    if (!part || !Settled(now)) {
        return;
    }
    if (ResetActive()) {
        bitCounter = 0;
        return;
    }
    if (!(rose & line::kClock) || bitCounter >= part->type.sizeBits) {
        return;
    }
    if (!part->expressProgrammed) {
        ++bitCounter;
    } else if (part->busyProgrammed) {
        // Parallel output: a byte per clock, its bit 0 on the serial data pin.
        bitCounter = std::min(bitCounter + 8, part->type.sizeBits);
    }
    // Parallel output with the busy pin floating: the socket leaves BUSY high, the part holds.
}

void PromSocketModel::OnProgrammingLines(uint8_t rose, uint8_t fell, uint64_t now) {
    if (!Settled(now)) {
        return;
    }
    if (fell & line::kShift) {
        LoadOutputRegister(now);
    }
    if (!(rose & line::kClock)) {
        return;
    }
    if (!(lines & line::kReset)) {
        // An address clock keeps data bit 4 up; a clock with both low is no state of the part's.
        if ((lines & line::kShift) && wordCounter != UINT32_MAX) {
            ++wordCounter;
            if (!firstAddressClockAt) {
                firstAddressClockAt = now;
            }
        }
    } else if (lines & line::kShift) {
        PushInputBit(!(lines & line::kSerialIn));
    } else if (outputPosition < outputLength) {
        ++outputPosition;
    }
}

void PromSocketModel::LoadOutputRegister(uint64_t now) {
    outputRegister = 0;
    outputLength = 0;
    outputPosition = 0;
    optionStatus = true;
    if (!part) {
        return;
    }
    const PromDevice& type = part->type;
    if (wordCounter < WordCount()) {
        // Single-pulse parts have no word read-back; cells just pulsed have not settled yet.
        if (SinglePulseFamily(type) || now < cellsValidAt) {
            return;
        }
        const uint32_t bytes = WordSize() / 8;
        const uint8_t* word = part->contents.data() + size_t(wordCounter) * bytes;
        for (uint32_t b = 0; b < bytes; ++b) {
            outputRegister |= Word(word[b]) << (8 * b);
        }
        outputLength = WordSize();
    } else if (wordCounter == type.idClocks) {
        // The identifier answers only when the count began after the programming supply settled.
        const bool settled = firstAddressClockAt && *firstAddressClockAt - programmingEnteredAt >= timing::kIdentifierSettle;
        if (settled) {
            const uint16_t identifier = static_cast<uint16_t>(part->manufacturerCode << 8 | (type.idCode & 0xFF));
            for (uint32_t k = 0; k < 16; ++k) {
                outputRegister |= Word((identifier >> (15 - k)) & 1) << k;   // most significant bit first
            }
            outputLength = 16;
        }
    } else if (wordCounter == type.optionClocks) {
        optionStatus = part->resetProgrammed;
    } else if (IsExtended(type) && wordCounter == kExpressLocation) {
        optionStatus = part->expressProgrammed;
    } else if (IsExtended(type) && wordCounter == kBusyLocation) {
        optionStatus = part->busyProgrammed;
    }
}

void PromSocketModel::PushInputBit(bool bit) {
    const uint32_t size = WordSize();
    if (size == 0) {
        return;
    }
    // The oldest bit drops out at bit 0: after `size` pushes the first one pushed is bit 0.
    inputRegister = (inputRegister >> 1) | (Word(bit) << (size - 1));
}

bool PromSocketModel::TakesPulses(uint64_t now) const {
    return mode == SocketMode::Programming && part && Settled(now);
}

PulseEffect PromSocketModel::ApplyPulse(uint8_t pulseLines, uint8_t pulseControl, uint64_t now, bool sagging) {
    if (!TakesPulses(now)) {
        return PulseEffect::NoTarget;
    }
    if (wordCounter < WordCount()) {
        return ProgramArrayWord(wordCounter, pulseLines, pulseControl, now, sagging);
    }
    return ProgramOptionBit(pulseLines, pulseControl, sagging);
}

PulseEffect PromSocketModel::ProgramArrayWord(uint32_t word, uint8_t pulseLines, uint8_t pulseControl,
                                              uint64_t now, bool sagging) {
    const PromDevice& type = part->type;
    const PulseEffect supply = SupplyEffect(pulseLines, type.programSupply != 50);
    if (supply != PulseEffect::Acted) {
        return supply;
    }
    if (!ArrayPulseProfile(type, pulseControl)) {
        return PulseEffect::WrongProfile;
    }
    cellsValidAt = now + timing::kCellRecovery;
    weakWordPulses.resize(part->weakWords.size(), 0);
    for (size_t i = 0; i < part->weakWords.size(); ++i) {
        if (part->weakWords[i].first == word && ++weakWordPulses[i] < part->weakWords[i].second) {
            return PulseEffect::Acted;   // a weak word takes only after enough pulses
        }
    }
    const uint32_t size = WordSize();
    const uint32_t first = word * size;
    for (uint32_t k = 0; k < size; ++k) {
        // A sagging supply reaches only the cells nearest the driver: every other bit.
        if (((inputRegister >> k) & 1) || (sagging && k % 2 == 1)) {
            continue;
        }
        const uint32_t bit = first + k;
        const auto& dead = part->deadBits;
        if (std::find(dead.begin(), dead.end(), bit) == dead.end()) {
            part->contents[bit / 8] &= static_cast<uint8_t>(~(1u << (bit % 8)));
        }
    }
    return PulseEffect::Acted;
}

PulseEffect PromSocketModel::ProgramOptionBit(uint8_t pulseLines, uint8_t pulseControl, bool sagging) {
    const PromDevice& type = part->type;
    bool* bit = nullptr;
    bool operatingSupply = false;   // express and busy program at the part's 3.3 V operating supply
    uint8_t profile = 3;
    if (wordCounter == type.optionClocks) {
        bit = &part->resetProgrammed;
        profile = NewerFamily(type) ? 3 : 7;
    } else if (IsExtended(type) && wordCounter == kExpressLocation) {
        bit = &part->expressProgrammed;
        operatingSupply = true;
    } else if (IsExtended(type) && wordCounter == kBusyLocation) {
        bit = &part->busyProgrammed;
        operatingSupply = true;
    }
    if (!bit) {
        return PulseEffect::Acted;   // nothing to program there
    }
    const PulseEffect supply = SupplyEffect(pulseLines, operatingSupply || type.programSupply != 50);
    if (supply != PulseEffect::Acted) {
        return supply;
    }
    if (pulseControl != profile) {
        return PulseEffect::WrongProfile;
    }
    // An option bit programs only from an all-zero input register, and not on a sagging supply.
    if (WordSize() != 0 && inputRegister == 0 && !sagging) {
        *bit = true;
    }
    return PulseEffect::Acted;
}

uint8_t PromSocketModel::Outputs(uint64_t now) const {
    if (!part || !Settled(now)) {
        return kUndriven;
    }
    switch (mode) {
    case SocketMode::Read: {
        if (ResetActive()) {
            return kUndriven;
        }
        // /CEO (bit 5) stays high until the whole array has been clocked out since the reset.
        const uint8_t ceo = bitCounter < part->type.sizeBits ? kStatusFive : 0;
        // At a wrong supply the output never reaches a valid high level.
        const bool out = ReadSupplyMatches() && ProgramSupplyMatches() && StoredBit(bitCounter);
        return static_cast<uint8_t>(ceo | (out ? kDataOut : 0));
    }
    case SocketMode::Programming: {
        const bool bit = outputPosition >= outputLength || ((outputRegister >> outputPosition) & 1) != 0;
        const bool out = ProgramSupplyMatches() && bit;
        return static_cast<uint8_t>((out ? kDataOut : 0) | (optionStatus ? kStatusFive : 0));
    }
    case SocketMode::Off:
        break;
    }
    return kUndriven;
}

bool PromSocketModel::ResetActive() const {
    const bool high = (lines & line::kReset) != 0;
    return part->resetProgrammed ? !high : high;
}

bool PromSocketModel::ReadSupplyMatches() const {
    const bool level33 = (lines & line::kReadLevel33) != 0;
    return level33 == (part->type.readSupply != 50);
}

bool PromSocketModel::ProgramSupplyMatches() const {
    const bool selected33 = (lines & line::kSupplySelect) != 0;
    return selected33 == (part->type.programSupply != 50);
}

uint32_t PromSocketModel::WordSize() const {
    if (!part) {
        return 0;
    }
    // Words are whole bytes of up to 128 bits; a type with any other width has no words.
    const uint32_t size = part->type.wordSize;
    return (size >= 8 && size <= 128 && size % 8 == 0) ? size : 0;
}

uint32_t PromSocketModel::WordCount() const {
    const uint32_t size = WordSize();
    return size == 0 ? 0 : static_cast<uint32_t>(part->contents.size() * 8 / size);
}

bool PromSocketModel::StoredBit(uint32_t index) const {
    const size_t byte = index / 8;
    if (byte >= part->contents.size()) {
        return true;   // beyond the array the part reads 1s
    }
    return ((part->contents[byte] >> (index % 8)) & 1) != 0;
}

}  // namespace sim
