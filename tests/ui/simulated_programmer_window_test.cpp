// The simulated programmer's window: what it puts into the socket, the faults it injects and
// the port access it keeps for the next start in its own settings file.
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QAbstractButton>
#include <filesystem>
#include <map>
#include <fstream>
#include <gtest/gtest.h>

#include "engine/programmer.h"
#include "platform/platform_value.h"
#include "station/simulated_station.h"
#include "ui/simulated/simulated_programmer_window.h"

namespace fs = std::filesystem;

namespace {

class SimulatedProgrammerWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("simulator_window_" + std::to_string(getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        settingsPath = (folder / "promstation-sim-simulator.ini").string();
    }
    void TearDown() override {
        window.reset();
        fs::remove_all(folder);
    }

    SimulatedProgrammerWindow& Window() {
        if (!window) {
            window = std::make_unique<SimulatedProgrammerWindow>(simulated.programmer, settingsPath);
        }
        return *window;
    }
    template <typename Control>
    Control* Find(const char* name) {
        auto* control = Window().findChild<Control*>(name);
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    void ChooseType(const char* name) {
        auto* types = Find<QComboBox>("partTypeBox");
        types->setCurrentIndex(types->findText(name));
    }
    std::string Settings() {
        std::ifstream file(settingsPath);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }

    sim::SimulatedStation simulated;
    fs::path folder;
    std::string settingsPath;
    std::unique_ptr<SimulatedProgrammerWindow> window;
};

TEST_F(SimulatedProgrammerWindowTest, StartsWithABlankPartOfTheRememberedType) {
    Window();
    ASSERT_NE(simulated.programmer.Part(), nullptr);
    EXPECT_EQ(simulated.programmer.Part()->type.name, "XC17V16");
    EXPECT_EQ(Window().PlatformVersionForThisRun(), platform::kDriverFamilyVersion);
    EXPECT_EQ(Find<QComboBox>("partTypeBox")->count(), 46);
    EXPECT_EQ(Find<QLabel>("socketState")->text(), "In the socket: XC17V16, blank. Option bits unprogrammed.");
    window.reset();

    std::ofstream(settingsPath) << "[Simulator]\nDirect Port Access=1\nPart Type=46\n";
    Window();
    EXPECT_EQ(simulated.programmer.Part()->type.name, "XC1718L");
    EXPECT_EQ(Window().PlatformVersionForThisRun(), platform::kDirectPortFamilyVersion);
    EXPECT_TRUE(Find<QRadioButton>("familyDirect")->isChecked());
}

TEST_F(SimulatedProgrammerWindowTest, InsertsABlankPartWithItsOptionBits) {
    ChooseType("XC1765D");
    EXPECT_FALSE(Find<QCheckBox>("expressProgrammed")->isEnabled());
    Find<QCheckBox>("resetProgrammed")->setChecked(true);
    Find<QPushButton>("insertPart")->click();
    const sim::SimulatedProm* part = simulated.programmer.Part();
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->type.name, "XC1765D");
    EXPECT_TRUE(part->resetProgrammed);
    EXPECT_EQ(part->contents, std::vector<uint8_t>(8192, 0xFF));

    ChooseType("XC17V08");
    Find<QCheckBox>("resetProgrammed")->setChecked(false);
    Find<QCheckBox>("busyProgrammed")->setChecked(true);
    Find<QPushButton>("insertPart")->click();
    part = simulated.programmer.Part();
    EXPECT_EQ(part->type.name, "XC17V08");
    EXPECT_TRUE(part->busyProgrammed);
    EXPECT_FALSE(part->expressProgrammed);
    EXPECT_EQ(Settings(), "[Simulator]\nDirect Port Access=0\nPart Type=2\nPort Address=888\n");
}

TEST_F(SimulatedProgrammerWindowTest, InsertsAPartProgrammedFromAnImageFile) {
    const std::string image = (folder / "image.raw").string();
    std::ofstream(image, std::ios::binary) << std::string("\x00\x12\x34", 3);
    ChooseType("XC1718L");
    Find<QRadioButton>("contentsImage")->setChecked(true);
    Find<QLineEdit>("imagePath")->setText(QString::fromStdString(image));
    Find<QPushButton>("insertPart")->click();
    const sim::SimulatedProm* part = simulated.programmer.Part();
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->type.name, "XC1718L");
    ASSERT_EQ(part->contents.size(), 2268u);
    EXPECT_EQ(part->contents[0], 0x00);
    EXPECT_EQ(part->contents[1], 0x12);
    EXPECT_EQ(part->contents[2], 0x34);
    EXPECT_EQ(part->contents[3], 0xFF);
    EXPECT_EQ(Find<QLabel>("socketState")->text(),
              "In the socket: XC1718L, 3 of 2,268 bytes programmed. Option bits unprogrammed.");
}

TEST_F(SimulatedProgrammerWindowTest, InsertsAVirtualChipFile) {
    sim::SimulatedProm saved;
    Programmer catalogue(platform::kDirectPortFamilyVersion);
    saved.type = *catalogue.FindByName("XC17128E");
    saved.contents.assign(saved.type.sizeBits / 8, 0xFF);
    saved.contents[5] = 0xA5;
    saved.resetProgrammed = true;
    const std::string chip = (folder / "part.chip").string();
    std::string error;
    ASSERT_TRUE(sim::SaveChipFile(chip, saved, error)) << error;

    Find<QRadioButton>("contentsChip")->setChecked(true);
    EXPECT_FALSE(Find<QComboBox>("partTypeBox")->isEnabled());
    Find<QLineEdit>("chipPath")->setText(QString::fromStdString(chip));
    Find<QPushButton>("insertPart")->click();
    const sim::SimulatedProm* part = simulated.programmer.Part();
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->type.name, "XC17128E");
    EXPECT_EQ(part->contents[5], 0xA5);
    EXPECT_TRUE(part->resetProgrammed);
}

TEST_F(SimulatedProgrammerWindowTest, AnImageThatCannotBeReadLeavesTheSocketAlone) {
    Window();
    Find<QRadioButton>("contentsImage")->setChecked(true);
    Find<QLineEdit>("imagePath")->setText(QString::fromStdString((folder / "missing.bin").string()));
    QString complaint;
    QTimer::singleShot(0, [&complaint] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        complaint = box->text();
        box->accept();
    });
    Find<QPushButton>("insertPart")->click();
    EXPECT_TRUE(complaint.contains("missing.bin"));
    EXPECT_EQ(simulated.programmer.Part()->type.name, "XC17V16");
}

TEST_F(SimulatedProgrammerWindowTest, EmptySocketIsRememberedForTheNextStart) {
    Find<QPushButton>("emptySocket")->click();
    EXPECT_EQ(simulated.programmer.Part(), nullptr);
    EXPECT_EQ(Find<QLabel>("socketState")->text(), "The socket is empty.");
    window.reset();
    simulated.programmer.InsertBlankPart(*Programmer(platform::kDirectPortFamilyVersion).FindByName("XC1765D"));
    Window();
    EXPECT_EQ(simulated.programmer.Part(), nullptr);
}

TEST_F(SimulatedProgrammerWindowTest, InjectedFaultsReachTheProgrammer) {
    Programmer station(platform::kDirectPortFamilyVersion, &simulated.programmer);
    Find<QRadioButton>("faultAbsent")->click();
    EXPECT_EQ(station.CheckProgrammer(), 1);
    Find<QRadioButton>("faultNoPulse")->click();
    EXPECT_EQ(station.CheckProgrammer(), 2);
    EXPECT_TRUE(Find<QLabel>("socketState")->text().endsWith("Fault: No pulse answer."));
    Find<QRadioButton>("faultNone")->click();
    EXPECT_EQ(station.CheckProgrammer(), 0);
}

TEST_F(SimulatedProgrammerWindowTest, PortAccessIsKeptForTheNextStartOnly) {
    Find<QRadioButton>("familyDirect")->click();
    EXPECT_EQ(Window().PlatformVersionForThisRun(), platform::kDriverFamilyVersion);
    EXPECT_EQ(Settings(), "[Simulator]\nDirect Port Access=1\nPart Type=1\nPort Address=888\n");
    // Nothing but the simulator's own file.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
    window.reset();
    EXPECT_EQ(Window().PlatformVersionForThisRun(), platform::kDirectPortFamilyVersion);
}

TEST_F(SimulatedProgrammerWindowTest, PlugsTheProgrammerIntoTheChosenPortAndKeepsIt) {
    Programmer station(platform::kDirectPortFamilyVersion, &simulated.programmer);
    EXPECT_EQ(Find<QComboBox>("portBox")->currentText(), "LPT1 (0x378)");
    Find<QComboBox>("portBox")->setCurrentIndex(1);
    emit Find<QComboBox>("portBox")->activated(1);
    EXPECT_EQ(station.CheckProgrammer(), 1) << "nothing on 0x378 any more";
    station.portBase = 0x278;
    EXPECT_EQ(station.CheckProgrammer(), 0);
    window.reset();
    simulated.programmer.PlugInto(0x378);
    Window();
    EXPECT_EQ(simulated.programmer.PortBase(), 0x278);
    EXPECT_EQ(Find<QComboBox>("portBox")->currentText(), "LPT2 (0x278)");
}

TEST_F(SimulatedProgrammerWindowTest, EveryMnemonicIsUniqueAndNoOtherSystemIsNamed) {
    std::map<QChar, QString> seen;
    for (QWidget* control : Window().findChildren<QWidget*>()) {
        QString text;
        if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            text = button->text();
        } else if (auto* label = qobject_cast<QLabel*>(control)) {
            text = label->text();
        }
        EXPECT_FALSE(text.contains("NT family") || text.contains("9x family")) << text.toStdString();
        const qsizetype amp = text.indexOf('&');
        if (amp < 0 || amp + 1 >= text.size()) {
            continue;
        }
        const QChar key = text[amp + 1].toLower();
        EXPECT_FALSE(seen.count(key)) << text.toStdString() << " and " << seen[key].toStdString();
        seen[key] = text;
    }
    EXPECT_GE(seen.size(), 16u);
}

}  // namespace
