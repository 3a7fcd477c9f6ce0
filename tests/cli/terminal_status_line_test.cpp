// The status line of long operations on a terminal.
#include <sstream>

#include "cli/terminal_status_line.h"
#include "engine/status_line.h"
#include "promtool_harness.h"

namespace {

const std::string kClearLine = "\r\033[K";

TEST(TerminalStatusLineTest, RewritesTheLineOnlyWhenItsTextChangesAndClearsItWhenHidden) {
    std::ostringstream terminal;
    {
        cli::StatusLineOnTerminal registered(terminal, true);
        ShowStatusLine();
        SetStatusText("Part Read");
        ShowProgress(1, 300, "Part Read");
        ShowProgress(2, 300, "Part Read");   // still 0%: nothing new to show
        ShowProgress(150, 300, "Part Read");
        HideStatusLine();
        HideStatusLine();
    }
    const std::string shown = kClearLine + "Part Read" + kClearLine + "Part Read: 0% complete" + kClearLine +
                              "Part Read: 50% complete" + kClearLine;
    EXPECT_EQ(terminal.str(), shown);
    // Unregistered with the object: nothing reaches the old terminal.
    ShowProgress(1, 2, "Part Read");
    EXPECT_EQ(terminal.str(), shown);
}

TEST(TerminalStatusLineTest, AnOperationLeftVisibleIsClearedAtTheEnd) {
    std::ostringstream terminal;
    {
        cli::StatusLineOnTerminal registered(terminal, true);
        ShowProgress(1, 2, nullptr);
    }
    EXPECT_EQ(terminal.str(), kClearLine + "50% complete" + kClearLine);
    std::ostringstream quiet;
    {
        cli::StatusLineOnTerminal notRegistered(quiet, false);
        ShowProgress(1, 2, nullptr);
    }
    EXPECT_EQ(quiet.str(), "");
}

class ProgressDisplayTest : public PromtoolTest {};

TEST_F(ProgressDisplayTest, ProgrammingShowsItsProgressOnStandardErrorAndLeavesTheLineClean) {
    const std::string image = WriteFile("image.bin", RandomImage(2268, 8));
    const PromtoolRun run = Promtool({"--sim", "XC1718L", "--direct", "program", image}, true);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "PROM programmed and verified successfully\n");
    EXPECT_NE(run.err.find(kClearLine + "Programmer check..."), std::string::npos);
    EXPECT_NE(run.err.find(kClearLine + "Programming: 17% complete"), std::string::npos);
    EXPECT_NE(run.err.find(kClearLine + "Part Verify"), std::string::npos);
    EXPECT_EQ(run.err.substr(run.err.size() - kClearLine.size()), kClearLine);
    // Without a terminal there is nothing on standard error.
    EXPECT_EQ(Promtool({"--sim", "XC1718L", "--direct", "verify", image}).err.rfind("error: ", 0), 0u);
}

}  // namespace
