// The Identify button against the simulated programmer: presence check, identification and the
// PROM panel, in direct mode and through the port driver.
#include <algorithm>
#include <vector>

#include "station_window_fixture.h"

namespace {

const int kPanelLines[] = {1007, 1011, 1010, 1020, 1019, 1009, 1008, 1013, 1016};
const int kButtons[] = {1002, 1003, 1004, 1005, 1001, 1006, 1014, 1023, 1024, 1025, 1026, 1027, 1028};


class IdentifyFlow : public StationWindowInEachMode {
protected:
    // Everything the operator can see of the PROM and buffer panels and the buttons.
    std::vector<std::string> State() {
        std::vector<std::string> state;
        for (int id : kPanelLines) {
            state.push_back(std::to_string(id) + (Shown(id) ? " shown: " : " hidden: ") + Text(id));
        }
        for (int id : kButtons) {
            state.push_back(std::to_string(id) + (Enabled(id) ? " enabled" : " disabled"));
        }
        state.push_back(Shown(1022) || Shown(1021) ? "status shown" : "status hidden");
        return state;
    }
    std::vector<int> EnabledButtons() {
        std::vector<int> enabled;
        for (int id : kButtons) {
            if (Enabled(id)) {
                enabled.push_back(id);
            }
        }
        return enabled;
    }
    void Identify() {
        Click(1002);
        EXPECT_FALSE(operatorScript.waitCursor);
        EXPECT_FALSE(Shown(1022));   // the status line is hidden between operations
        EXPECT_FALSE(Shown(1021));
    }
};

TEST_P(IdentifyFlow, PlainPartShowsItsPanelAndEnablesTheCommands) {
    Insert("XC1765D");
    Identify();
    EXPECT_TRUE(operatorScript.messages.empty());
    EXPECT_EQ(Text(1007), "PROM name: XC1765D");
    EXPECT_EQ(Text(1011), "PROM blank: Yes");
    EXPECT_EQ(Text(1010), "Reset Active: High");
    EXPECT_EQ(Text(1020), " ");
    EXPECT_EQ(Text(1019), " ");
    EXPECT_EQ(Text(1009), "Word size: 32 bits");
    EXPECT_EQ(Text(1008), "PROM size: 65536 x 1 bit");
    EXPECT_FALSE(Shown(1009));
    EXPECT_FALSE(Shown(1008));
    EXPECT_EQ(Text(1013), "Buffer State: Empty");
    EXPECT_EQ(Text(1016), "Checksum: 0xE000");   // 8192 bytes of 0xFF
    EXPECT_EQ(EnabledButtons(), (std::vector<int>{1002, 1003, 1004, 1005, 1001, 1006, 1023, 1024}));
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
    EXPECT_EQ(Text(1007), "PROM name: XC17V16");
    EXPECT_EQ(Text(1011), "PROM blank: No");
    EXPECT_EQ(Text(1010), "Reset Active: High");
    EXPECT_EQ(Text(1020), "Express Output: Parallel");
    EXPECT_EQ(Text(1019), "Busy Pin: Pulled Down");
    EXPECT_EQ(Text(1009), "Word size: 128 bits");
    EXPECT_EQ(Text(1008), "PROM size: 16777216 x 1 bit");
    EXPECT_EQ(EnabledButtons(),
              (std::vector<int>{1002, 1003, 1004, 1005, 1001, 1006, 1023, 1024, 1025, 1026, 1027, 1028}));

    // Another part: the option lines are blanked and the V-family buttons stay disabled.
    Insert("XC17256E");
    Identify();
    EXPECT_EQ(Text(1007), "PROM name: XC17256E");
    EXPECT_EQ(Text(1020), " ");
    EXPECT_EQ(Text(1019), " ");
    EXPECT_EQ(EnabledButtons(), (std::vector<int>{1002, 1003, 1004, 1005, 1001, 1006, 1023, 1024}));
}

TEST_P(IdentifyFlow, ExtendedPartOutsideTheVFamilyHasNoOptionLines) {
    Insert("XC1765X or XC1765EL");
    Identify();
    EXPECT_EQ(Text(1007), "PROM name: XC1765X or XC1765EL");
    EXPECT_EQ(Text(1011), "PROM blank: Yes");
    EXPECT_EQ(Text(1020), " ");
    EXPECT_EQ(Text(1019), " ");
    EXPECT_FALSE(Enabled(1025));
    EXPECT_FALSE(Enabled(1028));
}

TEST_P(IdentifyFlow, BlankArrayWithResetProgrammedIsNotBlank) {
    Insert("XC1718L", /*resetProgrammed=*/true);
    Identify();
    EXPECT_EQ(Text(1007), "PROM name: XC1718L");
    EXPECT_EQ(Text(1010), "Reset Active: Low");
    EXPECT_EQ(Text(1011), "PROM blank: No");
}

TEST_P(IdentifyFlow, EmptySocketShowsNoDeviceAndLeavesTheCommandsDisabled) {
    Insert("XC1765D");
    Identify();
    simulated.programmer.RemovePart();
    Identify();
    EXPECT_TRUE(operatorScript.messages.empty());
    EXPECT_EQ(Text(1007), "PROM name: No Device found");
    EXPECT_EQ(Text(1008), "PROM size: 0 x 1 bit");
    EXPECT_EQ(Text(1009), "Word size: 0 bits");
    // Nothing was there to check: a missing part is not called blank.
    EXPECT_EQ(Text(1011), "PROM blank: No");
    EXPECT_EQ(EnabledButtons(), std::vector<int>{1002});
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
    StatusLineSpy spy(Window(), *Find(1022), *Find(1021), *Find<QLabel>(1007));
    SetStatusLineWindow(&spy);
    Click(1002);
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
    EXPECT_FALSE(Shown(1022));
    EXPECT_FALSE(Shown(1021));
    EXPECT_EQ(Text(1011), "PROM blank: No");
}

}  // namespace
