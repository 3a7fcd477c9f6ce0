#include "cli/part_steps.h"

#include "cli/image_files.h"
#include "engine/status_line.h"

namespace cli {
namespace {

// The identified part as the JSON output shows it.
JsonObject PartObject(const Programmer& programmer) {
    const PromDevice& part = *programmer.currentDevice;
    JsonObject optionBits;
    optionBits.AddText("reset_active", programmer.resetPolarity == 1 ? "high" : "low");
    if (IsExtended(part)) {
        optionBits.AddText("express_output", programmer.expressOutput == 1 ? "serial" : "parallel");
        optionBits.AddText("busy_pin", programmer.busyPin == 1 ? "floating" : "pulled_down");
    }
    JsonObject object;
    object.AddText("type", part.name)
        .AddNumber("size_bits", part.sizeBits)
        .AddNumber("size_bytes", part.sizeBits / 8)
        .AddNumber("word_bits", part.wordSize)
        .AddBool("extended", IsExtended(part))
        .AddObject("option_bits", optionBits)
        .AddText("manufacturer_code", HexNumber(0xC9, 2))   // no other maker's part is identified
        .AddText("device_code", HexNumber(part.idCode, 2));
    return object;
}

}  // namespace

bool IdentifyPart(Programmer& programmer, const Console& console) {
    const std::string failure = IdentifyPartFailure(programmer);
    if (!failure.empty()) {
        console.Error(failure);
        return false;
    }
    if (console.report) {
        console.report->Fields().AddObject("part", PartObject(programmer));
    }
    return true;
}

std::string IdentifyPartFailure(Programmer& programmer) {
    ShowStatusLine();
    SetStatusText("Programmer check...");
    const int32_t presence = programmer.CheckProgrammer();
    HideStatusLine();
    if (programmer.link.AccessLost()) {
        return programmer.link.LostAccessText();
    }
    if (presence & 1) {
        return "Programmer not present. If programmer is connected, check battery and cable (if used)";
    }
    if (presence & 2) {
        return "Programmer micro controller error, pulse not found.";
    }
    if (programmer.Identify(true)) {
        return {};
    }
    if (programmer.MustEnd()) {
        return programmer.EndedText();
    }
    if (!programmer.currentDevice) {
        return "No Device found";
    }
    return "not enough memory for the buffer of a " + programmer.currentDevice->name;
}

bool CheckOptionBitsFit(const PromDevice& part, const OptionBitChoices& optionBits, const Console& console) {
    if (!IsExtended(part) && (optionBits.busyPulldown || optionBits.expressParallel)) {
        console.Error("the " + part.name + " has no busy-pin or express-output bit: leave out --busy and --output");
        return false;
    }
    return true;
}

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

bool LoadPartImage(Programmer& programmer, const std::string& file, const std::string& refusal,
                   const Console& console) {
    switch (LoadImage(file, programmer.buffer.get(), programmer.GetBufferLength(), console)) {
    case LoadOutcome::Loaded:
        programmer.UpdateChecksum();
        if (console.report) {
            console.report->Fields().AddText("checksum", HexNumber(programmer.checksum, 4));
        }
        return true;
    case LoadOutcome::LoadedWithWarning:
        console.Error(file + " did not load whole: " + refusal);
        return false;
    case LoadOutcome::Failed:
        break;
    }
    return false;
}

std::string WithFailureText(const std::string& message, const std::string& failureText) {
    return failureText.empty() ? message : message + ": " + failureText;
}

}  // namespace cli
