// The Identify button against the simulated programmer: presence check, identification and the
// PROM panel, in direct mode and through the port driver.
#include <algorithm>
#include <vector>

#include "station_window_fixture.h"

namespace {

const char* const kPanelLines[] = {"promNameLine", "promBlankLine", "resetActiveLine", "expressOutputLine", "busyPinLine", "wordSizeLine", "promSizeLine", "bufferStateLine", "checksumLine"};
const char* const kButtons[] = {"identifyButton", "readButton", "programButton", "compareButton", "loadButton", "saveButton", "viewBufferButton", "resetHighButton", "resetLowButton", "serialOutputButton", "parallelOutputButton", "busyFloatingButton", "busyPulledDownButton"};


class IdentifyFlow : public StationWindowInEachMode {
protected:
    // Everything the operator can see of the PROM and buffer panels and the buttons.
    std::vector<std::string> State() {
        std::vector<std::string> state;
        for (const std::string name : kPanelLines) {
            state.push_back(name + (Shown(name) ? " shown: " : " hidden: ") + Text(name));
        }
        for (const std::string name : kButtons) {
            state.push_back(name + (Enabled(name) ? " enabled" : " disabled"));
        }
        state.push_back(Shown("statusLabel") || Shown("statusText") ? "status shown" : "status hidden");
        return state;
    }
    std::vector<std::string> EnabledButtons() {
        std::vector<std::string> enabled;
        for (const char* name : kButtons) {
            if (Enabled(name)) {
                enabled.push_back(name);
            }
        }
        return enabled;
    }
    void Identify() {
        Click("identifyButton");
        EXPECT_FALSE(operatorScript.waitCursor);
        EXPECT_FALSE(Shown("statusLabel"));   // the status line is hidden between operations
        EXPECT_FALSE(Shown("statusText"));
    }
};

TEST_P(IdentifyFlow, PlainPartShowsItsPanelAndEnablesTheCommands) {
    Insert("XC1765D");
    Identify();
    EXPECT_TRUE(operatorScript.messages.empty());
    EXPECT_EQ(Text("promNameLine"), "PROM name: XC1765D");
    EXPECT_EQ(Text("promBlankLine"), "PROM blank: Yes");
    EXPECT_EQ(Text("resetActiveLine"), "Reset Active: High");
    EXPECT_EQ(Text("expressOutputLine"), " ");
    EXPECT_EQ(Text("busyPinLine"), " ");
    EXPECT_EQ(Text("wordSizeLine"), "Word size: 32 bits");
    EXPECT_EQ(Text("promSizeLine"), "PROM size: 65536 x 1 bit");
    EXPECT_FALSE(Shown("wordSizeLine"));
    EXPECT_FALSE(Shown("promSizeLine"));
    EXPECT_EQ(Text("bufferStateLine"), "Buffer State: Empty");
    EXPECT_EQ(Text("checksumLine"), "Checksum: 0xE000");   // 8192 bytes of 0xFF
    EXPECT_EQ(EnabledButtons(), (std::vector<std::string>{"identifyButton", "readButton", "programButton", "compareButton", "loadButton", "saveButton", "resetHighButton", "resetLowButton"}));
    EXPECT_EQ(programmer.bufferLength, 8192u);
    EXPECT_EQ(displayedDevice.name, "XC1765D");
}

TEST_P(IdentifyFlow, VFamilyPartShowsItsOptionLinesAndAllOptionButtons) {
    sim::SimulatedProm part;
    part.type = *programmer.FindByName("XC17V16");
    part.contents.assign(part.type.sizeBits / 8, 0xFF);
    part.contents[0] = 0x00;   // not blank: the blank check stops at the first byte
    part.expressProgrammed = true;
    part.busyProgrammed = true;
    simulated.programmer.InsertPart(part);

    Identify();
    EXPECT_TRUE(operatorScript.messages.empty());
    EXPECT_EQ(Text("promNameLine"), "PROM name: XC17V16");
    EXPECT_EQ(Text("promBlankLine"), "PROM blank: No");
    EXPECT_EQ(Text("resetActiveLine"), "Reset Active: High");
    EXPECT_EQ(Text("expressOutputLine"), "Express Output: Parallel");
    EXPECT_EQ(Text("busyPinLine"), "Busy Pin: Pulled Down");
    EXPECT_EQ(Text("wordSizeLine"), "Word size: 128 bits");
    EXPECT_EQ(Text("promSizeLine"), "PROM size: 16777216 x 1 bit");
    EXPECT_EQ(EnabledButtons(),
              (std::vector<std::string>{"identifyButton", "readButton", "programButton", "compareButton", "loadButton", "saveButton", "resetHighButton", "resetLowButton", "serialOutputButton", "parallelOutputButton", "busyFloatingButton", "busyPulledDownButton"}));

    // Another part: the option lines are blanked and the V-family buttons stay disabled.
    Insert("XC17256E");
    Identify();
    EXPECT_EQ(Text("promNameLine"), "PROM name: XC17256E");
    EXPECT_EQ(Text("expressOutputLine"), " ");
    EXPECT_EQ(Text("busyPinLine"), " ");
    EXPECT_EQ(EnabledButtons(), (std::vector<std::string>{"identifyButton", "readButton", "programButton", "compareButton", "loadButton", "saveButton", "resetHighButton", "resetLowButton"}));
}

TEST_P(IdentifyFlow, ExtendedPartOutsideTheVFamilyHasNoOptionLines) {
    Insert("XC1765X or XC1765EL");
    Identify();
    EXPECT_EQ(Text("promNameLine"), "PROM name: XC1765X or XC1765EL");
    EXPECT_EQ(Text("promBlankLine"), "PROM blank: Yes");
    EXPECT_EQ(Text("expressOutputLine"), " ");
    EXPECT_EQ(Text("busyPinLine"), " ");
    EXPECT_FALSE(Enabled("serialOutputButton"));
    EXPECT_FALSE(Enabled("busyPulledDownButton"));
}

TEST_P(IdentifyFlow, BlankArrayWithResetProgrammedIsNotBlank) {
    Insert("XC1718L", /*resetProgrammed=*/true);
    Identify();
    EXPECT_EQ(Text("promNameLine"), "PROM name: XC1718L");
    EXPECT_EQ(Text("resetActiveLine"), "Reset Active: Low");
    EXPECT_EQ(Text("promBlankLine"), "PROM blank: No");
}

TEST_P(IdentifyFlow, EmptySocketShowsNoDeviceAndLeavesTheCommandsDisabled) {
    Insert("XC1765D");
    Identify();
    simulated.programmer.RemovePart();
    Identify();
    EXPECT_TRUE(operatorScript.messages.empty());
    EXPECT_EQ(Text("promNameLine"), "PROM name: No Device found");
    EXPECT_EQ(Text("promSizeLine"), "PROM size: 0 x 1 bit");
    EXPECT_EQ(Text("wordSizeLine"), "Word size: 0 bits");
    // Nothing was there to check: a missing part is not called blank.
    EXPECT_EQ(Text("promBlankLine"), "PROM blank: No");
    EXPECT_EQ(EnabledButtons(), std::vector<std::string>{"identifyButton"});
    EXPECT_EQ(programmer.currentDevice, nullptr);
}

TEST_P(IdentifyFlow, FailedPresenceCheckTellsWhyAndChangesNothingElse) {
    struct Case {
        sim::ProgrammerFault fault;
        const char* text;
    };
    const Case cases[] = {
        {sim::ProgrammerFault::Absent,
         "Programmer not present. If programmer is connected, check battery and cable (if used)"},
        {sim::ProgrammerFault::FlatBattery,
         "Programmer not present. If programmer is connected, check battery and cable (if used)"},
        {sim::ProgrammerFault::NoPulseAnswer, "Programmer micro controller error, pulse not found."},
        {sim::ProgrammerFault::EndlessPulse, "Programmer micro controller error, pulse not found."},
    };
    Insert("XC1765D");
    Identify();
    const std::vector<std::string> before = State();

    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        simulated.programmer.SetFault(c.fault);
        operatorScript.messages.clear();
        Identify();
        ASSERT_EQ(operatorScript.messages.size(), 1u);
        EXPECT_EQ(operatorScript.messages[0].text, c.text);
        EXPECT_EQ(operatorScript.messages[0].caption, "Programmer Check");
        EXPECT_EQ(operatorScript.messages[0].icon, MessageIcon::None);
        EXPECT_EQ(operatorScript.messages[0].buttons, MessageButtons::Ok);
        EXPECT_EQ(State(), before);
    }
}

INSTANTIATE_TEST_SUITE_P(PortAccess, IdentifyFlow, ::testing::Values(PortAccess::Direct, PortAccess::Driver),
                         PortAccessName);

// Watches the status line while an operation runs, through the window's own controls.
class StatusLineSpy : public StatusLineWindow {
public:
    StatusLineSpy(MainDialog& window, QWidget& label, QWidget& text, QLabel& nameLine)
        : window(window), label(label), text(text), nameLine(nameLine) {}
    void SetStatusLineVisible(bool visible) override { window.SetStatusLineVisible(visible); }
    void SetStatusLineText(const std::string& line) override { window.SetStatusLineText(line); }
    void SetStatusLineProgress(int percent) override { window.SetStatusLineProgress(percent); }
    void RepaintStatusLine() override {
        window.RepaintStatusLine();
        if (!label.isHidden() && !text.isHidden()) {
            shownTexts.push_back(qobject_cast<QLabel*>(&text)->text().toStdString());
            nameLines.push_back(nameLine.text().toStdString());
        }
    }
    std::vector<std::string> shownTexts;
    std::vector<std::string> nameLines;   // the PROM name line at each of them

private:
    MainDialog& window;
    QWidget& label;
    QWidget& text;
    QLabel& nameLine;
};

using IdentifyStatusLine = StationWindowTest;

TEST_F(IdentifyStatusLine, ShowsTheRunningStepsAndIsHiddenAfterwards) {
    Insert("XC17V16");
    simulated.programmer.Part()->contents[0] = 0x7F;
    StatusLineSpy spy(Window(), *Find("statusLabel"), *Find("statusText"), *Find<QLabel>("promNameLine"));
    SetStatusLineWindow(&spy);
    Click("identifyButton");
    SetStatusLineWindow(&Window());

    ASSERT_GE(spy.shownTexts.size(), 5u);
    EXPECT_EQ(spy.shownTexts[0], "");
    EXPECT_EQ(spy.shownTexts[1], "Programmer check...");
    EXPECT_EQ(spy.shownTexts[2], "");
    EXPECT_EQ(spy.shownTexts[3], "Part Identify");
    EXPECT_EQ(spy.shownTexts[4], "Part Identify: .");
    EXPECT_EQ(spy.nameLines[1], "PROM name:");
    EXPECT_EQ(spy.nameLines[3], "Querying...");
    EXPECT_NE(std::find(spy.shownTexts.begin(), spy.shownTexts.end(), "Checking: XC17V16"), spy.shownTexts.end());
    EXPECT_NE(std::find(spy.shownTexts.begin(), spy.shownTexts.end(), "Blank Check"), spy.shownTexts.end());
    EXPECT_FALSE(Shown("statusLabel"));
    EXPECT_FALSE(Shown("statusText"));
    EXPECT_EQ(Text("promBlankLine"), "PROM blank: No");
}

}  // namespace
