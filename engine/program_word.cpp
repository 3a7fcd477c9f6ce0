// Programs one word of the buffer into the part with programming pulses.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>

#include "engine/array_image.h"
#include "engine/programmer.h"
#include "engine/programming_pulse.h"

namespace {

constexpr int kMaxPulses = 3;

[[noreturn]] void QuitForLackOfMemory() {
    std::fputs("\n\nNot enough memory to complete operation.\n Program is quiting", stdout);
    std::fflush(stdout);
    std::exit(1);
}

// Into the input register, word bit 0 first; data bit 1 set stands for a 0 bit.
void ShiftWordIn(Programmer& programmer, uint8_t s, const uint8_t* bits, uint32_t wordSize) {
    const uint16_t data = programmer.portBase;
    for (uint32_t k = 0; k < wordSize; ++k) {
        if (bits[k] == 0) {
            programmer.WritePort(data, 0xDA + s);
            programmer.WritePort(data, 0xDB + s);
        } else {
            programmer.WritePort(data, 0xD8 + s);
            programmer.WritePort(data, 0xD9 + s);
        }
    }
}

void ReadWordBack(Programmer& programmer, uint8_t s, uint8_t* bits, uint32_t wordSize) {
    const uint16_t data = programmer.portBase;
    const uint16_t status = programmer.portBase + 1;
    for (uint32_t k = 0; k < wordSize; ++k) {
        programmer.WritePort(data, 0xC8 + s);
        bits[k] = (programmer.ReadPort(status) & 0x10) ? 1 : 0;
        programmer.WritePort(data, 0xC9 + s);
    }
}

// True when the read-back differs; `fault` then says where and by how many bits.
bool CompareReadBack(const uint8_t* written, const uint8_t* readBack, uint32_t wordSize,
                     WordProgramFault& fault) {
    fault.firstDifferingBit = 0;
    fault.differingBits = 0;
    for (uint32_t k = 0; k < wordSize; ++k) {
        if (written[k] != readBack[k]) {
            if (fault.differingBits == 0) {
                fault.firstDifferingBit = k;
            }
            ++fault.differingBits;
        }
    }
    return fault.differingBits > 0;
}

}  // namespace

bool Programmer::ProgramWord(uint32_t wordIndex, int16_t supplyCode, WordProgramFault& fault) {
    fault = WordProgramFault{};
    if (!currentDevice) {
        return true;
    }
    const PromDevice& device = *currentDevice;
    const uint32_t wordSize = device.wordSize;
    const uint8_t s = SupplySelect(supplyCode);
    const ProgrammingFamily family = FamilyOf(device.idCode);
    const uint16_t data = portBase;
    const uint16_t control = portBase + 2;

    std::unique_ptr<uint8_t[]> toWrite(new (std::nothrow) uint8_t[wordSize]);
    std::unique_ptr<uint8_t[]> readBack(new (std::nothrow) uint8_t[wordSize]);
    if (!toWrite || !readBack) {
        QuitForLackOfMemory();
    }

    const ArrayImage image{buffer.get(), bufferLength};
    const uint32_t firstByte = wordIndex * WordBytes(device);
    bool erased = true;
    for (uint32_t k = 0; k < wordSize; ++k) {
        const uint8_t byte = image[firstByte + k / 8];
        toWrite[k] = (byte >> (k % 8)) & 1;
        erased = erased && byte == 0xFF;
    }

    bool failed = false;
    if (erased) {
        // Nothing to program; an extended part still has its output register clocked through.
        if (IsExtended(device)) {
            WritePort(data, 0xC9 + s);
            for (uint32_t k = 0; k < wordSize; ++k) {
                WritePort(data, 0xC8 + s);
                WritePort(data, 0xC9 + s);
            }
        }
    } else if (family == ProgrammingFamily::SinglePulse) {
        WritePort(control, 5);
        WritePort(data, 0xD8 + s);
        ShiftWordIn(*this, s, toWrite.get(), wordSize);
        WritePort(data, 0xD8 + s);
        fault.pulse = RunProgrammingPulse(*this, 0x58 + s, 0xD8, 1, 1);
        failed = fault.pulse != PulseAnswer::Complete;
    } else {
        WritePort(control, 2);
        WritePort(data, 0xD8 + s);
        ShiftWordIn(*this, s, toWrite.get(), wordSize);
        // The input register keeps the word, so a retry only pulses again.
        for (int pulses = 1;; ++pulses) {
            WritePort(data, 0xD8 + s);
            fault.pulse = RunProgrammingPulse(*this, 0x58 + s, 0xD8 + s, 32, 1024);
            if (fault.pulse != PulseAnswer::Complete) {
                failed = true;
                break;
            }
            WritePort(data, 0xC8 + s);
            ReadWordBack(*this, s, readBack.get(), wordSize);
            failed = CompareReadBack(toWrite.get(), readBack.get(), wordSize, fault);
            WritePort(control, family == ProgrammingFamily::Newer ? 2 : 0);
            if (!failed || pulses == kMaxPulses) {
                break;
            }
        }
    }
    WritePort(data, 0xD9 + s);
    return failed;
}
