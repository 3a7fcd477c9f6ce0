#pragma once
#include <atomic>
#include <cstdint>
#include <ostream>

namespace cli {

// Asks the operator on `prompt` to insert part `number` and waits for a line on `input` (a file
// descriptor). True for Enter (any answer but q); false for q, the end of the input, or `stop`
// (set by Ctrl-C), which ends the wait within a fraction of a second.
bool AskForPart(uint32_t number, int input, const std::atomic<bool>& stop, std::ostream& prompt);

}  // namespace cli
