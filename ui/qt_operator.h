#pragma once
#include <string>

#include "buffer/operator_services.h"

// The operator services as Qt dialogs: message boxes owned by the active window, Qt's file
// dialogs and the three option prompts.
class QtOperator final : public OperatorServices {
public:
    // Native file dialogs cannot be driven by a program; tests and headless runs ask for Qt's own.
    // With a `settingsPath` the file pickers start in the folder last used, remembered there.
    explicit QtOperator(bool nativeFileDialogs = true, std::string settingsPath = "");
    ~QtOperator() override;

    MessageAnswer ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                              MessageButtons buttons) override;
    std::string AskFileToOpen(const std::string& filter, const std::string& defaultExtension) override;
    std::string AskFileToSave(const std::string& filter, const std::string& defaultExtension) override;
    int AskResetPolarity() override;
    int AskBusyPin() override;
    int AskOutputMode() override;
    void SetWaitCursor(bool on) override;

private:
    std::string AskFile(bool save, const std::string& filter, const std::string& defaultExtension);

    bool nativeFileDialogs;
    std::string settingsPath;
    std::string lastFolder;
    bool waitCursorShown = false;
};

// Shows the port driver's open failure (reported before any window exists) in a warning box.
void InstallDriverWarningBox();
