#pragma once
#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "station_window_fixture.h"

// The station window for the command tests: parts identified through the Identify button,
// and the state of the buttons as the operator sees it.
class CommandWindowTest : public StationWindowTest {
protected:
    explicit CommandWindowTest(PortAccess access = PortAccess::Driver) : StationWindowTest(access) {}

    // The displayed device is the station's own record: the next test starts without one.
    void TearDown() override { displayedDevice = PromDevice(); }

    static sim::SimulatedProm Blank(const Programmer& programmer, const std::string& type) {
        sim::SimulatedProm part;
        part.type = *programmer.FindByName(type);
        part.contents.assign(part.type.sizeBits / 8, 0xFF);
        return part;
    }

    // Puts `part` in the socket and identifies it; forgets what the operator was told.
    void Identify(const sim::SimulatedProm& part) {
        simulated.programmer.InsertPart(part);
        Click("identifyButton");
        ASSERT_NE(programmer.currentDevice, nullptr);
        ASSERT_EQ(programmer.currentDevice->name, part.type.name);
        operatorScript.messages.clear();
    }
    void Identify(const std::string& type) { Identify(Blank(programmer, type)); }

    // Swaps the part in the socket without telling the station.
    void Swap(const std::string& type) { simulated.programmer.InsertPart(Blank(programmer, type)); }

    // Presses (or moves) an option pair's choice; disabled buttons are set as a pair would keep them.
    void Choose(const std::string& name) { Find<QAbstractButton>(name)->setChecked(true); }

    std::vector<std::string> EnabledButtons() {
        static const char* const kButtons[] = {"identifyButton", "readButton", "programButton", "compareButton", "loadButton", "saveButton", "viewBufferButton",
                                       "resetHighButton", "resetLowButton", "serialOutputButton", "parallelOutputButton", "busyFloatingButton", "busyPulledDownButton"};
        std::vector<std::string> enabled;
        for (const char* name : kButtons) {
            if (Enabled(name)) {
                enabled.push_back(name);
            }
        }
        return enabled;
    }

    // The one message of the last command, which must have shown exactly one.
    ScriptedOperator::Message OnlyMessage() {
        EXPECT_EQ(operatorScript.messages.size(), 1u);
        return operatorScript.messages.empty() ? ScriptedOperator::Message{} : operatorScript.messages.back();
    }
};

// The command buttons and the reset pair: what every command leaves enabled for a part outside
// the V family (View Buffer aside).
inline const std::vector<std::string> kPlainPartButtons = {"identifyButton", "readButton", "programButton", "compareButton", "loadButton", "saveButton", "resetHighButton", "resetLowButton"};

// Runs `open`, and `act` on the modal dialog it brings up, from that dialog's event loop.
// False when no dialog came up; nothing is left waiting for one then.
inline bool WithModalDialog(const std::function<void()>& open, const std::function<void(QWidget*)>& act) {
    QTimer poll;
    bool cameUp = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible()) {
            poll.stop();
            cameUp = true;
            act(modal);
        }
    });
    poll.start(0);
    open();
    return cameUp;
}

class CommandWindowInEachMode : public CommandWindowTest, public ::testing::WithParamInterface<PortAccess> {
protected:
    CommandWindowInEachMode() : CommandWindowTest(GetParam()) {}
};
