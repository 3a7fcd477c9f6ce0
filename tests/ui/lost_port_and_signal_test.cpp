// A port that stops answering in the middle of a read, a program or a compare, and a signal to
// the station: the window ends the command with the reason, never a success, and closes cleanly.
#include <QLabel>

#include "command_window_fixture.h"

namespace {

class FaultMidway
    : public CommandWindowTest,
      public ::testing::WithParamInterface<std::tuple<PortAccess, const char*, sim::ProgrammerFault>> {
protected:
    FaultMidway() : CommandWindowTest(std::get<0>(GetParam())) {}

    // A fresh blank part identified, a buffer of data to program or compare.
    void Prepare() {
        simulated.programmer.SetFault(sim::ProgrammerFault::None);
        operatorScript.answers = {MessageAnswer::Yes};   // an unsaved read may go
        Identify("XC1765D");
        operatorScript.answers.clear();
        Choose("resetHighButton");
        for (uint32_t i = 0; i < programmer.bufferLength; ++i) {
            programmer.buffer[i] = static_cast<uint8_t>(i * 13);
        }
    }
};

TEST_P(FaultMidway, EndsWithTheReasonAndLeavesTheWindowUsable) {
    const std::string command = std::get<1>(GetParam());
    const sim::ProgrammerFault fault = std::get<2>(GetParam());
    Prepare();
    const uint64_t before = simulated.programmer.RegisterAccesses();
    Click(command);
    const uint64_t accesses = simulated.programmer.RegisterAccesses() - before;
    operatorScript.messages.clear();

    Prepare();
    simulated.programmer.SetFaultAfter(fault, accesses / 2);
    Click(command);
    const ScriptedOperator::Message message = OnlyMessage();
    const std::string reason = fault == sim::ProgrammerFault::PortLost
                                   ? "Lost access to the parallel port at 0x378: Input/output error"
                                   : "";
    EXPECT_NE(message.text.find(reason), std::string::npos) << message.text;
    EXPECT_FALSE(message.text.empty());
    EXPECT_EQ(message.text.find("succes"), std::string::npos) << message.text;
    if (command == "readButton") {
        EXPECT_EQ(Text("bufferStateLine"), "Buffer State: XC1765D contents, read failed");
    }
    EXPECT_FALSE(Find<QLabel>("statusText")->isVisible());
    EXPECT_FALSE(operatorScript.waitCursor);
    EXPECT_TRUE(Enabled("identifyButton"));
    EXPECT_TRUE(Enabled(command));

    // The port back: the next command finds it again.
    operatorScript.messages.clear();
    simulated.programmer.SetFault(sim::ProgrammerFault::None);
    operatorScript.answers = {MessageAnswer::Yes};
    Click("identifyButton");
    for (const ScriptedOperator::Message& later : operatorScript.messages) {
        EXPECT_EQ(later.caption, "Unsaved PROM Read");   // the partly read buffer is still guarded
    }
    EXPECT_EQ(Text("promNameLine"), "PROM name: XC1765D");
}

INSTANTIATE_TEST_SUITE_P(Commands, FaultMidway,
                         ::testing::Combine(::testing::Values(PortAccess::Direct, PortAccess::Driver),
                                            ::testing::Values("readButton", "programButton", "compareButton"),
                                            ::testing::Values(sim::ProgrammerFault::PortLost, sim::ProgrammerFault::Absent)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param) == PortAccess::Direct ? "Direct" : "Driver") +
                                    "_" + std::get<1>(info.param) +
                                    (std::get<2>(info.param) == sim::ProgrammerFault::PortLost ? "_PortLost" : "_Absent");
                         });

}  // namespace

#include <csignal>

#include "ui/quit_on_signal.h"

namespace {

TEST_F(StationWindowTest, ASignalStopsTheOperationAndClosesTheWindowWithoutQuestions) {
    QuitOnSignal quitOnSignal(programmer);
    programmer.portBase = 0x378;
    QTimer::singleShot(0, [] { std::raise(SIGTERM); });
    EXPECT_EQ(Window().exec(), QDialog::Rejected);
    EXPECT_TRUE(programmer.stopRequested);
    EXPECT_TRUE(operatorScript.messages.empty());
    EXPECT_EQ(quitOnSignal.ExitStatus(), 128 + SIGTERM);
}

}  // namespace
