#pragma once
#include <cstdint>

class Programmer;

// Powers the socket up as the current part is streamed (read mode, or programming mode for an
// extended part) and reads the first `total` bytes of its array into `out`, with progress steps
// under `label`. Leaves the socket powered: the caller powers it off. False when the transfer
// did not finish (a driver piece without answer, or the operator stopped it).
bool ReadArrayInto(Programmer& programmer, uint8_t* out, uint32_t total, const char* label);
