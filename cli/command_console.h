#pragma once
#include <istream>
#include <optional>
#include <ostream>

#include "cli/command_line.h"
#include "cli/console.h"
#include "cli/json_report.h"

namespace cli {

// The console a command runs with, as its command line asks. With --json the command's human
// texts go nowhere and its results, problems and warnings make one object on `out`; when `out`
// carries a file's data ("-"), the human texts go to `err`.
class CommandConsole {
public:
    CommandConsole(const CommandLine& line, std::istream& in, std::ostream& out, std::ostream& err,
                   bool showProgress);
    CommandConsole(const CommandConsole&) = delete;
    CommandConsole& operator=(const CommandConsole&) = delete;

    const Console& Get() const { return console; }
    // Prints the JSON object for the command's exit status (with --json); returns the status.
    int Finish(int status);

private:
    std::ostream& out;
    std::ostream nowhere{nullptr};   // without a buffer: takes anything and writes nothing
    std::optional<JsonReport> report;
    Console console;
};

}  // namespace cli
