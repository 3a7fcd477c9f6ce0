// The port selector: a choice moves the port base, re-opens the port driver so it learns the
// base, and the programmer is then looked for at the new port.
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>

#include "station_window_fixture.h"

namespace {

class PortSelector : public StationWindowInEachMode {
protected:
    QComboBox* Ports() { return Find<QComboBox>("portSelector"); }
    void PressKey(int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(Ports(), &press);
    }
};

TEST_P(PortSelector, ChoosingAPortMovesTheBaseAndTheProgrammerIsLookedForThere) {
    Insert("XC1718L");
    Window();
    const platform::DeviceHandle handleBefore = programmer.link.driverHandle;

    PressKey(Qt::Key_Down);
    EXPECT_EQ(Ports()->currentIndex(), 1);
    EXPECT_EQ(programmer.portBase, 0x278);
    if (GetParam() == PortAccess::Driver) {
        EXPECT_NE(programmer.link.driverHandle, handleBefore);   // closed and opened again
        EXPECT_NE(programmer.link.driverHandle, platform::kNoDevice);
    } else {
        EXPECT_EQ(programmer.link.driverHandle, platform::kNoDevice);
    }
    Click("identifyButton");
    ASSERT_EQ(operatorScript.messages.size(), 1u);
    EXPECT_EQ(operatorScript.messages[0].caption, "Programmer Check");

    PressKey(Qt::Key_Down);
    EXPECT_EQ(programmer.portBase, 0x3BC);
    PressKey(Qt::Key_Home);
    EXPECT_EQ(programmer.portBase, 0x378);
    Click("identifyButton");
    EXPECT_EQ(operatorScript.messages.size(), 1u);
    EXPECT_EQ(Text("promNameLine"), "PROM name: XC1718L");
}

TEST_P(PortSelector, BaseOutsideTheListStaysUntilAnEntryIsPicked) {
    programmer.portBase = 0x2F8;
    Window();
    EXPECT_EQ(Ports()->currentIndex(), 0);
    EXPECT_EQ(programmer.portBase, 0x2F8);
    emit Ports()->activated(0);   // the operator picks the entry already shown
    EXPECT_EQ(programmer.portBase, 0x378);
}

TEST_P(PortSelector, OtherPortsOfTheMachineFollowTheClassicEntries) {
    Insert("XC1765D");
    simulated.programmer.PlugInto(0xD010);
    Window().AddPortEntries({0x278, 0xD010, 0xE800});   // a classic base is not offered twice
    ASSERT_EQ(Ports()->count(), 5);
    EXPECT_EQ(Ports()->itemText(3), "LPT4 (0xD010)");
    EXPECT_EQ(Ports()->itemText(4), "LPT5 (0xE800)");

    emit Ports()->activated(3);
    EXPECT_EQ(programmer.portBase, 0xD010);
    Click("identifyButton");
    EXPECT_TRUE(operatorScript.messages.empty());
    EXPECT_EQ(Text("promNameLine"), "PROM name: XC1765D");

    // A saved base that is one of them is shown at start.
    programmer.portBase = 0xE800;
    Window().AddPortEntries({});
    EXPECT_EQ(Ports()->currentIndex(), 4);
}

INSTANTIATE_TEST_SUITE_P(PortAccess, PortSelector, ::testing::Values(PortAccess::Direct, PortAccess::Driver),
                         PortAccessName);

}  // namespace
