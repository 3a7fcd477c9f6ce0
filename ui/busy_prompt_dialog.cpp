#include "ui/busy_prompt_dialog.h"

#include "ui/caption_width.h"
#include "ui_busy_prompt_dialog.h"

BusyPromptDialog::BusyPromptDialog(QWidget* parent)
    : OptionPromptDialog(parent), ui(std::make_unique<Ui::BusyPromptDialog>()) {
    ui->setupUi(this);
    FitWidthToCaption(*this);
    ConnectAnswers(ui->control1, ui->control3, ui->control2);
}

BusyPromptDialog::~BusyPromptDialog() = default;
