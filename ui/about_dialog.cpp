#include "ui/about_dialog.h"

#include "ui/station_icon.h"
#include "ui_about_dialog.h"

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::AboutDialog>()) {
    ui->setupUi(this);
    ui->aboutIcon->setPixmap(StationIcon().pixmap(48, 48));
    ui->control1027->setText("TOBRANE Version 4.1");
    ui->control1028->setText("8/21/04");
    QFont productFont = ui->aboutProduct->font();
    productFont.setBold(true);
    ui->aboutProduct->setFont(productFont);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

AboutDialog::~AboutDialog() = default;
