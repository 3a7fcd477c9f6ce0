#pragma once
#include <memory>

#include "ui/option_prompt_dialog.h"

namespace Ui {
class OutputPromptDialog;
}

// Asks how the express output bit is to be programmed.
class OutputPromptDialog : public OptionPromptDialog {
    Q_OBJECT

public:
    explicit OutputPromptDialog(QWidget* parent = nullptr);
    ~OutputPromptDialog() override;

private:
    std::unique_ptr<Ui::OutputPromptDialog> ui;
};
