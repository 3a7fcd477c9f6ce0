#include "cli/json_report.h"

#include <cstdio>

#include "cli/console.h"

namespace cli {

void JsonReport::AddFailure(const std::string& text) {
    failure += (failure.empty() ? "" : "; ") + text;
}

std::string JsonReport::Text(int exitStatus) const {
    std::string result = "failed";
    if (exitStatus == kExitSuccess) {
        result = "ok";
    } else if (exitStatus == kExitUsage) {
        result = "usage_error";
    } else if (exitStatus == kExitLoadWarning) {
        result = "loaded_with_warning";
    } else if (exitStatus >= 128) {
        result = "stopped";
    } else if (failure.empty() && !negativeResult.empty()) {
        result = negativeResult;
    }
    JsonObject object;
    object.AddText("command", command).AddText("result", result).AddNumber("exit_status", exitStatus);
    object.AddMembers(fields);
    if (failure.empty()) {
        object.AddNull("failure");
    } else {
        object.AddText("failure", failure);
    }
    object.AddTextArray("warnings", warnings);
    if (elapsed) {
        object.AddFixed("seconds", *elapsed, 6);
    }
    return object.Text();
}

std::string HexNumber(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

}  // namespace cli
