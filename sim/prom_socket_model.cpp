#include "sim/prom_socket_model.h"

#include <algorithm>

namespace sim {

void PromSocketModel::Insert(const SimulatedProm& inserted, uint8_t currentLines) {
    part = inserted;
    // A part always holds its whole array, erased where nothing says otherwise.
    part->contents.resize(part->type.sizeBits / 8, 0xFF);
    weakWordPulses.assign(part->weakWords.size(), 0);
    lines = currentLines;
    armed = false;
    EnterMode((lines & line::kSupply) ? SocketMode::Read : SocketMode::Off);
}

void PromSocketModel::Remove() {
    part.reset();
    weakWordPulses.clear();
}

void PromSocketModel::EnterMode(SocketMode next) {
    if (next != mode) {
        modeHistory.push_back(static_cast<int>(next));
    }
    mode = next;
    // A power-up starts from scratch: only the stored bits survive a power cycle.
    bitCounter = 0;
    wordCounter = 0;
    uint32_t size = WordSize();
    inputRegister = size == 128 ? ~Word(0) : (Word(1) << size) - 1;
    outputRegister = 0;
    outputLength = 0;
    outputPosition = 0;
    optionStatus = true;
}

void PromSocketModel::OnDataLines(uint8_t before, uint8_t after) {
    const uint8_t changed = before ^ after;
    const uint8_t rose = changed & after;
    const uint8_t fell = changed & before;
    lines = after;

    if (fell & line::kSupply) {
        EnterMode(SocketMode::Off);
    } else if (rose & line::kSupply) {
        EnterMode(armed ? SocketMode::Programming : SocketMode::Read);
        armed = false;
    }

    switch (mode) {
    case SocketMode::Off:
        // Clocks under the programming level with the supply off prepare programming mode;
        // dropping the level undoes that.
        if (fell & line::kProgramLevel) {
            armed = false;
        } else if ((rose & line::kClock) && (after & line::kProgramLevel)) {
            armed = true;
        }
        break;
    case SocketMode::Read:
        OnReadLines(rose);
        break;
    case SocketMode::Programming:
        OnProgrammingLines(rose, fell);
        break;
    }
}

void PromSocketModel::OnReadLines(uint8_t rose) {
    if (!part) {
        return;
    }
    if (ResetActive()) {
        bitCounter = 0;
    } else if ((rose & line::kClock) && bitCounter < part->type.sizeBits) {
        ++bitCounter;
    }
}

void PromSocketModel::OnProgrammingLines(uint8_t rose, uint8_t fell) {
    if (fell & line::kShift) {
        LoadOutputRegister();
    }
    if (!(rose & line::kClock)) {
        return;
    }
    if (!(lines & line::kReset)) {
        if (wordCounter != UINT32_MAX) {
            ++wordCounter;   // address clock
        }
    } else if (lines & line::kShift) {
        PushInputBit(!(lines & line::kSerialIn));
    } else if (outputPosition < outputLength) {
        ++outputPosition;
    }
}

void PromSocketModel::LoadOutputRegister() {
    outputRegister = 0;
    outputLength = 0;
    outputPosition = 0;
    optionStatus = true;
    if (!part) {
        return;
    }
    const PromDevice& type = part->type;
    if (wordCounter < WordCount()) {
        const uint32_t bytes = WordSize() / 8;
        const uint8_t* word = part->contents.data() + size_t(wordCounter) * bytes;
        for (uint32_t b = 0; b < bytes; ++b) {
            outputRegister |= Word(word[b]) << (8 * b);
        }
        outputLength = WordSize();
    } else if (wordCounter == type.idClocks) {
        // The identifier answers only at the part's own programming supply.
        const bool selected = (lines & line::kSupplySelect) != 0;
        if (selected == (SupplySelect(type.programSupply) != 0)) {
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

bool PromSocketModel::ApplyPulse() {
    if (mode != SocketMode::Programming || !part) {
        return false;
    }
    if (wordCounter < WordCount()) {
        ProgramArrayWord(wordCounter);
    } else {
        ProgramOptionBit();
    }
    return true;
}

void PromSocketModel::ProgramArrayWord(uint32_t word) {
    weakWordPulses.resize(part->weakWords.size(), 0);
    for (size_t i = 0; i < part->weakWords.size(); ++i) {
        if (part->weakWords[i].first == word && ++weakWordPulses[i] < part->weakWords[i].second) {
            return;   // a weak word takes only after enough pulses
        }
    }
    const uint32_t size = WordSize();
    const uint32_t first = word * size;
    for (uint32_t k = 0; k < size; ++k) {
        if ((inputRegister >> k) & 1) {
            continue;
        }
        const uint32_t bit = first + k;
        const auto& dead = part->deadBits;
        if (std::find(dead.begin(), dead.end(), bit) == dead.end()) {
            part->contents[bit / 8] &= static_cast<uint8_t>(~(1u << (bit % 8)));
        }
    }
}

void PromSocketModel::ProgramOptionBit() {
    // An option bit programs only from an all-zero input register.
    if (WordSize() == 0 || inputRegister != 0) {
        return;
    }
    const PromDevice& type = part->type;
    if (wordCounter == type.optionClocks) {
        part->resetProgrammed = true;
    } else if (IsExtended(type) && wordCounter == kExpressLocation) {
        part->expressProgrammed = true;
    } else if (IsExtended(type) && wordCounter == kBusyLocation) {
        part->busyProgrammed = true;
    }
}

uint8_t PromSocketModel::Outputs() const {
    constexpr uint8_t kDataOut = 0x10;
    constexpr uint8_t kStatusFive = 0x20;
    if (!part) {
        return kDataOut | kStatusFive;
    }
    switch (mode) {
    case SocketMode::Read: {
        if (ResetActive() || !ReadLevelMatches()) {
            return kDataOut | kStatusFive;
        }
        // /CEO (bit 5) stays high until the whole array has been clocked out since the reset.
        const uint8_t ceo = bitCounter < part->type.sizeBits ? kStatusFive : 0;
        return static_cast<uint8_t>(ceo | (StoredBit(bitCounter) ? kDataOut : 0));
    }
    case SocketMode::Programming: {
        const bool out = outputPosition >= outputLength || ((outputRegister >> outputPosition) & 1) != 0;
        return static_cast<uint8_t>((out ? kDataOut : 0) | (optionStatus ? kStatusFive : 0));
    }
    case SocketMode::Off:
        break;
    }
    return kDataOut | kStatusFive;
}

bool PromSocketModel::ResetActive() const {
    const bool high = (lines & line::kReset) != 0;
    return part->resetProgrammed ? !high : high;
}

bool PromSocketModel::ReadLevelMatches() const {
    // A part read at the wrong supply level gives nothing.
    const bool level33 = (lines & line::kReadLevel33) != 0;
    return level33 == (part->type.readSupply != 50);
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
