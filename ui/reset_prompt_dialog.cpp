#include "ui/reset_prompt_dialog.h"

#include "ui/caption_width.h"
#include "ui_reset_prompt_dialog.h"

ResetPromptDialog::ResetPromptDialog(QWidget* parent)
    : OptionPromptDialog(parent), ui(std::make_unique<Ui::ResetPromptDialog>()) {
    ui->setupUi(this);
    FitWidthToCaption(*this);
    // This prompt has no close box: only its buttons and Escape answer it.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    ConnectAnswers(ui->control1, ui->control3, ui->control2);
}

ResetPromptDialog::~ResetPromptDialog() = default;
