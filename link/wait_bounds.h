#pragma once
#include <cstdint>

// Every wait for the programmer ends: a pulled cable or a dead micro controller must fail the
// operation, never hang the station. Bounds count status reads (about 1 µs each on the port).

// The presence check's request for a pulse must be answered within this many reads.
constexpr uint32_t kPresencePulseStartReads = 6000;
// ...and the pulse must end within as many again.
constexpr uint32_t kPresencePulseEndReads = 6000;
// A programming pulse must start, and end, within this many reads (about a second).
constexpr uint32_t kProgrammingPulseReads = 1000000;
