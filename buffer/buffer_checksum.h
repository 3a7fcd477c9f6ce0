#pragma once
#include <cstdint>

// The data buffer's checksum: the sum of its bytes, cut to 16 bits.
uint16_t BufferChecksum(const uint8_t* data, uint32_t length);
