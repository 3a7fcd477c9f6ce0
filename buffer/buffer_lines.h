#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The buffer as the viewer lists it: lines of 16 bytes, "%06X: " with the line's offset, then
// "%02X " per byte. The last line of a buffer holds only the bytes that remain.
constexpr uint32_t kBufferLineBytes = 16;
constexpr uint32_t kBufferFullLineLength = 8 + 3 * kBufferLineBytes;   // 56 characters

// One screen of the viewer. Buffers larger than one screen are listed from the beginning
// of a screen the operator chooses.
constexpr uint32_t kBufferScreenBytes = 0x7FDF0;

// The line at `offset` of a buffer of `length` bytes.
std::string BufferLine(const uint8_t* data, uint32_t length, uint32_t offset);

// Lines from `start` to the end of a buffer of `length` bytes.
uint32_t BufferLineCount(uint32_t length, uint32_t start);

// Screens a buffer of `length` bytes spans; screen k begins at k x kBufferScreenBytes.
uint32_t BufferScreenCount(uint32_t length);

// The fill of the viewer shows its progress in steps of ten (1, 11, ..., 91): line `line`
// (counted from `start`) is the first to show `percent`.
struct FillProgressStep {
    uint32_t line;
    uint32_t percent;
    bool operator==(const FillProgressStep&) const = default;
};
std::vector<FillProgressStep> FillProgressSteps(uint32_t length, uint32_t start);
