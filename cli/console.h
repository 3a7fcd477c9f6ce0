#pragma once
#include <ostream>
#include <string>

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

    void Error(const std::string& text) const { err << "error: " << text << '\n'; }
    void Warning(const std::string& text) const { err << "warning: " << text << '\n'; }
};

}  // namespace cli
