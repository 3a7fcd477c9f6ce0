#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/json_writer.h"

namespace cli {

// With --json: what a command found, why it failed and its warnings, gathered while it runs and
// printed as one object when it ends, however it ends.
class JsonReport {
public:
    explicit JsonReport(std::string command) : command(std::move(command)) {}

    // The command's own members ("part", "checksum", ...).
    JsonObject& Fields() { return fields; }
    // Several failures are joined with "; ".
    void AddFailure(const std::string& text);
    void AddWarning(const std::string& text) { warnings.push_back(text); }
    // The result of an answer that is no failure but still ends with status 1 ("not_blank");
    // a failure, should one follow, takes its place.
    void SetNegativeResult(std::string name) { negativeResult = std::move(name); }
    // How long the command worked on the part, by the clock the programmer waits on.
    void SetElapsed(uint64_t microseconds) { elapsed = microseconds; }

    // The object for the command's exit status, on one line.
    std::string Text(int exitStatus) const;

private:
    std::string command;
    JsonObject fields;
    std::string failure;
    std::vector<std::string> warnings;
    std::string negativeResult;
    std::optional<uint64_t> elapsed;
};

// Codes and checksums in the JSON output: "0x" and `digits` upper-case hexadecimal digits.
std::string HexNumber(unsigned value, int digits);

}  // namespace cli
