#include "cli/commands.h"
#include "cli/image_files.h"
#include "cli/part_steps.h"

namespace cli {
namespace {

uint32_t OptionsWord(const OptionBitChoices& optionBits) {
    uint32_t options = PROGRAM_ARRAY;
    if (optionBits.resetLow.value_or(false)) {
        options |= PROGRAM_RESET_LOW;
    }
    if (optionBits.expressParallel.value_or(false)) {
        options |= PROGRAM_EXPRESS_PARALLEL;
    }
    if (optionBits.busyPulldown.value_or(false)) {
        options |= PROGRAM_BUSY_PULLDOWN;
    }
    return options;
}

}  // namespace

int RunProgram(Programmer& programmer, const std::string& file, const OptionBitChoices& optionBits,
               const Console& console) {
    if (!CheckLoadName(file, console) || !IdentifyPart(programmer, console)) {
        return kExitFailed;
    }
    const PromDevice& part = *programmer.currentDevice;
    if (!IsExtended(part) && (optionBits.busyPulldown || optionBits.expressParallel)) {
        console.Error("the " + part.name + " has no busy-pin or express-output bit: leave out --busy and --output");
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
