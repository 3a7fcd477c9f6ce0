#include "ui/main_dialog.h"

#include "ui_main_dialog.h"

// Read, Program, Compare, Load, Save, View Buffer and the PROM information of a right click:
// each flow lives in a file of its own beside this one and is connected here.
void MainDialog::ConnectCommandButtons() {
    connect(ui->control1003, &QPushButton::clicked, this, &MainDialog::OnReadProm);
    connect(ui->control1004, &QPushButton::clicked, this, &MainDialog::OnProgramProm);
    connect(ui->control1005, &QPushButton::clicked, this, &MainDialog::OnCompareProm);
    connect(ui->control1001, &QPushButton::clicked, this, &MainDialog::OnLoadFile);
    connect(ui->control1006, &QPushButton::clicked, this, &MainDialog::OnSaveFile);
    connect(ui->control1014, &QPushButton::clicked, this, &MainDialog::OnViewBuffer);
    connect(this, &MainDialog::rightButtonPressed, this, &MainDialog::OnPromInformation);
}
