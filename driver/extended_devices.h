#pragma once
#include <cstdint>

namespace driver {

// Extended devices (device code low nibble 0xC) are read word by word in programming mode.
bool IsExtendedDeviceCode(uint16_t deviceCode);

// Word size in bits of the extended device with this code; 0 for any other code.
uint16_t ExtendedWordSize(uint16_t deviceCode);

}  // namespace driver
