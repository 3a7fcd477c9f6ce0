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
    ShowStatusLine();
    SetStatusText("Programmer check...");
    const int32_t presence = programmer.CheckProgrammer();
    HideStatusLine();
    if (programmer.link.AccessLost()) {
        console.Error(programmer.link.LostAccessText());
        return false;
    }
    if (presence & 1) {
        console.Error("Programmer not present. If programmer is connected, check battery and cable (if used)");
        return false;
    }
    if (presence & 2) {
        console.Error("Programmer micro controller error, pulse not found.");
        return false;
    }
    if (programmer.Identify(true)) {
        if (console.report) {
            console.report->Fields().AddObject("part", PartObject(programmer));
        }
        return true;
    }
    if (programmer.MustEnd()) {
        console.Error(programmer.EndedText());
    } else if (!programmer.currentDevice) {
        console.Error("No Device found");
    } else {
        console.Error("not enough memory for the buffer of a " + programmer.currentDevice->name);
    }
    return false;
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
