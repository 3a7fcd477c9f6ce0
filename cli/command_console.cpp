#include "cli/command_console.h"

namespace cli {

CommandConsole::CommandConsole(const CommandLine& line, std::istream& in, std::ostream& out, std::ostream& err,
                               bool showProgress)
    : out(out),
      report(line.json ? std::make_optional<JsonReport>(CommandName(line.command)) : std::nullopt),
      console{line.json ? nowhere : WritesStandardOutput(line) ? err : out,
              err,
              showProgress,
              {&in, &out, line.streamFormat},
              report ? &*report : nullptr} {
    if (report && line.files.size() == 1) {
        report->Fields().AddText("file", line.files[0]);
    }
}

int CommandConsole::Finish(int status) {
    if (!report) {
        return status;
    }
    out << report->Text(status) << '\n';
    if (!out.flush()) {
        // The object is lost: the status at least must not say success.
        console.err << "error: standard output could not be written\n";
        return status == kExitSuccess ? kExitFailed : status;
    }
    return status;
}

}  // namespace cli
