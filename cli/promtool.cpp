#include "cli/promtool.h"

#include <sstream>

#include "cli/command_console.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/station_setup.h"
#include "cli/stop_on_signal.h"
#include "cli/terminal_status_line.h"
#include "cli/usage_text.h"
#include "link/operator_notice.h"
#include "platform/clock.h"

namespace cli {
namespace {

// The link's operator notices (a port driver that cannot be opened) become errors on the
// console while the part commands run.
class NoticesAsErrors {
public:
    explicit NoticesAsErrors(const Console& console) {
        SetWarningHook([&console](const std::string& text, const std::string&) { console.Error(text); });
    }
    ~NoticesAsErrors() { SetWarningHook(nullptr); }
    NoticesAsErrors(const NoticesAsErrors&) = delete;
    NoticesAsErrors& operator=(const NoticesAsErrors&) = delete;
};

int RunOnPart(const CommandLine& line, Programmer& programmer, const Console& console) {
    switch (line.command) {
    case Command::Identify:
        return RunIdentify(programmer, console);
    case Command::Blank:
        return RunBlank(programmer, console);
    case Command::Read:
        return RunRead(programmer, line.files[0], console);
    case Command::Program:
        return RunProgram(programmer, line.files[0], line.optionBits, console);
    case Command::Verify:
        return RunVerify(programmer, line.files[0], console);
    default:
        return kExitUsage;
    }
}

int RunPartCommand(const CommandLine& line, const Console& console) {
    NoticesAsErrors notices(console);
    Station station(line.station);
    std::string error;
    if (!station.Open(error)) {
        console.Error(error);
        return kExitFailed;
    }
    int status = kExitSuccess;
    {
        StopOnSignal stopOnSignal(station.GetProgrammer());
        StatusLineOnTerminal statusLine(console.err, console.showProgress);
        const uint64_t started = platform::ProcessClock().NowMicroseconds();
        status = line.command == Command::Produce ? RunProduce(line, station, console)
                                                  : RunOnPart(line, station.GetProgrammer(), console);
        if (console.report) {
            console.report->SetElapsed(platform::ProcessClock().NowMicroseconds() - started);
        }
        if (stopOnSignal.Signal() != 0 && status != kExitSuccess) {
            status = 128 + stopOnSignal.Signal();   // as a shell reports a command a signal ended
        }
    }
    // The part is kept whatever the command did to it: programmed bits do not come back.
    if (!station.SaveChipFile(error)) {
        console.Error(error);
        return status == kExitSuccess ? kExitFailed : status;
    }
    return status;
}

int RunFileCommand(const CommandLine& line, const Console& console) {
    switch (line.command) {
    case Command::Devices:
        return RunDevices(console);
    case Command::Ports:
        return RunPorts(console);
    case Command::Convert:
        return RunConvert(line, console);
    case Command::Checksum:
        return RunChecksum(line, console);
    case Command::Dump:
        return RunDump(line, console);
    default:
        return kExitUsage;
    }
}

}  // namespace
}  // namespace cli

int RunPromtool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool showProgress) {
    std::istringstream noInput;
    return RunPromtool(args, noInput, out, err, showProgress);
}

int RunPromtool(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err,
                bool showProgress) {
    using namespace cli;
    const Console console{out, err, showProgress};
    CommandLine line;
    std::string error;
    if (!ParseCommandLine(args, line, error)) {
        console.Error(error);
        err << "Try 'promtool --help'.\n";
        return kExitUsage;
    }
    if (line.version) {
        out << "promtool " << PROM_VERSION << '\n';
        return kExitSuccess;
    }
    if (line.help) {
        out << UsageText();
        return kExitSuccess;
    }
    CommandConsole command(line, in, out, err, showProgress);
    const int status = UsesStation(line.command) ? RunPartCommand(line, command.Get())
                                                 : RunFileCommand(line, command.Get());
    return command.Finish(status);
}
