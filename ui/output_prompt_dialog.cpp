#include "ui/output_prompt_dialog.h"

#include "ui/caption_width.h"
#include "ui_output_prompt_dialog.h"

OutputPromptDialog::OutputPromptDialog(QWidget* parent)
    : OptionPromptDialog(parent), ui(std::make_unique<Ui::OutputPromptDialog>()) {
    ui->setupUi(this);
    FitWidthToCaption(*this);
    ConnectAnswers(ui->control1, ui->control3, ui->control2);
}

OutputPromptDialog::~OutputPromptDialog() = default;
