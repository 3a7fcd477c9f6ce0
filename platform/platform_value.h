#pragma once
#include <cstdint>

namespace platform {

// Operating-system version values as the station sees them: the high 16 bits tell the
// platform family. 0xC000 is the family whose programs reach the port registers themselves
// (direct mode); any other value sends every port access through the port driver.
constexpr uint32_t kDirectPortFamilyVersion = 0xC0000A04;
constexpr uint32_t kDriverFamilyVersion = 0x00000005;
constexpr uint16_t kDirectPortFamily = 0xC000;

constexpr uint16_t PlatformFamily(uint32_t version) {
    return static_cast<uint16_t>(version >> 16);
}

}  // namespace platform
