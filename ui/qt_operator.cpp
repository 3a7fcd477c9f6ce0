#include "ui/qt_operator.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "link/operator_notice.h"
#include "platform/profile_file.h"
#include "ui/busy_prompt_dialog.h"
#include "ui/file_filter.h"
#include "ui/output_prompt_dialog.h"
#include "ui/reset_prompt_dialog.h"

namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Stop:
        return QMessageBox::Critical;
    case MessageIcon::Exclamation:
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// "*.mcs" as the dialogs' default extension is the suffix "mcs".
QString SuffixOf(const std::string& defaultExtension) {
    QString suffix = QString::fromStdString(defaultExtension);
    if (suffix.startsWith("*.")) {
        suffix.remove(0, 2);
    }
    return suffix == "*" ? QString() : suffix;
}

// Kept beside "Port Address" in the station's settings file.
const char* const kSettingsSection = "Settings";
const char* const kLastFolderKey = "Last Folder";

}  // namespace

QtOperator::QtOperator(bool nativeFileDialogs, std::string settingsPath)
    : nativeFileDialogs(nativeFileDialogs), settingsPath(std::move(settingsPath)) {
    if (!this->settingsPath.empty()) {
        lastFolder = platform::GetPrivateProfileString(kSettingsSection, kLastFolderKey, "", this->settingsPath);
    }
}

QtOperator::~QtOperator() {
    SetWaitCursor(false);
}

MessageAnswer QtOperator::ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                                      MessageButtons buttons) {
    const QMessageBox::StandardButtons choices =
        buttons == MessageButtons::Ok ? QMessageBox::Ok : QMessageBox::Yes | QMessageBox::No;
    QMessageBox box(BoxIcon(icon), QString::fromStdString(caption), QString::fromStdString(text), choices,
                    QApplication::activeWindow());
    if (buttons == MessageButtons::YesNo) {
        box.setDefaultButton(QMessageBox::Yes);
    } else if (buttons == MessageButtons::YesNoDefaultNo) {
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
    }
    const int answer = box.exec();
    if (buttons == MessageButtons::Ok) {
        return MessageAnswer::Ok;
    }
    return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

std::string QtOperator::AskFile(bool save, const std::string& filter, const std::string& defaultExtension) {
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(QString::fromStdString(ToQtNameFilters(filter)).split(";;"));
    dialog.setDefaultSuffix(SuffixOf(defaultExtension));
    dialog.setOption(QFileDialog::DontUseNativeDialog, !nativeFileDialogs);
    if (!lastFolder.empty() && QFileInfo(QString::fromStdString(lastFolder)).isDir()) {
        dialog.setDirectory(QString::fromStdString(lastFolder));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return "";
    }
    const QString chosen = dialog.selectedFiles().first();
    const std::string folder = QFileInfo(chosen).absolutePath().toStdString();
    if (folder != lastFolder) {
        lastFolder = folder;
        if (!settingsPath.empty()) {
            platform::WritePrivateProfileString(kSettingsSection, kLastFolderKey, lastFolder, settingsPath);
        }
    }
    return chosen.toStdString();
}

std::string QtOperator::AskFileToOpen(const std::string& filter, const std::string& defaultExtension) {
    return AskFile(false, filter, defaultExtension);
}

std::string QtOperator::AskFileToSave(const std::string& filter, const std::string& defaultExtension) {
    return AskFile(true, filter, defaultExtension);
}

int QtOperator::AskResetPolarity() {
    return ResetPromptDialog().Ask();
}

int QtOperator::AskBusyPin() {
    return BusyPromptDialog().Ask();
}

int QtOperator::AskOutputMode() {
    return OutputPromptDialog().Ask();
}

void QtOperator::SetWaitCursor(bool on) {
    if (on == waitCursorShown) {
        return;
    }
    if (on) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
    waitCursorShown = on;
}

void InstallDriverWarningBox() {
    SetWarningHook([](const std::string& text, const std::string& caption) {
        QMessageBox::warning(nullptr, QString::fromStdString(caption), QString::fromStdString(text));
    });
}
