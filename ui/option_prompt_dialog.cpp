#include "ui/option_prompt_dialog.h"

#include <QPushButton>

OptionPromptDialog::OptionPromptDialog(QWidget* parent) : QDialog(parent) {}

int OptionPromptDialog::Ask() {
    return exec();
}

void OptionPromptDialog::ConnectAnswers(QPushButton* first, QPushButton* second, QPushButton* abort) {
    // Escape and the close box reject the dialog, which answers 0 like Abort.
    connect(first, &QPushButton::clicked, this, [this] { done(1); });
    connect(second, &QPushButton::clicked, this, [this] { done(-1); });
    connect(abort, &QPushButton::clicked, this, [this] { done(0); });
}
