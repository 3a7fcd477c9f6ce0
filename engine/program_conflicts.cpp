// Before the first pulse: a one-time part that already holds a 0 where the buffer wants a 1 can
// never take the buffer, and pulsing it would change it for nothing.
#include <cstdio>
#include <memory>
#include <new>

#include "engine/array_image.h"
#include "engine/array_stream.h"
#include "engine/programmer.h"
#include "engine/status_line.h"

namespace {

std::string ConflictText(const ProgramConflicts& conflicts) {
    char text[200];
    std::snprintf(text, sizeof text,
                  "The PROM already holds data that this buffer cannot overwrite: first conflict at byte 0x%X, "
                  "%u %s. Nothing was programmed.",
                  static_cast<unsigned>(conflicts.firstByte), static_cast<unsigned>(conflicts.bytes),
                  conflicts.bytes == 1 ? "byte conflicts" : "bytes conflict");
    return text;
}

}  // namespace

bool Programmer::CheckPartTakesBuffer(ProgramConflicts& conflicts) {
    conflicts = ProgramConflicts{};
    failureText.clear();
    if (!currentDevice) {
        return true;   // programming does nothing without a part either
    }
    const uint32_t total = currentDevice->sizeBits / 8;
    std::unique_ptr<uint8_t[]> part(new (std::nothrow) uint8_t[total]);
    if (!part) {
        failureText = "Not enough memory to read the PROM before programming. Nothing was programmed.";
        return false;
    }
    ShowStatusLine();
    SetStatusText("Power On - Program Check");
    const bool complete = ReadArrayInto(*this, part.get(), total, "Program Check");
    SetStatusText("Power Off - Program Check");
    SetPowerMode(POWER_OFF, currentDevice->programSupply);
    HideStatusLine();
    if (!complete) {
        failureText = MustEnd() ? EndedText()
                                    : "The PROM could not be read before programming. Nothing was programmed.";
        return false;
    }
    // Bytes past the buffer's end are to stay erased.
    const ArrayImage image{buffer.get(), bufferLength};
    for (uint32_t i = 0; i < total; ++i) {
        if (image[i] & ~part[i]) {
            if (conflicts.bytes == 0) {
                conflicts.firstByte = i;
            }
            ++conflicts.bytes;
        }
    }
    if (conflicts.bytes == 0) {
        return true;
    }
    failureText = ConflictText(conflicts);
    return false;
}
