#include "ui/main_dialog.h"

#include "ui_main_dialog.h"

// Read, Program, Compare, Load, Save, View Buffer and the PROM information of a right click:
// each flow lives in a file of its own beside this one and is connected here.
void MainDialog::ConnectCommandButtons() {
    connect(ui->readButton, &QPushButton::clicked, this, &MainDialog::OnReadProm);
    connect(ui->programButton, &QPushButton::clicked, this, &MainDialog::OnProgramProm);
    connect(ui->compareButton, &QPushButton::clicked, this, &MainDialog::OnCompareProm);
    connect(ui->loadButton, &QPushButton::clicked, this, &MainDialog::OnLoadFile);
    connect(ui->saveButton, &QPushButton::clicked, this, &MainDialog::OnSaveFile);
    connect(ui->viewBufferButton, &QPushButton::clicked, this, &MainDialog::OnViewBuffer);
    connect(this, &MainDialog::rightButtonPressed, this, &MainDialog::OnPromInformation);
}
