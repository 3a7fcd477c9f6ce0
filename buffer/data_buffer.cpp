#include <algorithm>

#include "engine/programmer.h"

void Programmer::ClearBuffer() {
    if (buffer) {
        std::fill_n(buffer.get(), bufferLength, uint8_t{0xFF});
    }
    UpdateChecksum();
}

uint32_t Programmer::GetBufferLength() const {
    return bufferLength;
}

void Programmer::UpdateChecksum() {
    uint32_t sum = 0;
    if (buffer) {
        for (uint32_t i = 0; i < bufferLength; ++i) {
            sum += buffer[i];
        }
    }
    checksum = static_cast<uint16_t>(sum);
}
