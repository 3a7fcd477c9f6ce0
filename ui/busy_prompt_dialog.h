#pragma once
#include <memory>

#include "ui/option_prompt_dialog.h"

namespace Ui {
class BusyPromptDialog;
}

// Asks how the busy pin bit is to be programmed.
class BusyPromptDialog : public OptionPromptDialog {
    Q_OBJECT

public:
    explicit BusyPromptDialog(QWidget* parent = nullptr);
    ~BusyPromptDialog() override;

private:
    std::unique_ptr<Ui::BusyPromptDialog> ui;
};
