// The Read, Program and Compare buttons against the simulated programmer.
#include <algorithm>
#include <functional>
#include <vector>

#include "command_window_fixture.h"

namespace {

using Message = ScriptedOperator::Message;

void ExpectMessage(const Message& message, const std::string& text, const std::string& caption, MessageIcon icon,
                   MessageButtons buttons = MessageButtons::Ok) {
    EXPECT_EQ(message.text, text);
    EXPECT_EQ(message.caption, caption);
    EXPECT_EQ(message.icon, icon);
    EXPECT_EQ(message.buttons, buttons);
}

const char* const kProgrammed = "PROM programmed and verified successfully";
const char* const kTypeChangeCaption = "Device Type Change Warning";
const char* const kSizeQuestion =
    "New device is smaller than program buffer. You may use the Xilinx Prom File Formatter program to split the "
    "program into smaller files. Do you want to continue programming anyway?";

std::vector<uint8_t> Pattern(size_t length) {
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i) {
        bytes[i] = static_cast<uint8_t>(i * 7 + 3);
    }
    return bytes;
}

class ProgramCommand : public CommandWindowTest {
protected:
    void FillBuffer(const std::vector<uint8_t>& bytes) {
        std::copy(bytes.begin(), bytes.end(), programmer.buffer.get());
    }
    std::vector<uint8_t> PartContents() { return simulated.programmer.Part()->contents; }
    std::vector<uint8_t> BufferBytes() {
        return {programmer.buffer.get(), programmer.buffer.get() + programmer.bufferLength};
    }
};

TEST_F(ProgramCommand, PairsSetInAdvanceAskNothingAndOnlyTheResetChoiceCountsOutsideTheVFamily) {
    Identify("XC1765D");
    FillBuffer(Pattern(programmer.bufferLength));
    Choose("resetLowButton");   // Reset Low
    // Left pressed from an earlier V-family part: ignored for this one.
    Choose("busyPulledDownButton");
    Choose("parallelOutputButton");
    Click("programButton");

    EXPECT_TRUE(operatorScript.promptsAsked.empty());
    ExpectMessage(OnlyMessage(), kProgrammed, "Programming Complete", MessageIcon::None);
    EXPECT_EQ(PartContents(), BufferBytes());
    EXPECT_TRUE(simulated.programmer.Part()->resetProgrammed);
    EXPECT_FALSE(simulated.programmer.Part()->busyProgrammed);
    EXPECT_FALSE(simulated.programmer.Part()->expressProgrammed);
    // The panel after a success: not blank, without checking.
    EXPECT_EQ(Text("promBlankLine"), "PROM blank: No");
    EXPECT_EQ(Text("resetActiveLine"), "Reset Active: Low");
    EXPECT_EQ(Text("busyPinLine"), " ");
    EXPECT_EQ(Text("expressOutputLine"), " ");
    EXPECT_EQ(EnabledButtons(), kPlainPartButtons);
    EXPECT_FALSE(operatorScript.waitCursor);
}

TEST_F(ProgramCommand, ResetPromptAnswersCountAndAnUnprogrammableChoiceFailsWithTheEngineText) {
    Identify("XC1718L");
    operatorScript.promptAnswers = {-1};   // Active Low
    Click("programButton");
    EXPECT_EQ(operatorScript.promptsAsked, std::vector<std::string>{"reset"});
    ExpectMessage(OnlyMessage(), kProgrammed, "Programming Complete", MessageIcon::None);
    EXPECT_TRUE(simulated.programmer.Part()->resetProgrammed);

    // Active High for a part whose reset is already active low.
    operatorScript.messages.clear();
    operatorScript.promptAnswers = {1};
    Click("programButton");
    ExpectMessage(OnlyMessage(), "Device did not program correctly: Device programmed. Reset polarity already active low",
                  "Device Programming Error", MessageIcon::Exclamation);
    // After a failure the panel checks the part afresh: blank data, but the reset is programmed.
    EXPECT_EQ(Text("promBlankLine"), "PROM blank: No");
    EXPECT_EQ(EnabledButtons(), kPlainPartButtons);
}

TEST_F(ProgramCommand, AbortInThePromptProgramsNothing) {
    Identify("XC1765D");
    operatorScript.promptAnswers = {0};
    Click("programButton");
    EXPECT_EQ(operatorScript.promptsAsked, std::vector<std::string>{"reset"});
    ExpectMessage(OnlyMessage(), "Programming Aborted", "Program Options Not Entered", MessageIcon::Exclamation);
    EXPECT_EQ(simulated.programmer.PulsesGiven(), 0u);
    EXPECT_FALSE(simulated.programmer.Part()->resetProgrammed);
    EXPECT_EQ(Text("promBlankLine"), "PROM blank: No");
    EXPECT_EQ(EnabledButtons(), kPlainPartButtons);
    EXPECT_FALSE(operatorScript.waitCursor);
}

TEST_F(ProgramCommand, ATypeChangeNeedsConsentAndASmallerPartASecondOne) {
    Identify("XC1765D");   // a buffer of 8,192 bytes
    Swap("XC1718L");       // 2,268 bytes
    const std::string change =
        "Device has changed from: XC1765D to XC1718L. Do you want to continue programming?";

    // No: the part shown before stays current and nothing is programmed.
    operatorScript.answers = {MessageAnswer::No};
    Click("programButton");
    ExpectMessage(OnlyMessage(), change, kTypeChangeCaption, MessageIcon::Exclamation, MessageButtons::YesNo);
    EXPECT_EQ(programmer.currentDevice->name, "XC1765D");
    EXPECT_TRUE(operatorScript.promptsAsked.empty());
    EXPECT_EQ(EnabledButtons(), kPlainPartButtons);

    // Yes, then No to the size question.
    operatorScript.messages.clear();
    operatorScript.answers = {MessageAnswer::Yes, MessageAnswer::No};
    Click("programButton");
    ASSERT_EQ(operatorScript.messages.size(), 2u);
    ExpectMessage(operatorScript.messages[1], kSizeQuestion, "Device Size Different Than Program Buffer",
                  MessageIcon::Exclamation, MessageButtons::YesNo);
    EXPECT_EQ(programmer.currentDevice->name, "XC1765D");
    EXPECT_EQ(Text("promNameLine"), "PROM name: XC1765D");
    EXPECT_EQ(simulated.programmer.PulsesGiven(), 0u);
    EXPECT_EQ(EnabledButtons(), kPlainPartButtons);

    // Yes to both: the new part is programmed and shown.
    operatorScript.messages.clear();
    operatorScript.answers = {MessageAnswer::Yes, MessageAnswer::Yes};
    operatorScript.promptAnswers = {1};
    Click("programButton");
    ASSERT_EQ(operatorScript.messages.size(), 3u);
    EXPECT_EQ(operatorScript.messages[2].text, kProgrammed);
    EXPECT_EQ(Text("promNameLine"), "PROM name: XC1718L");
    EXPECT_EQ(programmer.bufferLength, 8192u);

    // The same type again: no question, although the buffer is larger than the part.
    operatorScript.messages.clear();
    operatorScript.promptAnswers = {1};
    Click("programButton");
    ExpectMessage(OnlyMessage(), kProgrammed, "Programming Complete", MessageIcon::None);
}

TEST_F(ProgramCommand, ALargerNewPartAsksOnlyAboutTheTypeChange) {
    Identify("XC1718L");
    Swap("XC1765D");
    operatorScript.answers = {MessageAnswer::Yes};
    operatorScript.promptAnswers = {1};
    Click("programButton");
    ASSERT_EQ(operatorScript.messages.size(), 2u);
    EXPECT_EQ(operatorScript.messages[0].text,
              "Device has changed from: XC1718L to XC1765D. Do you want to continue programming?");
    EXPECT_EQ(operatorScript.messages[1].text, kProgrammed);
}

TEST_F(ProgramCommand, AnEmptySocketEndsTheCommandWithTheDeviceSeenBefore) {
    Identify("XC1765D");
    simulated.programmer.RemovePart();
    Click("programButton");
    ExpectMessage(OnlyMessage(), "No Device found in programmer. Programming aborted", "Program Device Error",
                  MessageIcon::None);
    ASSERT_NE(programmer.currentDevice, nullptr);
    EXPECT_EQ(programmer.currentDevice->name, "XC1765D");
    EXPECT_TRUE(operatorScript.promptsAsked.empty());
    EXPECT_EQ(EnabledButtons(), kPlainPartButtons);
}

TEST_F(ProgramCommand, WithoutACurrentDeviceNothingIsDisabledOrIdentified) {
    Identify("XC1765D");
    programmer.currentDevice = nullptr;
    const uint64_t accesses = simulated.programmer.RegisterAccesses();
    Click("programButton");
    ExpectMessage(OnlyMessage(), "Device not present. Programmer will attempt to identify device",
                  "Progam Device Error", MessageIcon::Stop);
    EXPECT_EQ(simulated.programmer.RegisterAccesses(), accesses);
    EXPECT_EQ(EnabledButtons(), kPlainPartButtons);
}

// The busy and output choices belong to the part about to be programmed, not to the one the
// panel showed before the type change.
TEST_F(ProgramCommand, AfterATypeChangeTheNewPartDecidesWhichOptionsAreAsked) {
    Identify("XC1765D");
    Swap("XC17V16");
    operatorScript.answers = {MessageAnswer::Yes};
    operatorScript.promptAnswers = {-1, -1, -1};
    Click("programButton");
    EXPECT_EQ(operatorScript.promptsAsked, (std::vector<std::string>{"reset", "busy", "output"}));
    ASSERT_EQ(operatorScript.messages.size(), 2u);
    EXPECT_EQ(operatorScript.messages[1].text, kProgrammed);
    const sim::SimulatedProm& part = *simulated.programmer.Part();
    EXPECT_TRUE(part.resetProgrammed);
    EXPECT_TRUE(part.busyProgrammed);
    EXPECT_TRUE(part.expressProgrammed);
    EXPECT_EQ(Text("promNameLine"), "PROM name: XC17V16");
    EXPECT_EQ(Text("busyPinLine"), "Busy Pin: Pulled Down");
    EXPECT_EQ(Text("expressOutputLine"), "Express Output: Parallel");
    EXPECT_EQ(EnabledButtons(), (std::vector<std::string>{"identifyButton", "readButton", "programButton", "compareButton", "loadButton", "saveButton", "resetHighButton", "resetLowButton", "serialOutputButton", "parallelOutputButton",
                                                  "busyFloatingButton", "busyPulledDownButton"}));
}

TEST_F(ProgramCommand, AfterATypeChangeAwayFromTheVFamilyOnlyTheResetIsAsked) {
    sim::SimulatedProm shown = Blank(programmer, "XC17V16");
    shown.contents[0] = 0x00;   // not blank: the blank check of the identification stops at once
    Identify(shown);
    Swap("XC1765X or XC1765EL");
    operatorScript.answers = {MessageAnswer::Yes, MessageAnswer::Yes};
    operatorScript.promptAnswers = {0};
    Click("programButton");
    EXPECT_EQ(operatorScript.promptsAsked, std::vector<std::string>{"reset"});
    EXPECT_EQ(operatorScript.messages.back().text, "Programming Aborted");
    EXPECT_EQ(Text("promNameLine"), "PROM name: XC1765X or XC1765EL");
    EXPECT_EQ(EnabledButtons(), kPlainPartButtons);
}

class ProgramFailure : public CommandWindowInEachMode {};

// Each failure tells the engine's detail after the command's text; the panel then checks the
// part afresh. A programmer that does not answer, and a part that cannot take the buffer, are
// turned away before any pulse.
TEST_P(ProgramFailure, TellsTheEngineTextAndChecksThePartAfresh) {
    struct Case {
        const char* name;
        std::function<void(sim::SimulatedProm&)> part;
        std::function<void()> afterIdentify;
        uint8_t bufferFill;
        std::string directText;
        std::string driverText;
        const char* caption;
        MessageIcon icon;
        const char* blankLine;
    };
    const std::string conflict =
        "The PROM already holds data that this buffer cannot overwrite: first conflict at byte 0x3, 1 byte "
        "conflicts. Nothing was programmed.";
    const std::string noPulse = "Programmer micro controller error, pulse not found.";
    const std::vector<Case> cases = {
        {"dead bit", [](sim::SimulatedProm& part) { part.deadBits = {5}; }, [] {}, 0x00,
         "Device did not program correctly: Failed Margin Verify at bit location 5 ",
         "Device did not program correctly: Failed Margin Verify in the data word beginning at byte location 0 ",
         "Device Programming Error", MessageIcon::Exclamation, "PROM blank: No"},
        {"no pulse answer", [](sim::SimulatedProm&) {},
         [this] { simulated.programmer.SetFault(sim::ProgrammerFault::NoPulseAnswer); }, 0x00, noPulse, noPulse,
         "Programmer Check", MessageIcon::None, "PROM blank: Yes"},
        {"conflict", [](sim::SimulatedProm& part) { part.contents[3] = 0xFE; }, [] {}, 0xFF, conflict, conflict,
         "Program Device Error", MessageIcon::Exclamation, "PROM blank: No"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        simulated.programmer.SetFault(sim::ProgrammerFault::None);
        sim::SimulatedProm part = Blank(programmer, "XC1718L");
        c.part(part);
        Identify(part);
        c.afterIdentify();
        std::fill_n(programmer.buffer.get(), programmer.bufferLength, c.bufferFill);
        const uint64_t pulses = simulated.programmer.PulsesGiven();
        Choose("resetHighButton");
        Click("programButton");
        const std::string& text = GetParam() == PortAccess::Direct ? c.directText : c.driverText;
        ExpectMessage(OnlyMessage(), text, c.caption, c.icon);
        if (c.blankLine != std::string("PROM blank: No") || c.bufferFill == 0xFF) {
            EXPECT_EQ(simulated.programmer.PulsesGiven(), pulses) << "turned away before any pulse";
        }
        EXPECT_EQ(Text("promBlankLine"), c.blankLine);
        EXPECT_EQ(EnabledButtons(), kPlainPartButtons);
        EXPECT_FALSE(operatorScript.waitCursor);
        operatorScript.messages.clear();
    }
}

INSTANTIATE_TEST_SUITE_P(PortAccess, ProgramFailure, ::testing::Values(PortAccess::Direct, PortAccess::Driver),
                         PortAccessName);

class CompareCommand : public CommandWindowInEachMode {};

TEST_P(CompareCommand, MatchesAfterAReadAndTellsTheFirstDifference) {
    sim::SimulatedProm part = Blank(programmer, "XC1765D");
    part.contents = Pattern(part.contents.size());
    Identify(part);
    Click("readButton");
    Click("compareButton");
    ExpectMessage(OnlyMessage(), "Device and Buffer compared succesfully", "Compare", MessageIcon::None);
    std::vector<std::string> expected = kPlainPartButtons;
    expected.insert(expected.begin() + 6, "viewBufferButton");
    EXPECT_EQ(EnabledButtons(), expected);

    operatorScript.messages.clear();
    programmer.buffer[100] ^= 0x10;
    Click("compareButton");
    ASSERT_FALSE(programmer.failureText.empty());
    ExpectMessage(OnlyMessage(), "Device and Buffer compare FAILED!!: " + programmer.failureText, "Compare",
                  MessageIcon::Exclamation);
    EXPECT_EQ(EnabledButtons(), expected);
    EXPECT_FALSE(operatorScript.waitCursor);
}

INSTANTIATE_TEST_SUITE_P(PortAccess, CompareCommand, ::testing::Values(PortAccess::Direct, PortAccess::Driver),
                         PortAccessName);

// An XC1718L is read, compared or blank checked in about 3 s of the programmer's time, an XC1701
// in more than 6 s: only the longer runs draw the eye of an operator in another window, and they
// do it before their message, which would otherwise wait unseen.
TEST_F(CommandWindowTest, ALongRunThatEndsInTheBackgroundAsksForAttention) {
    std::vector<std::string> seen;   // "attention" and the captions of the messages, in order
    Window().askForAttention = [&] { seen.push_back("attention"); };
    operatorScript.whileMessageShown = [&] { seen.push_back(operatorScript.messages.back().caption); };
    ASSERT_FALSE(Window().isActiveWindow());

    Identify("XC1718L");
    Click("readButton");
    Click("compareButton");
    EXPECT_EQ(seen, std::vector<std::string>{"Compare"});

    seen.clear();
    operatorScript.answers = {MessageAnswer::Yes};   // the read need not be kept
    Identify("XC1701");   // the blank check of the panel
    Click("readButton");
    Click("compareButton");
    Choose("resetHighButton");
    Click("programButton");
    EXPECT_EQ(seen, (std::vector<std::string>{"Unsaved PROM Read", "attention", "attention", "attention", "Compare",
                                              "attention", "Programming Complete"}));

    // The operator watching the window needs no call.
    Window().show();
    Window().activateWindow();
    QApplication::processEvents();
    ASSERT_TRUE(Window().isActiveWindow());
    seen.clear();
    Click("readButton");
    EXPECT_TRUE(seen.empty());
}

}  // namespace
