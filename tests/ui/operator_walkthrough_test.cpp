// One operator's whole session on the largest part, as a new user would work the station: an
// image made by srec_cat goes into the buffer, onto the part with all three option bits, back
// into the buffer, through the viewer and the clipboard, out to an S-record file, and the
// information dialog tells what the part now holds.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QMouseEvent>
#include <QPushButton>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "command_window_fixture.h"
#include "ui/buffer_section_dialog.h"
#include "dialog_driver.h"
#include "random_image.h"

namespace {

namespace fs = std::filesystem;

class OperatorWalkthrough : public CommandWindowTest {
protected:
    void SetUp() override {
        folder = fs::path(::testing::TempDir()) / "operator-walkthrough";
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override {
        fs::remove_all(folder);
        CommandWindowTest::TearDown();
    }

    // The image as srec_cat writes it: Intel Hex with extended linear address records.
    std::string MakeImageWithSrecCat(const std::vector<uint8_t>& image) {
        const fs::path binary = folder / "image.bin";
        std::ofstream(binary, std::ios::binary).write(reinterpret_cast<const char*>(image.data()),
                                                      static_cast<std::streamsize>(image.size()));
        const fs::path mcs = folder / "Image.MCS";
        const std::string command = "srec_cat '" + binary.string() + "' -binary -o '" + mcs.string() + "' -intel";
        EXPECT_EQ(std::system(command.c_str()), 0) << "srec_cat is needed (package srecord)";
        return mcs.string();
    }

    fs::path folder;
};

TEST_F(OperatorWalkthrough, LargestPartFromAnSrecCatImageToTheInformationDialog) {
    Identify("XC17V16");
    EXPECT_EQ(Text("promBlankLine"), "PROM blank: Yes");
    const std::vector<uint8_t> image = RandomImage(2097152, 17);

    // Load the file the operator made with srec_cat.
    operatorScript.files.push_back(MakeImageWithSrecCat(image));
    Click("loadButton");
    EXPECT_TRUE(operatorScript.messages.empty());
    EXPECT_EQ(Text("bufferStateLine"), "Buffer State: File - image.mcs");
    ASSERT_TRUE(std::equal(image.begin(), image.end(), programmer.buffer.get()));

    // Program it, answering the three prompts: reset low, busy pulled down, parallel output.
    operatorScript.promptAnswers = {-1, -1, -1};
    Click("programButton");
    ASSERT_EQ(OnlyMessage().text, "PROM programmed and verified successfully");
    EXPECT_EQ(OnlyMessage().caption, "Programming Complete");
    EXPECT_TRUE(operatorScript.promptAnswers.empty()) << "all three prompts were asked";
    EXPECT_EQ(Text("resetActiveLine"), "Reset Active: Low");
    EXPECT_EQ(Text("busyPinLine"), "Busy Pin: Pulled Down");
    EXPECT_EQ(Text("expressOutputLine"), "Express Output: Parallel");
    EXPECT_EQ(Text("promBlankLine"), "PROM blank: No");
    operatorScript.messages.clear();

    // Compare, then read the part back into a cleared buffer.
    Click("compareButton");
    EXPECT_EQ(OnlyMessage().text, "Device and Buffer compared succesfully");
    operatorScript.messages.clear();
    programmer.ClearBuffer();
    Click("readButton");
    EXPECT_TRUE(operatorScript.messages.empty());
    EXPECT_EQ(Text("bufferStateLine"), "Buffer State: XC17V16 contents");
    ASSERT_TRUE(std::equal(image.begin(), image.end(), programmer.buffer.get()));

    // View the first screen and copy two lines to the clipboard.
    QGuiApplication::clipboard()->setText("untouched");
    auto copyTwoLinesAndClose = [](QWidget* viewer) {
        auto* list = viewer->findChild<QListView*>("control1013");
        QItemSelectionModel* selection = list->selectionModel();
        selection->setCurrentIndex(list->model()->index(1, 0), QItemSelectionModel::Select);
        selection->setCurrentIndex(list->model()->index(0, 0), QItemSelectionModel::Select);
        PressKey(list, Qt::Key_C, Qt::ControlModifier);
        qobject_cast<QDialog*>(viewer)->accept();
    };
    auto chooseFirstScreen = [&](QWidget* chooser) {
        chooser->findChild<QComboBox*>("control1012")->setCurrentIndex(0);
        OnNextModalDialog(copyTwoLinesAndClose, chooser);
        chooser->findChild<QPushButton*>("control1")->click();
    };
    // The viewer may show before it asks for the section; the chooser is what to wait for.
    std::function<void(QWidget*)> untilChooser = [&](QWidget* modal) {
        if (qobject_cast<BufferSectionDialog*>(modal)) {
            chooseFirstScreen(modal);
        } else {
            OnNextModalDialog(untilChooser, modal);
        }
    };
    OnNextModalDialog(untilChooser);
    Click("viewBufferButton");
    QString expected;
    for (int line = 0; line < 2; ++line) {
        expected += QString::asprintf("%06X: ", line * 16);
        for (int i = 0; i < 16; ++i) {
            expected += QString::asprintf("%02X ", image[line * 16 + i]);
        }
        expected += "\n";
    }
    EXPECT_EQ(QGuiApplication::clipboard()->text(), expected);

    // Save as an S-record file, which srec_cat reads back to the image.
    const fs::path saved = folder / "back.exo";
    operatorScript.files.push_back(saved.string());
    Click("saveButton");
    EXPECT_TRUE(operatorScript.messages.empty());
    EXPECT_EQ(Text("bufferStateLine"), "Buffer State: File - back.exo");
    const fs::path roundTrip = folder / "back.bin";
    const std::string command = "srec_cat '" + saved.string() + "' -motorola -o '" + roundTrip.string() + "' -binary";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream back(roundTrip, std::ios::binary);
    const std::vector<uint8_t> backBytes((std::istreambuf_iterator<char>(back)), std::istreambuf_iterator<char>());
    EXPECT_EQ(backBytes, image);

    // A right click on the window's background shows what the part now holds.
    Window().show();
    QStringList texts;
    const bool opened = WithModalDialog(
        [this] {
            const QPointF corner(5, 5);
            QMouseEvent press(QEvent::MouseButtonPress, corner, Window().mapToGlobal(corner), Qt::RightButton,
                              Qt::RightButton, Qt::NoModifier);
            QApplication::sendEvent(&Window(), &press);
        },
        [&texts](QWidget* dialog) {
            for (const char* name : {"control1007", "control1010", "control1011", "control1013"}) {
                texts << dialog->findChild<QLabel*>(name)->text();
            }
            qobject_cast<QDialog*>(dialog)->reject();
        });
    ASSERT_TRUE(opened);
    EXPECT_EQ(texts, (QStringList{"PROM name: XC17V16", "Reset active: Low", "PROM blank: No",
                                  "Device ID or Product Code: FF FF FF 7C"}));
}

}  // namespace
