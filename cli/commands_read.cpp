#include "cli/commands.h"
#include "cli/image_files.h"
#include "cli/part_steps.h"

namespace cli {

int RunRead(Programmer& programmer, const std::string& file, const Console& console) {
    // A name that selects no format is refused before the part is read.
    if (!CheckSaveName(file, console) || !IdentifyPart(programmer, console)) {
        return kExitFailed;
    }
    programmer.ReadPart();
    if (!programmer.failureText.empty()) {
        console.Error(programmer.failureText + ": nothing was written to " + file);
        return kExitFailed;
    }
    if (!SaveImage(file, programmer.buffer.get(), programmer.GetBufferLength(), console)) {
        return kExitFailed;
    }
    programmer.UpdateChecksum();
    ShowChecksum(programmer.checksum, console);
    return kExitSuccess;
}

}  // namespace cli
