#include "sequences.h"

#include <algorithm>
#include <random>
#include <stdexcept>

#include "catalog/device_catalog.h"
#include "random_image.h"

namespace {

// Long enough for any pulse of a working programmer, short enough to fail a stuck one fast.
constexpr int kWaitBound = 100000;

// Devices whose words are programmed without read-back.
bool UsesVariantB(const PromDevice& device) {
    const int f = device.idCode & 0x0F;
    return f == 0xE || f == 0xF;
}

bool TakesControlTwo(const PromDevice& device) {
    const int f = device.idCode & 0x0F;
    return f == 2 || f == 3 || f == 4 || f == 5 || f == 12;
}

}  // namespace

uint8_t PortSequences::S(int16_t supply) const {
    return SupplySelect(supply) ^ (deviations.flipSupplySelect ? 4 : 0);
}

void PortSequences::DelayMs(uint32_t milliseconds) {
    clock.WaitUntilMicroseconds(clock.NowMicroseconds() + uint64_t(milliseconds) * 1000);
}

void PortSequences::PowerOff(int16_t supply) {
    Data(0xC0 + S(supply));
    DelayMs(10);
    Data(0x02);
    Ctrl(0x0B);
    if (!deviations.skipDischargeWait) {
        DelayMs(1000);
    }
}

void PortSequences::PowerProgramming(int16_t supply) {
    const uint8_t s = S(supply);
    auto wait = [&](uint32_t ms) {
        if (!deviations.skipProgrammingEntryWaits) {
            DelayMs(ms);
        }
    };
    Data(0x18 + s);
    if (!deviations.skipPowerUpControl) {
        Ctrl(0x01);
    }
    Data(0xD8 + s);
    wait(200);
    Data(0x98 + s);
    wait(50);
    Data(0x99 + s);
    wait(10);
    Data(0x98 + s);
    Data(0x99 + s);
    wait(10);
    Data(0xD9 + s);
    wait(10);
    Data(0xD8 + s);
    Data(0xD9 + s);
    Data(0xD8 + s);
}

void PortSequences::PowerRead(const PromDevice& device, bool resetHigh) {
    Data(resetHigh ? 0xDC : 0xD4);
    if (!deviations.skipPowerUpControl) {
        Ctrl(0x01);
    }
    if (!deviations.skipReadPowerUpWait) {
        DelayMs(200);
    }
    Data(device.readSupply == 50 ? 0xC0 : 0xE0);
    if (!deviations.skipReadSettleWait) {
        DelayMs(1000);
    }
    ResetAddressCounter(device, resetHigh);
}

void PortSequences::ResetAddressCounter(const PromDevice& device, bool resetHigh) {
    const uint8_t v = (device.readSupply == 50 ? 0xC0 : 0xE0) + S(device.programSupply);
    if (resetHigh) {
        Data(v);
        Data(v + 0x08);
        Data(v);
    } else {
        Data(v + 0x08);
        Data(v);
        Data(v + 0x08);
    }
}

void PortSequences::ClockProgramming(int16_t supply, uint32_t count) {
    const uint8_t s = S(supply);
    for (uint32_t i = 0; i < count; ++i) {
        Data(0xD9 + s);
        Data(0xD0 + s);
        Data(0xD0 + s);
        Data(0xD1 + s);
        Data(0xD9 + s);
    }
}

void PortSequences::ClockRead(const PromDevice& device, bool resetHigh) {
    const uint8_t v = (device.readSupply == 50 ? 0xC0 : 0xE0) + S(device.programSupply) + (resetHigh ? 0 : 0x08);
    Data(v + 1);
    Data(v);
}

int PortSequences::CheckProgrammer() {
    int result = 0;
    Data(0xF4);
    if (!deviations.skipPowerUpControl) {
        Ctrl(0x01);
    }
    if (!deviations.skipLoopBackWaits) {
        DelayMs(100);
    }
    const bool first = Status() & 0x10;
    Data(0xF6);
    if (!deviations.skipLoopBackWaits) {
        DelayMs(10);
    }
    const bool second = Status() & 0x10;
    if (!first || second) {
        result = 1;
    } else {
        Ctrl(0x05);
        Data(0xD4);
        Data(0x54);
        int n = 0;
        while ((Status() & 0x80) && ++n < 6000) {
        }
        Data(0xD4);
        if (n == 0 || n == 6000) {
            result = 2;
        } else {
            int reads = 0;
            while (!(Status() & 0x80)) {
                if (++reads == 6000) {
                    result = 2;
                    break;
                }
            }
        }
    }
    PowerOff(33);
    return result;
}

PortSequences::Identifier PortSequences::ReadIdentifier(uint32_t clocks, int16_t supply) {
    const uint8_t s = S(supply);
    PowerProgramming(supply);
    if (!deviations.skipIdentifierWait) {
        DelayMs(100);
    }
    ClockProgramming(supply, clocks);
    Data(0xD8 + s);
    DelayMs(1);
    Data(0xC8 + s);
    uint16_t code = (Status() & 0x10) ? 1 : 0;
    for (int bit = 1; bit < 16; ++bit) {
        Data(0xC8 + s);
        Data(0xC8 + s);
        Data(0xC9 + s);
        code = static_cast<uint16_t>(code << 1 | ((Status() & 0x10) ? 1 : 0));
    }
    PowerOff(supply);
    return {static_cast<uint8_t>(code >> 8), static_cast<uint8_t>(code)};
}

std::string PortSequences::Identify() {
    std::vector<std::pair<uint32_t, int16_t>> probes;
    for (const PromDevice* type : CatalogTypes()) {
        const std::pair<uint32_t, int16_t> probe{type->idClocks, type->programSupply};
        if (std::find(probes.begin(), probes.end(), probe) == probes.end()) {
            probes.push_back(probe);
        }
    }
    for (const auto& [clocks, supply] : probes) {
        const Identifier id = ReadIdentifier(clocks, supply);
        if (id.manufacturer != 0xC9) {
            continue;
        }
        for (const PromDevice* type : CatalogTypes()) {
            if (type->idClocks == clocks && type->idCode == id.device) {
                return type->name;
            }
        }
    }
    return "";
}

PortSequences::OptionBits PortSequences::ReadOptionBits(const PromDevice& device) {
    const int16_t p = device.programSupply;
    const uint8_t s = S(p);
    auto readOne = [&](uint32_t clocks) {
        Data(0xD9 + s);
        Data(0xD1 + s);
        ClockProgramming(p, clocks);
        Data(0xD9 + s);
        Data(0xC9 + s);
        const bool programmed = Status() & 0x20;
        Data(0xD9 + s);
        return programmed;
    };
    OptionBits bits;
    PowerProgramming(p);
    bits.resetProgrammed = readOne(device.optionClocks);
    if (IsExtended(device)) {
        PowerOff(p);
        PowerProgramming(p);
        bits.expressProgrammed = readOne(0x200A0);
        PowerOff(p);
        PowerProgramming(p);
        bits.busyProgrammed = readOne(0x200C0);
    }
    PowerOff(p);
    return bits;
}

std::vector<uint8_t> PortSequences::ReadSerial(const PromDevice& device, bool resetHigh, bool* ceoHigh) {
    std::vector<uint8_t> bytes(device.sizeBits / 8);
    PowerOff(device.programSupply);
    PowerRead(device, resetHigh);
    for (uint8_t& byte : bytes) {
        for (int i = 0; i < 8; ++i) {
            if (Status() & 0x10) {
                byte = static_cast<uint8_t>(byte | 1 << i);
            }
            ClockRead(device, resetHigh);
        }
    }
    if (ceoHigh) {
        *ceoHigh = Status() & 0x20;
    }
    PowerOff(device.programSupply);
    return bytes;
}

std::vector<uint8_t> PortSequences::ReadWords(const PromDevice& device, uint32_t wordLimit) {
    const uint8_t s = S(device.programSupply);
    const uint32_t wordBytes = device.wordSize / 8;
    const uint32_t words = std::min(device.sizeBits / device.wordSize, wordLimit);
    std::vector<uint8_t> bytes(size_t(words) * wordBytes);
    PowerOff(device.programSupply);
    PowerProgramming(device.programSupply);
    for (uint32_t w = 0; w < words; ++w) {
        Data(0xC8 + s);
        for (uint32_t k = 0; k < wordBytes; ++k) {
            uint8_t byte = 0;
            for (int i = 0; i < 8; ++i) {
                Data(0xC8 + s);
                if (Status() & 0x10) {
                    byte = static_cast<uint8_t>(byte | 1 << i);
                }
                Data(0xC9 + s);
            }
            bytes[size_t(w) * wordBytes + k] = byte;
        }
        Data(0xD9 + s);
        if (deviations.readModeClockInProgramming) {
            ClockRead(device, true);
        } else {
            ClockProgramming(device.programSupply);
        }
    }
    PowerOff(device.programSupply);
    return bytes;
}

bool PortSequences::WaitPulseLevel(bool level, int count) {
    int inRow = 0;
    for (int reads = 0; reads < kWaitBound; ++reads) {
        const bool high = Status() & 0x80;
        inRow = high == level ? inRow + 1 : 0;
        if (inRow == count) {
            return true;
        }
    }
    return false;
}

int PortSequences::ProgramWord(const PromDevice& device, const uint8_t* word) {
    const uint8_t s = S(device.programSupply);
    const uint32_t bits = device.wordSize;
    bool allOnes = true;
    for (uint32_t b = 0; b < bits / 8; ++b) {
        allOnes = allOnes && word[b] == 0xFF;
    }
    auto bit = [&](uint32_t k) { return (word[k / 8] >> (k % 8)) & 1; };
    auto shiftIn = [&] {
        for (uint32_t k = 0; k < bits; ++k) {
            if (bit(k)) {
                Data(0xD8 + s);
                Data(0xD9 + s);
            } else {
                Data(0xDA + s);
                Data(0xDB + s);
            }
        }
    };

    int result = 1;
    if (allOnes) {
        if (IsExtended(device)) {
            Data(0xC9 + s);
            for (uint32_t k = 0; k < bits; ++k) {
                Data(0xC8 + s);
                Data(0xC9 + s);
            }
        }
    } else if (UsesVariantB(device)) {
        Ctrl(deviations.swapPulseControl ? 0x02 : 0x05);
        Data(0xD8 + s);
        shiftIn();
        Data(0xD8 + s);
        Data(0x58 + s);
        if (!WaitPulseLevel(false, 1)) {
            result = 0;
        }
        if (deviations.clockDuringPulse) {
            ClockProgramming(device.programSupply);
        }
        Data(0xD8);
        if (!WaitPulseLevel(true, 1)) {
            result = 0;
        }
        if (deviations.readBackSinglePulse) {
            WaitPulseLevel(true, 1024);
            Data(0xC8 + s);
            if (!ReadBackMatches(s, word, bits)) {
                result = 0;
            }
        }
    } else {
        Ctrl(deviations.swapPulseControl ? 0x05 : 0x02);
        Data(0xD8 + s);
        shiftIn();
        result = 0;
        for (int pulses = 1; pulses <= 3; ++pulses) {
            Data(0xD8 + s);
            Data(0x58 + s);
            const bool started = WaitPulseLevel(false, deviations.releasePulseEarly ? 1 : 32);
            if (deviations.clockDuringPulse) {
                ClockProgramming(device.programSupply);
            }
            Data(0xD8 + s);
            const bool ended = WaitPulseLevel(true, deviations.skipPulseEndWait ? 1 : 1024);
            if (!started || !ended) {
                break;
            }
            Data(0xC8 + s);
            const bool same = ReadBackMatches(s, word, bits);
            Ctrl(deviations.swapPulseControl ? 0x05 : TakesControlTwo(device) ? 0x02 : 0x00);
            if (same) {
                result = pulses;
                break;
            }
        }
    }
    Data(0xD9 + s);
    return result;
}

bool PortSequences::ReadBackMatches(uint8_t s, const uint8_t* word, uint32_t bits) {
    bool same = true;
    for (uint32_t k = 0; k < bits; ++k) {
        Data(0xC8 + s);
        const bool wanted = (word[k / 8] >> (k % 8)) & 1;
        same = same && ((Status() & 0x10) != 0) == wanted;
        Data(0xC9 + s);
    }
    return same;
}

int64_t PortSequences::ProgramArray(const PromDevice& device, const std::vector<uint8_t>& image) {
    const uint32_t wordBytes = device.wordSize / 8;
    const uint32_t words = device.sizeBits / device.wordSize;
    int64_t failed = -1;
    PowerOff(device.programSupply);
    PowerProgramming(device.programSupply);
    for (uint32_t n = 0; n < words && failed < 0; ++n) {
        if (ProgramWord(device, image.data() + size_t(n) * wordBytes) == 0) {
            failed = n;
        } else {
            ClockProgramming(device.programSupply);
        }
    }
    PowerOff(device.programSupply);
    return failed;
}

bool PortSequences::ProgramOption(const PromDevice& device, Option option, bool spoilOneBit) {
    const int16_t p = device.programSupply;
    const uint8_t s = S(p);
    const bool reset = option == Option::Reset;
    PowerProgramming(p);
    if (reset) {
        Data(0xDB);
        Data(0xD3);
    }
    const uint32_t count = reset ? device.optionClocks : option == Option::Express ? 0x200A0 : 0x200C0;
    ClockProgramming(p, count);
    if (reset) {
        Data(0xDB);
    }
    for (uint32_t k = 0; k < device.wordSize; ++k) {
        if (spoilOneBit && k == device.wordSize / 2) {
            Data(reset ? 0xD8 + s : 0xDC);
            Data(reset ? 0xD9 + s : 0xDD);
        } else {
            Data(reset ? 0xDA + s : 0xDE);
            Data(reset ? 0xDB + s : 0xDF);
        }
    }
    Ctrl(reset ? (TakesControlTwo(device) ? 0x03 : 0x07) : 0x03);
    Data(reset ? 0x59 + s : 0x5C);
    WaitPulseLevel(false, 1);
    Data(reset ? 0xD9 + s : 0xDC);
    WaitPulseLevel(true, 1);
    Data(reset ? 0xC9 + s : 0xCC);
    Ctrl(0x02);
    const bool programmed = Status() & 0x20;
    PowerOff(p);
    return programmed;
}

std::vector<const PromDevice*> CatalogTypes() {
    std::vector<const PromDevice*> types;
    for (size_t i = 0; i < DeviceCatalog::Standard().GetCount(); ++i) {
        types.push_back(&DeviceCatalog::Standard().GetAt(i));
    }
    return types;
}

