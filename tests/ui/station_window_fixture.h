#pragma once
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <memory>
#include <string>

#include "buffer/record_file.h"
#include "engine/programmer.h"
#include "platform/platform_value.h"
#include "scripted_operator.h"
#include "station/simulated_station.h"
#include "ui/main_dialog.h"

enum class PortAccess { Direct, Driver };

inline std::string PortAccessName(const ::testing::TestParamInfo<PortAccess>& info) {
    return info.param == PortAccess::Direct ? "Direct" : "Driver";
}

// The station window on a simulated programmer at 0x378, with a scripted operator.
class StationWindowTest : public ::testing::Test {
protected:
    explicit StationWindowTest(PortAccess access = PortAccess::Driver)
        : programmer(access == PortAccess::Direct ? platform::kDirectPortFamilyVersion
                                                  : platform::kDriverFamilyVersion,
                     &simulated.programmer) {}

    // Creates the window (after a test has set up the programmer as it likes).
    MainDialog& Window() {
        if (!window) {
            window = std::make_unique<MainDialog>(programmer, recordFile, defaultFilePattern, operatorScript);
        }
        return *window;
    }

    // The main window's controls by name ("identifyButton").
    template <typename Control = QWidget>
    Control* Find(const std::string& name) {
        auto* control = Window().findChild<Control*>(QString::fromStdString(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    std::string Text(const std::string& name) {
        if (auto* label = Window().findChild<QLabel*>(QString::fromStdString(name))) {
            return label->text().toStdString();
        }
        return Find<QAbstractButton>(name)->text().toStdString();
    }
    bool Enabled(const std::string& name) { return Find(name)->isEnabled(); }
    // Shown as far as the window goes (the window itself need not be on screen).
    bool Shown(const std::string& name) { return !Find(name)->isHidden(); }
    void Click(const std::string& name) { Find<QAbstractButton>(name)->click(); }

    void Insert(const std::string& typeName, bool resetProgrammed = false) {
        sim::SimulatedProm part;
        part.type = *programmer.FindByName(typeName);
        part.resetProgrammed = resetProgrammed;
        simulated.programmer.InsertPart(part);
    }

    sim::SimulatedStation simulated;
    Programmer programmer;
    RecordFile recordFile;
    std::string defaultFilePattern = "*.mcs";
    ScriptedOperator operatorScript;
    std::unique_ptr<MainDialog> window;
};

// The same, once for each way of reaching the port.
class StationWindowInEachMode : public StationWindowTest, public ::testing::WithParamInterface<PortAccess> {
protected:
    StationWindowInEachMode() : StationWindowTest(GetParam()) {}
};
