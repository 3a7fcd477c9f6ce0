// The operator services as real Qt dialogs: a few checks of the wiring, driven through the
// modal dialog that comes up.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>

#include "link/operator_notice.h"
#include "ui/file_filter.h"
#include "ui/qt_operator.h"

namespace {

// Runs `act` on the modal dialog once it is up.
void WhenModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act = std::move(act)] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        act(modal);
    });
}

TEST(QtOperatorDialogs, MessageBoxHasTheCaptionIconAndButtonsAsked) {
    QtOperator operatorServices(false);
    QString text, caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    WhenModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        text = box->text();
        caption = box->windowTitle();
        icon = box->icon();
        buttons = box->standardButtons();
        box->button(QMessageBox::No)->click();
    });
    MessageAnswer answer = operatorServices.ShowMessage("Device has changed from: A to B. Do you want to continue programming?",
                                                        "Device Type Change Warning", MessageIcon::Exclamation,
                                                        MessageButtons::YesNo);
    EXPECT_EQ(answer, MessageAnswer::No);
    EXPECT_EQ(text, "Device has changed from: A to B. Do you want to continue programming?");
    EXPECT_EQ(caption, "Device Type Change Warning");
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(buttons, QMessageBox::Yes | QMessageBox::No);

    WhenModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        icon = box->icon();
        buttons = box->standardButtons();
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(operatorServices.ShowMessage("Programmer micro controller error, pulse not found.", "Programmer Check",
                                           MessageIcon::None, MessageButtons::Ok),
              MessageAnswer::Ok);
    EXPECT_EQ(icon, QMessageBox::NoIcon);
    EXPECT_EQ(buttons, QMessageBox::Ok);
}

TEST(QtOperatorDialogs, DriverOpenFailureIsAWarningBox) {
    InstallDriverWarningBox();
    QString text, caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    WhenModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        text = box->text();
        caption = box->windowTitle();
        icon = box->icon();
        box->accept();
    });
    ShowWarning("Device driver not installed", "Kvaldev Device Error");
    SetWarningHook(nullptr);
    EXPECT_EQ(text, "Device driver not installed");
    EXPECT_EQ(caption, "Kvaldev Device Error");
    EXPECT_EQ(icon, QMessageBox::Warning);
}

TEST(QtOperatorDialogs, FilePickerOffersTheFiltersAndReturnsTheFullPath) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("qt_operator_" + std::to_string(getpid()));
    fs::create_directories(folder);
    const fs::path file = folder / "board.mcs";
    std::ofstream(file) << ":00000001FF\n";

    QtOperator operatorServices(false);
    QStringList filters;
    QString suffix;
    WhenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        filters = dialog->nameFilters();
        suffix = dialog->defaultSuffix();
        dialog->setDirectory(QString::fromStdString(folder.string()));
        dialog->selectFile("board.mcs");
        QMetaObject::invokeMethod(dialog, "accept");
    });
    const std::string chosen = operatorServices.AskFileToOpen(
        "Xilinx - Intel Hex (*.mcs)|*.mcs|Intel Hex (*.hex)|*.hex|All Files|*.*||", "*.mcs");
    EXPECT_EQ(chosen, file.string());
    EXPECT_EQ(filters, (QStringList{"Xilinx - Intel Hex (*.mcs)", "Intel Hex (*.hex)", "All Files (*)"}));
    EXPECT_EQ(suffix, "mcs");

    WhenModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    EXPECT_EQ(operatorServices.AskFileToSave("Binary Hex (*.bin)|*.bin||", "*.bin"), "");
    fs::remove_all(folder);
}

TEST(QtOperatorDialogs, FilePickersStartInTheFolderLastUsedRememberedInTheSettings) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("qt_operator_folders_" + std::to_string(getpid()));
    fs::create_directories(folder / "images");
    const std::string settings = (folder / "station.ini").string();
    std::ofstream(settings) << "[Settings]\nPort Address=632\n";
    {
        QtOperator operatorServices(false, settings);
        WhenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            dialog->setDirectory(QString::fromStdString((folder / "images").string()));
            dialog->selectFile("out.bin");
            QMetaObject::invokeMethod(dialog, "accept");
        });
        operatorServices.AskFileToSave("Binary Hex (*.bin)|*.bin||", "*.bin");
    }
    QtOperator nextRun(false, settings);
    QString startedIn;
    WhenModal([&](QWidget* modal) {
        startedIn = qobject_cast<QFileDialog*>(modal)->directory().absolutePath();
        qobject_cast<QDialog*>(modal)->reject();
    });
    nextRun.AskFileToOpen("All Files|*.*||", "*.mcs");
    EXPECT_EQ(startedIn.toStdString(), (folder / "images").string());
    std::ifstream file(settings);
    const std::string text(std::istreambuf_iterator<char>(file), {});
    EXPECT_EQ(text, "[Settings]\nPort Address=632\nLast Folder=" + (folder / "images").string() + "\n");
    fs::remove_all(folder);
}

TEST(FileDialogFilters, BecomeQtNameFilters) {
    EXPECT_EQ(ToQtNameFilters("Xilinx - Intel Hex (*.mcs)|*.mcs|Intel Hex (*.hex)|*.hex|Motorola S-Record 32 bit "
                              "address (*.exo)|*.exo|Binary Hex (*.bin)|*.bin|All Files|*.*||"),
              "Xilinx - Intel Hex (*.mcs);;Intel Hex (*.hex);;Motorola S-Record 32 bit address (*.exo);;"
              "Binary Hex (*.bin);;All Files (*)");
    EXPECT_EQ(ToQtNameFilters("Logs|*.txt;*.log|Everything (*.*)|*.*||"), "Logs (*.txt *.log);;Everything (*)");
    EXPECT_EQ(ToQtNameFilters("||"), "");
}

}  // namespace
