// Writes PNG pictures of the dialogs for review when PROM_SCREENSHOT_DIR names a folder:
//   PROM_SCREENSHOT_DIR=/tmp/shots test_ui --gtest_filter='DialogScreenshots.*'
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QListView>
#include <QPixmap>
#include <vector>

#include "dialog_driver.h"
#include "engine/programmer.h"
#include "platform/platform_value.h"
#include "station/simulated_station.h"
#include "ui/buffer_section_dialog.h"
#include "ui/buffer_view_dialog.h"
#include "ui/busy_prompt_dialog.h"
#include "ui/output_prompt_dialog.h"
#include "ui/prom_info_dialog.h"
#include "ui/reset_prompt_dialog.h"

namespace {

class DialogScreenshots : public ::testing::Test {
protected:
    void SetUp() override {
        folder = qEnvironmentVariable("PROM_SCREENSHOT_DIR");
        if (folder.isEmpty()) {
            GTEST_SKIP() << "PROM_SCREENSHOT_DIR is not set";
        }
        ASSERT_TRUE(QDir().mkpath(folder));
    }

    void Save(QWidget& dialog, const QString& name) {
        dialog.show();
        // Lets the list lay out its rows (and show its scroll bar) before the picture.
        RunEventsFor(50);
        const QString path = QDir(folder).filePath(name + ".png");
        EXPECT_TRUE(dialog.grab().save(path)) << path.toStdString();
        dialog.hide();
    }

    QString folder;
};

// A buffer that looks like a configuration stream: a header, then varied data.
std::vector<uint8_t> SampleBuffer(uint32_t length) {
    std::vector<uint8_t> bytes(length);
    for (uint32_t i = 0; i < length; ++i) {
        bytes[i] = static_cast<uint8_t>(i < 4 ? 0xFF : i * 37 + (i >> 8));
    }
    return bytes;
}

TEST_F(DialogScreenshots, BufferViewerAndSectionChooser) {
    const std::vector<uint8_t> bytes = SampleBuffer(0x200000);
    BufferViewDialog viewer(bytes.data(), 0x200000, nullptr, [](QWidget*, uint32_t) { return 2; });
    viewer.show();
    ASSERT_TRUE(viewer.Fill());
    auto* list = viewer.findChild<QListView*>("control1013");
    for (int row : {2, 3}) {
        list->selectionModel()->select(list->model()->index(row, 0), QItemSelectionModel::Select);
    }
    Save(viewer, "buffer_viewer");

    BufferSectionDialog chooser(0x200000);
    Save(chooser, "buffer_section_chooser");
    chooser.findChild<QComboBox*>("control1012")->setCurrentIndex(2);
    Save(chooser, "buffer_section_chooser_chosen");
}

TEST_F(DialogScreenshots, OptionPrompts) {
    ResetPromptDialog reset;
    Save(reset, "reset_prompt");
    BusyPromptDialog busy;
    Save(busy, "busy_prompt");
    OutputPromptDialog output;
    Save(output, "output_prompt");
}

TEST_F(DialogScreenshots, PromInformation) {
    sim::SimulatedStation station;
    Programmer programmer(platform::kDirectPortFamilyVersion, &station.programmer);
    PromInfoDialog empty(programmer);
    Save(empty, "prom_information_no_device");

    programmer.currentDevice = programmer.FindByName("XC17V16");
    station.programmer.InsertBlankPart(*programmer.currentDevice);
    programmer.DescribeCurrentDevice(displayedDevice);
    PromInfoDialog identified(programmer);
    Save(identified, "prom_information");
    displayedDevice = PromDevice();
}

}  // namespace
