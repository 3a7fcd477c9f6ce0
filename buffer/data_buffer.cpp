#include <algorithm>

#include "buffer/buffer_checksum.h"
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
    checksum = buffer ? BufferChecksum(buffer.get(), bufferLength) : 0;
}
