#pragma once
#include <cstdint>
#include <string>

// One PROM type of the catalogue: a copyable value.
struct PromDevice {
    std::string name;
    uint32_t sizeBits = 0;       // data array size; the buffer holds sizeBits / 8 bytes
    uint32_t idClocks = 0;       // address clocks after the programming power-up to the identifier
    uint32_t optionClocks = 0;   // address clocks after the programming power-up to the reset bit
    int16_t readSupply = 0;      // tenths of a volt: 50 or 33
    int16_t programSupply = 0;   // tenths of a volt: 50 or 33
    uint16_t idCode = 0;         // device code answered after the manufacturer code 0xC9
    uint16_t wordSize = 0;       // bits per word: 32, 64 or 128

    virtual ~PromDevice() = default;
    PromDevice() = default;
    PromDevice(std::string name, uint32_t sizeBits, uint32_t idClocks, uint32_t optionClocks,
               int16_t readSupply, int16_t programSupply, uint16_t idCode, uint16_t wordSize)
        : name(std::move(name)), sizeBits(sizeBits), idClocks(idClocks), optionClocks(optionClocks),
          readSupply(readSupply), programSupply(programSupply), idCode(idCode), wordSize(wordSize) {}
    PromDevice(const PromDevice&) = default;
    PromDevice& operator=(const PromDevice&) = default;
};

// How a part is programmed; the low four bits of its device code (F) tell.
enum class ProgrammingFamily {
    Newer,        // F = 2, 3, 4, 5 or C: read back after each pulse; the programmer's control
                  // stays at 2 for the retries, and the reset bit takes control 3
    ReadBack,     // the other read-back parts: control 0 for the retries, 7 for the reset bit
    SinglePulse,  // F = E or F: one programmer-timed pulse under control 5, no read-back
};
ProgrammingFamily FamilyOf(uint16_t deviceCode);

// Extended devices (F = C) are read word by word in programming mode and carry the
// express-output and busy-pin option bits.
bool IsExtendedCode(uint16_t deviceCode);
bool IsExtended(const PromDevice& device);

// Supply-select value added to the data-register patterns: 4 for any supply but 5.0 V.
constexpr uint8_t SupplySelect(int16_t supplyCode) {
    return supplyCode == 50 ? 0 : 4;
}
