#include "ui/prom_info_dialog.h"

#include "engine/programmer.h"
#include "ui/wait_cursor_guard.h"
#include "ui/caption_width.h"
#include "ui_prom_info_dialog.h"

PromInfoDialog::PromInfoDialog(Programmer& programmer, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::PromInfoDialog>()) {
    ui->setupUi(this);
    FitWidthToCaption(*this);
    if (programmer.currentDevice) {
        Fill(programmer);
    }
}

PromInfoDialog::~PromInfoDialog() = default;

void PromInfoDialog::Fill(Programmer& programmer) {
    WaitCursorGuard waitCursor;
    ui->control1009->setText(QString::asprintf("Word size: %u bits", unsigned{displayedDevice.wordSize}));
    ui->control1010->setText(programmer.resetPolarity == 1 ? QStringLiteral("Reset active: High")
                                                           : QStringLiteral("Reset active: Low"));
    ui->control1007->setText(QStringLiteral("PROM name: ") + QString::fromStdString(displayedDevice.name));
    ui->control1008->setText(
        QString::asprintf("PROM size: %lu x 1 bit", static_cast<unsigned long>(displayedDevice.sizeBits)));
    // A part whose reset polarity was programmed is no longer blank, whatever its data.
    const bool blank = programmer.BlankCheck() == 1 && programmer.resetPolarity == 1;
    if (programmer.MustEnd() || !programmer.failureText.empty()) {
        // Stopped, or the part or the port stopped answering.
        ui->control1011->setText(QStringLiteral("PROM blank: Not checked"));
    } else {
        ui->control1011->setText(blank ? QStringLiteral("PROM blank: Yes") : QStringLiteral("PROM blank: No"));
    }
    ui->control1012->setText(QStringLiteral("Manufacturer Code: FF FF FF C9"));
    ui->control1013->setText(
        QString::asprintf("Device ID or Product Code: FF FF FF %02X", unsigned{programmer.currentDevice->idCode}));
}
