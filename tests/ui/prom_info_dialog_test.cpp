#include <gtest/gtest.h>

#include <QLabel>
#include <QStringList>

#include "engine/programmer.h"
#include "platform/platform_value.h"
#include "recording_port.h"
#include "station/simulated_station.h"
#include "ui/prom_info_dialog.h"
#include "virtual_time.h"

namespace {

// The seven texts, top to bottom.
QStringList Texts(const PromInfoDialog& dialog) {
    QStringList texts;
    for (const char* name : {"control1007", "control1008", "control1009", "control1010", "control1011",
                             "control1012", "control1013"}) {
        texts << dialog.findChild<QLabel*>(name)->text();
    }
    return texts;
}

class PromInfoDialogTest : public ::testing::Test {
protected:
    void TearDown() override { displayedDevice = PromDevice(); }
};

TEST_F(PromInfoDialogTest, WithoutIdentifiedPartShowsBareLabelsAndLeavesThePortAlone) {
    VirtualTime time;
    RecordingPort port;
    Programmer programmer(platform::kDirectPortFamilyVersion, &port);
    programmer.DescribeCurrentDevice(displayedDevice);
    const size_t accessesBefore = port.log.size();

    PromInfoDialog dialog(programmer);
    EXPECT_EQ(dialog.windowTitle(), "PROM Information");
    EXPECT_EQ(Texts(dialog), QStringList({"PROM name:", "PROM size:", "Word size:", "Reset Active:",
                                          "PROM blank:", "Manufacturer Code:", "Device ID or Product Code:"}));
    EXPECT_EQ(port.log.size(), accessesBefore);
}

// A part in the simulated socket, made the identified device as identification would.
class IdentifiedPartTest : public PromInfoDialogTest {
protected:
    void Identified(const std::string& type, const sim::SimulatedProm& part) {
        programmer.currentDevice = programmer.FindByName(type);
        ASSERT_NE(programmer.currentDevice, nullptr);
        station.programmer.InsertPart(part);
        programmer.resetPolarity = part.resetProgrammed ? 0 : 1;
        programmer.DescribeCurrentDevice(displayedDevice);
    }
    sim::SimulatedProm Erased(const std::string& type) {
        sim::SimulatedProm part;
        part.type = *programmer.FindByName(type);
        part.contents.assign(part.type.sizeBits / 8, 0xFF);
        return part;
    }

    sim::SimulatedStation station;
    Programmer programmer{platform::kDirectPortFamilyVersion, &station.programmer};
};

TEST_F(IdentifiedPartTest, BlankLargestPartWithResetActiveHigh) {
    Identified("XC17V16", Erased("XC17V16"));
    PromInfoDialog dialog(programmer);
    EXPECT_EQ(Texts(dialog), QStringList({"PROM name: XC17V16", "PROM size: 16777216 x 1 bit", "Word size: 128 bits",
                                          "Reset active: High", "PROM blank: Yes",
                                          "Manufacturer Code: FF FF FF C9",
                                          "Device ID or Product Code: FF FF FF 7C"}));
    EXPECT_EQ(programmer.powerMode, POWER_OFF);
}

TEST_F(IdentifiedPartTest, ProgrammedResetBitMakesAnErasedPartNotBlank) {
    sim::SimulatedProm part = Erased("XC1765X or XC1765EL");
    part.resetProgrammed = true;
    Identified("XC1765X or XC1765EL", part);
    PromInfoDialog dialog(programmer);
    const QStringList texts = Texts(dialog);
    EXPECT_EQ(texts[0], "PROM name: XC1765X or XC1765EL");
    EXPECT_EQ(texts[3], "Reset active: Low");
    EXPECT_EQ(texts[4], "PROM blank: No");
    EXPECT_EQ(texts[6], "Device ID or Product Code: FF FF FF FC");
}

TEST_F(IdentifiedPartTest, EachOpeningChecksThePartAfresh) {
    sim::SimulatedProm part = Erased("XC1765D");
    Identified("XC1765D", part);
    EXPECT_EQ(Texts(PromInfoDialog(programmer))[4], "PROM blank: Yes");

    station.programmer.Part()->contents[100] = 0x7F;
    EXPECT_EQ(Texts(PromInfoDialog(programmer))[4], "PROM blank: No");
    EXPECT_EQ(Texts(PromInfoDialog(programmer))[3], "Reset active: High");
}

}  // namespace
