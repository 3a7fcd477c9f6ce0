#pragma once
#include <string>

// Everything the station asks of the operator: message boxes, file pickers, the option-bit
// prompts and the wait cursor. The station shows Qt dialogs; tests answer from a script.
// Kept free of Qt so that command logic below the window can use it too.
enum class MessageIcon { None, Stop, Exclamation, Information, Warning };
// YesNoDefaultNo: a question whose careless Enter must not do the harmful thing.
enum class MessageButtons { Ok, YesNo, YesNoDefaultNo };
enum class MessageAnswer { Ok, Yes, No };

class OperatorServices {
public:
    virtual ~OperatorServices() = default;

    virtual MessageAnswer ShowMessage(const std::string& text, const std::string& caption,
                                      MessageIcon icon, MessageButtons buttons) = 0;

    // The file pickers take a filter in the "Description|*.ext|...||" form and the default
    // extension ("*.mcs"). They return the chosen file's full path, or "" when cancelled.
    virtual std::string AskFileToOpen(const std::string& filter, const std::string& defaultExtension) = 0;
    virtual std::string AskFileToSave(const std::string& filter, const std::string& defaultExtension) = 0;

    // The option prompts answer 1 for the first button, -1 for the second, 0 for Abort.
    virtual int AskResetPolarity() = 0;
    virtual int AskBusyPin() = 0;
    virtual int AskOutputMode() = 0;

    virtual void SetWaitCursor(bool on) = 0;
};
