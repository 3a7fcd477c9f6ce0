#include "ui/buffer_section_dialog.h"

#include <QPushButton>

#include "buffer/buffer_lines.h"
#include "ui/caption_width.h"
#include "ui_buffer_section_dialog.h"

BufferSectionDialog::BufferSectionDialog(uint32_t bufferLength, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::BufferSectionDialog>()) {
    ui->setupUi(this);
    FitWidthToCaption(*this);

    // Every entry has the same width, so the list order is the numeric order and entry k
    // stands for the screen beginning at k x one screen.
    const uint32_t screens = BufferScreenCount(bufferLength);
    for (uint32_t screen = 0; screen < screens; ++screen) {
        ui->control1012->addItem(QString::asprintf("%06X ", screen * kBufferScreenBytes));
    }
    ui->control1012->setCurrentIndex(-1);
    ui->control1026->setText(QString::asprintf("%06X ", bufferLength));
    ui->control1025->setText(QString::asprintf("%02X ", screens));

    connect(ui->control1, &QPushButton::clicked, this, [this] { done(ui->control1012->currentIndex()); });
    connect(ui->control2, &QPushButton::clicked, this, &BufferSectionDialog::reject);
}

BufferSectionDialog::~BufferSectionDialog() = default;

void BufferSectionDialog::reject() {
    done(-1);
}
