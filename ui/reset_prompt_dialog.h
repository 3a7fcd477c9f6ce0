#pragma once
#include <memory>

#include "ui/option_prompt_dialog.h"

namespace Ui {
class ResetPromptDialog;
}

// Asks how the reset polarity bit is to be programmed.
class ResetPromptDialog : public OptionPromptDialog {
    Q_OBJECT

public:
    explicit ResetPromptDialog(QWidget* parent = nullptr);
    ~ResetPromptDialog() override;

private:
    std::unique_ptr<Ui::ResetPromptDialog> ui;
};
