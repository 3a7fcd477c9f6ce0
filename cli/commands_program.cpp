#include "cli/commands.h"
#include "cli/image_files.h"
#include "cli/part_steps.h"

namespace cli {
int RunProgram(Programmer& programmer, const std::string& file, const OptionBitChoices& optionBits,
               const Console& console) {
    if (!CheckLoadName(file, console) || !IdentifyPart(programmer, console)) {
        return kExitFailed;
    }
    if (!CheckOptionBitsFit(*programmer.currentDevice, optionBits, console)) {
        return kExitUsage;
    }
    if (!LoadPartImage(programmer, file, "the PROM was not programmed", console)) {
        return kExitFailed;
    }
    ProgramConflicts conflicts;
    if (!programmer.CheckPartTakesBuffer(conflicts)) {
        console.Error(programmer.failureText);
        return kExitFailed;
    }
    uint16_t progress = 0;
    const int32_t result = programmer.ProgramDevice(&progress, OptionsWord(optionBits), 0, 0);
    if (progress >= 100 && result == 0) {
        console.out << "PROM programmed and verified successfully\n";
        return kExitSuccess;
    }
    console.Error(WithFailureText("Device did not program correctly", programmer.failureText));
    return kExitFailed;
}

int RunVerify(Programmer& programmer, const std::string& file, const Console& console) {
    if (!CheckLoadName(file, console) || !IdentifyPart(programmer, console) ||
        !LoadPartImage(programmer, file, "the PROM was not compared", console)) {
        return kExitFailed;
    }
    uint16_t progress = 0;
    const int32_t result = programmer.VerifyDevice(&progress, programmer.buffer.get());
    if (progress == 100 && result == 0) {
        console.out << "Device and Buffer compared succesfully\n";
        return kExitSuccess;
    }
    console.Error(WithFailureText("Device and Buffer compare FAILED!!", programmer.failureText));
    return kExitFailed;
}

}  // namespace cli
