#include "buffer/buffer_lines.h"

#include <algorithm>
#include <cstdio>

std::string BufferLine(const uint8_t* data, uint32_t length, uint32_t offset) {
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    char address[16];
    std::snprintf(address, sizeof address, "%06X: ", static_cast<unsigned>(offset));

    std::string line;
    line.reserve(kBufferFullLineLength);
    line += address;
    const uint32_t count = offset < length ? std::min(kBufferLineBytes, length - offset) : 0;
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t byte = data[offset + i];
        line += kHexDigits[byte >> 4];
        line += kHexDigits[byte & 0x0F];
        line += ' ';
    }
    return line;
}

uint32_t BufferLineCount(uint32_t length, uint32_t start) {
    if (start >= length) {
        return 0;
    }
    const uint32_t bytes = length - start;
    return bytes / kBufferLineBytes + (bytes % kBufferLineBytes != 0 ? 1 : 0);
}

uint32_t BufferScreenCount(uint32_t length) {
    return length / kBufferScreenBytes + (length % kBufferScreenBytes != 0 ? 1 : 0);
}

std::vector<FillProgressStep> FillProgressSteps(uint32_t length, uint32_t start) {
    std::vector<FillProgressStep> steps;
    const uint32_t lines = BufferLineCount(length, start);
    const uint64_t span = length - start;   // lines > 0 implies start < length
    for (uint32_t line = 0; line < lines; ++line) {
        // 64 bits: the percentage of a long span overflows 32 bits before the division.
        const uint64_t done = static_cast<uint64_t>(line) * kBufferLineBytes + 1;
        const auto percent = static_cast<uint32_t>(done * 100 / span);
        if (percent % 10 == 1 && (steps.empty() || steps.back().percent != percent)) {
            steps.push_back({line, percent});
        }
    }
    return steps;
}
