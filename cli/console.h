#pragma once
#include <ostream>
#include <string>

#include "cli/json_report.h"
#include "cli/standard_streams.h"

namespace cli {

// Exit statuses of promtool.
constexpr int kExitSuccess = 0;
constexpr int kExitFailed = 1;        // the operation failed
constexpr int kExitUsage = 2;         // the command line was wrong
constexpr int kExitLoadWarning = 3;   // the work was done, but the file loaded with a warning

// Where a command reports: results on `out`, problems on `err`.
struct Console {
    std::ostream& out;
    std::ostream& err;
    // Show the status line of long operations on `err` (it is a terminal).
    bool showProgress = false;
    // Where "-" as a file name reads and writes.
    StandardStreams standard = {};
    // With --json: takes the results, problems and warnings instead, for the one object printed
    // at the end.
    JsonReport* report = nullptr;

    void Error(const std::string& text) const {
        if (report) {
            report->AddFailure(text);
        } else {
            err << "error: " << text << '\n';
        }
    }
    void Warning(const std::string& text) const {
        if (report) {
            report->AddWarning(text);
        } else {
            err << "warning: " << text << '\n';
        }
    }
};

}  // namespace cli
