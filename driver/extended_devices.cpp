#include "driver/extended_devices.h"

namespace driver {

bool IsExtendedDeviceCode(uint16_t deviceCode) {
    return (deviceCode & 0x0F) == 0x0C;
}

uint16_t ExtendedWordSize(uint16_t deviceCode) {
    switch (deviceCode) {
    case 0x7C:
    case 0x6C:
        return 128;
    case 0xAC:
    case 0x8C:
        return 64;
    case 0xFC:
        return 32;
    default:
        return 0;
    }
}

}  // namespace driver
