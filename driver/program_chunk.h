#pragma once
#include <cstdint>

#include "driver/port_signals.h"

namespace driver {

// A programmer pulse must start, and end, within this many status reads (about a second on a
// real port); a pulse that never comes or never ends fails the word instead of hanging.
constexpr uint32_t kPulseWaitReads = 1000000;

struct ProgramChunkRequest {
    const PacketHeader& header;   // argument: number of words
    uint16_t wordSize;            // bits per word, a multiple of 8
    uint8_t idCode;               // the part's device code: its low nibble picks the variant
    const uint8_t* data;          // the words, in buffer order
};

// Programs the chunk's words from the part's current address on, one address clock after each.
// Stops at the first word that fails; returns the number of words programmed.
uint32_t ProgramChunk(PortSignals& signals, const ProgramChunkRequest& chunk);

}  // namespace driver
