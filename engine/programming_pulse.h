#pragma once
#include <cstdint>

#include "engine/programmer.h"

// Asks the programmer for one timed programming pulse: writes `startValue` (data bit 7 low),
// waits until `lowReads` status reads in a row show the pulse running (status bit 7 clear),
// writes `endValue` and waits until `highReads` reads in a row show it over. Each wait gives
// up after a bounded number of reads; `endValue` is written in every case.
PulseAnswer RunProgrammingPulse(Programmer& programmer, uint8_t startValue, uint8_t endValue,
                                uint32_t lowReads, uint32_t highReads);
