#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "cli/command_line.h"
#include "cli/console.h"
#include "cli/production_log.h"
#include "engine/programmer.h"

namespace cli {

// What a production run puts on every part.
struct ProductionJob {
    std::string imageFile;
    const PromDevice* type = nullptr;   // nullptr: the first part identified sets it
    OptionBitChoices optionBits;
    uint32_t partCount = 0;             // 0: until the next part does not come
};

// Brings part `number` (from 1) into the socket; false ends the run.
using NextPart = std::function<bool(uint32_t number)>;

// Identifies, blank checks, programs and verifies one part after another: a line for each on
// the console's out, a row in `log` when it is open, and the summary at the end. A part that
// already holds the image and the option bits passes without a pulse; any other part that is
// not blank fails. The run ends early when the operator stops it (`stopRequested`), or when
// the port is lost or the log cannot be written. Returns the exit status: success only when
// at least one part was done and every part passed.
int RunProduction(Programmer& programmer, const ProductionJob& job, const NextPart& nextPart, ProductionLog& log,
                  const Console& console);

}  // namespace cli
