#include <cstdio>

#include "cli/commands.h"
#include "cli/part_steps.h"

namespace cli {

int RunIdentify(Programmer& programmer, const Console& console) {
    if (!IdentifyPart(programmer, console)) {
        return kExitFailed;
    }
    const PromDevice& part = *programmer.currentDevice;
    std::ostream& out = console.out;
    out << "PROM name: " << part.name << '\n';
    out << "PROM size: " << part.sizeBits << " x 1 bit\n";
    out << "Word size: " << part.wordSize << " bits\n";
    out << "Reset active: " << (programmer.resetPolarity == 1 ? "High" : "Low") << '\n';
    if (IsExtended(part)) {
        out << "Express Output: " << (programmer.expressOutput == 1 ? "Serial" : "Parallel") << '\n';
        out << "Busy Pin: " << (programmer.busyPin == 1 ? "Floating" : "Pulled Down") << '\n';
    }
    char deviceCode[48];
    std::snprintf(deviceCode, sizeof deviceCode, "Device ID or Product Code: FF FF FF %02X", part.idCode);
    out << "Manufacturer Code: FF FF FF C9\n" << deviceCode << '\n';
    return kExitSuccess;
}

int RunBlank(Programmer& programmer, const Console& console) {
    if (!IdentifyPart(programmer, console)) {
        return kExitFailed;
    }
    // Blank means erased data and the reset-polarity bit still unprogrammed.
    const bool blank = programmer.BlankCheck() == 1 && programmer.resetPolarity == 1;
    if (!programmer.failureText.empty()) {
        console.Error(programmer.failureText);
        return kExitFailed;
    }
    console.out << "PROM blank: " << (blank ? "Yes" : "No") << '\n';
    if (console.report) {
        console.report->Fields().AddBool("blank", blank);
        console.report->SetNegativeResult("not_blank");
    }
    return blank ? kExitSuccess : kExitFailed;
}

}  // namespace cli
