#pragma once
#include <cstdint>

#include "engine/programmer.h"

// Programs the option bits that `options` asks for (reset, express, busy, in that order) and
// checks that the others are still unprogrammed. Stops at the first failure, with its text in
// `failureText`; true when every bit is as asked.
bool ProgramOptionBits(Programmer& programmer, uint32_t options);
