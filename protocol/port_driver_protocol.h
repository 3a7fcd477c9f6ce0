#pragma once
#include <cstdint>

// The port driver's request codes and packet layout, shared by the station and the driver.
namespace port_driver {

inline constexpr const char* kDeviceName = "\\\\.\\Kvalport";

constexpr uint32_t kReadRegister = 0x9C4A6400;
constexpr uint32_t kWriteRegister = 0x9C4AA440;
constexpr uint32_t kSetPortBase = 0x9C4AA44C;
constexpr uint32_t kVersion = 0x9C4A6450;
constexpr uint32_t kAddressClock = 0x9C4A645C;
constexpr uint32_t kOptionBitRead = 0x9C4A6460;
constexpr uint32_t kIdentifierRead = 0x9C4A6464;
constexpr uint32_t kBlankCheck = 0x9C4A6468;
constexpr uint32_t kVerifyChunk = 0x9C4A646C;
constexpr uint32_t kReadChunk = 0x9C4A6470;
constexpr uint32_t kProgramChunk = 0x9C4A6474;

constexpr uint32_t kDriverVersion = 8;
constexpr uint32_t kRequestBufferSize = 4194304;
constexpr uint32_t kSmallOutputSize = 100;

// Command packet header, little-endian.
constexpr uint32_t kArgumentOffset = 0;      // 4 bytes: the argument; on return the main answer
constexpr uint32_t kReadSupplyOffset = 4;    // 2 bytes
constexpr uint32_t kPowerModeOffset = 6;     // 2 bytes
constexpr uint32_t kSupplySelectOffset = 8;  // 1 byte
constexpr uint32_t kResetPolarityOffset = 9; // 1 byte
constexpr uint32_t kHeaderSize = 10;
// Program chunks carry two more header bytes before their data.
constexpr uint32_t kWordSizeOffset = 10;
constexpr uint32_t kIdCodeOffset = 11;
constexpr uint32_t kProgramHeaderSize = 12;

inline uint32_t Get32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint16_t Get16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
inline void Put32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
inline void Put16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

}  // namespace port_driver
