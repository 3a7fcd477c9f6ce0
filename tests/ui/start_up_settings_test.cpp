// Start-up: the port setting read from the station's settings file, shown by the port selector,
// and written back when the window closes.
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>

#include "platform/platform_value.h"
#include "platform/profile_file.h"
#include "scripted_operator.h"
#include "station/simulated_station.h"
#include "ui/main_dialog.h"
#include "ui/prom_app.h"
#include "ui/station_objects.h"

namespace fs = std::filesystem;

namespace {

MainDialog* OpenMainDialog() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<MainDialog*>(widget); window && window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

class StartUpSettings : public ::testing::Test {
protected:
    void SetUp() override {
        const char* saved = std::getenv("XDG_CONFIG_HOME");
        savedConfigHome = saved ? std::optional<std::string>(saved) : std::nullopt;
        folder = fs::temp_directory_path() / ("station_settings_" + std::to_string(getpid()));
        fs::remove_all(folder);
        setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
        settingsPath = (folder / "test_ui.ini").string();
    }
    void TearDown() override {
        fs::remove_all(folder);
        if (savedConfigHome) {
            setenv("XDG_CONFIG_HOME", savedConfigHome->c_str(), 1);
        } else {
            unsetenv("XDG_CONFIG_HOME");
        }
    }

    void WriteSettings(const std::string& text) {
        fs::create_directories(folder);
        std::ofstream(settingsPath) << text;
    }
    std::string Settings() {
        std::ifstream file(settingsPath);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

    // Runs the station's start-up; `operate` works the window, which is then quit.
    void Run(std::function<void(MainDialog&)> operate = [](MainDialog&) {}) {
        StationObjects station(platform::kDirectPortFamilyVersion, &simulated.programmer, operatorScript);
        EXPECT_EQ(station.app.SettingsPath(), settingsPath);
        bool operated = false;
        std::function<void()> whenOpen = [&] {
            MainDialog* window = OpenMainDialog();
            if (!window) {
                QTimer::singleShot(1, whenOpen);
                return;
            }
            portBaseShown = station.programmer.portBase;
            selectorIndex = window->findChild<QComboBox*>("portSelector")->currentIndex();
            operate(*window);
            operated = true;
            if (window->isVisible()) {
                window->findChild<QPushButton*>("quitButton")->click();
            }
        };
        QTimer::singleShot(0, whenOpen);
        EXPECT_FALSE(station.app.InitInstance());
        EXPECT_TRUE(operated);
        portBaseAtExit = station.programmer.portBase;
        EXPECT_EQ(OpenMainDialog(), nullptr);
    }

    sim::SimulatedStation simulated;
    ScriptedOperator operatorScript;
    fs::path folder;
    std::string settingsPath;
    std::optional<std::string> savedConfigHome;
    uint16_t portBaseShown = 0;
    int selectorIndex = -1;
    uint16_t portBaseAtExit = 0;
};

TEST_F(StartUpSettings, WithoutAFileThePortIsTheDefaultAndTheFileIsCreated) {
    Run();
    EXPECT_EQ(portBaseShown, 0x378);
    EXPECT_EQ(selectorIndex, 0);
    EXPECT_EQ(Settings(), "[Settings]\nPort Address=888\n");
}

TEST_F(StartUpSettings, StoredPortIsSelectedAndWrittenBackUnchanged) {
    WriteSettings("; kept\n[Settings]\nPort Address=632\n");
    Run();
    EXPECT_EQ(portBaseShown, 0x278);
    EXPECT_EQ(selectorIndex, 1);
    EXPECT_EQ(Settings(), "; kept\n[Settings]\nPort Address=632\n");

    WriteSettings("[Settings]\nPort Address=956\n");
    Run();
    EXPECT_EQ(selectorIndex, 2);
}

TEST_F(StartUpSettings, PortOutsideTheListIsKeptWhileTheSelectorShowsLpt1) {
    WriteSettings("[Settings]\nPort Address=760\n");   // 0x2F8
    Run();
    EXPECT_EQ(portBaseShown, 0x2F8);
    EXPECT_EQ(selectorIndex, 0);
    EXPECT_EQ(portBaseAtExit, 0x2F8);
    EXPECT_EQ(Settings(), "[Settings]\nPort Address=760\n");
}

TEST_F(StartUpSettings, OnlyTheLow16BitsOfALargeValueAreKept) {
    WriteSettings("[Settings]\nPort Address=70000\n");
    Run();
    EXPECT_EQ(portBaseShown, 70000 & 0xFFFF);
    EXPECT_EQ(Settings(), "[Settings]\nPort Address=4464\n");
}

TEST_F(StartUpSettings, PortChosenByTheOperatorReachesTheFile) {
    WriteSettings("[Settings]\nPort Address=888\n");
    Run([](MainDialog& window) {
        auto* ports = window.findChild<QComboBox*>("portSelector");
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(ports, &down);
    });
    EXPECT_EQ(portBaseAtExit, 0x278);
    EXPECT_EQ(Settings(), "[Settings]\nPort Address=632\n");
}

TEST_F(StartUpSettings, SettingIsWrittenBackHoweverTheWindowEnds) {
    WriteSettings("[Settings]\nPort Address=956\n");
    Run([](MainDialog& window) {
        // The close box instead of Quit.
        window.reject();
    });
    EXPECT_EQ(Settings(), "[Settings]\nPort Address=956\n");
}

}  // namespace

namespace {

// A settings file the station cannot use whole: it still starts, says once what is wrong, and
// its write-back at exit keeps every line it could not understand.
TEST_F(StartUpSettings, AFileItCannotUseIsNamedOnceAndNothingInItIsLost) {
    const std::string garbage = "[Settings]\n\x01\x02 garbage \xFF\n; kept\nPort Address=632\n";
    WriteSettings(garbage);
    Run();
    ASSERT_EQ(operatorScript.messages.size(), 1u);
    EXPECT_EQ(operatorScript.messages[0].caption, "Settings File");
    EXPECT_NE(operatorScript.messages[0].text.find(settingsPath + " line 2 is neither a [section] nor a key=value line"),
              std::string::npos) << operatorScript.messages[0].text;
    EXPECT_EQ(portBaseShown, 0x278);
    EXPECT_EQ(Settings(), garbage);

    // A folder where the file should be: the default port, the folder left alone.
    fs::remove(settingsPath);
    fs::create_directories(fs::path(settingsPath) / "inside");
    operatorScript.messages.clear();
    Run();
    ASSERT_EQ(operatorScript.messages.size(), 1u);
    EXPECT_NE(operatorScript.messages[0].text.find("is a folder"), std::string::npos);
    EXPECT_EQ(portBaseShown, 0x378);
    EXPECT_TRUE(fs::is_directory(fs::path(settingsPath) / "inside"));
}

TEST_F(StartUpSettings, AnUnreadableFileIsNeverReplaced) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root reads any file";
    }
    WriteSettings("[Settings]\nPort Address=632\n[Other]\nKeep=me\n");
    fs::permissions(settingsPath, fs::perms::none);
    Run();
    ASSERT_EQ(operatorScript.messages.size(), 1u);
    EXPECT_NE(operatorScript.messages[0].text.find("cannot be read: Permission denied"), std::string::npos);
    EXPECT_EQ(portBaseShown, 0x378);
    fs::permissions(settingsPath, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(Settings(), "[Settings]\nPort Address=632\n[Other]\nKeep=me\n");
}

}  // namespace
