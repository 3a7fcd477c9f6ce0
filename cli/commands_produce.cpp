#include <unistd.h>

#include "cli/commands.h"
#include "cli/operator_prompt.h"
#include "cli/production_run.h"

namespace cli {

int RunProduce(const CommandLine& line, Station& station, const Console& console) {
    ProductionLog log;
    std::string error;
    if (!line.logFile.empty() && !log.Open(line.logFile, error)) {
        console.Error(error);
        return kExitFailed;
    }
    const ProductionJob job{line.files[0], line.deviceType, line.optionBits, line.partCount};
    Programmer& programmer = station.GetProgrammer();
    NextPart nextPart;
    if (station.IsSimulated()) {
        // A rehearsal: no operator, a fresh blank part each round after the station's first.
        nextPart = [&station](uint32_t number) {
            if (number > 1) {
                station.InsertBlankSimulatedPart();
            }
            return true;
        };
    } else {
        nextPart = [&programmer, &console](uint32_t number) {
            return AskForPart(number, STDIN_FILENO, programmer.stopRequested, console.err);
        };
    }
    return RunProduction(programmer, job, nextPart, log, console);
}

}  // namespace cli
