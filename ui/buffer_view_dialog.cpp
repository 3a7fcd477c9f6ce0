#include "ui/buffer_view_dialog.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScrollBar>
#include <algorithm>

#include "buffer/buffer_lines.h"
#include "engine/programmer.h"
#include "ui/buffer_lines_model.h"
#include "ui/buffer_section_dialog.h"
#include "ui/wait_cursor_guard.h"
#include "ui/caption_width.h"
#include "ui_buffer_view_dialog.h"

namespace {

int AskSection(QWidget* parent, uint32_t bufferLength) {
    BufferSectionDialog dialog(bufferLength, parent);
    return dialog.exec();
}

// The C key copies, alone or with Ctrl or Shift.
bool IsCopyKey(const QKeyEvent& event) {
    const Qt::KeyboardModifiers others = event.modifiers() & ~(Qt::ControlModifier | Qt::ShiftModifier);
    return event.key() == Qt::Key_C && others == Qt::NoModifier;
}

}  // namespace

BufferViewDialog::BufferViewDialog(const Programmer& programmer, QWidget* parent, SectionChooser chooser)
    : BufferViewDialog(programmer.buffer.get(), programmer.GetBufferLength(), parent, std::move(chooser)) {}

BufferViewDialog::BufferViewDialog(const uint8_t* bytes, uint32_t byteCount, QWidget* parent,
                                   SectionChooser chooser)
    : QDialog(parent), ui(std::make_unique<Ui::BufferViewDialog>()), model(new BufferLinesModel(this)),
      data(bytes), length(bytes ? byteCount : 0),
      chooseSection(chooser ? std::move(chooser) : SectionChooser(AskSection)) {
    ui->setupUi(this);
    FitWidthToCaption(*this);
    // Modal from the moment exec() shows it, before the fill and the section chooser.
    setModal(true);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    ui->control1013->setModel(model);
    ui->control1013->installEventFilter(this);

    // Wide enough for a full line beside the scroll bar, about fifteen lines high.
    const QFontMetrics metrics(font());
    const int listWidth = metrics.horizontalAdvance(QString(kBufferFullLineLength + 2, QLatin1Char('0'))) +
                          ui->control1013->verticalScrollBar()->sizeHint().width() +
                          2 * ui->control1013->frameWidth();
    ui->control1013->setMinimumWidth(listWidth);
    resize(sizeHint().width(), metrics.lineSpacing() * 15);
}

BufferViewDialog::~BufferViewDialog() = default;

int BufferViewDialog::exec() {
    show();
    if (!Fill()) {
        hide();
        return -1;
    }
    return QDialog::exec();
}

bool BufferViewDialog::Fill() {
    ui->control1030->setRange(0, 100);
    ui->control1030->setValue(0);
    ui->listOrLoading->setCurrentWidget(ui->loadingPage);
    model->SetBuffer(nullptr, 0, 0);

    uint32_t start = 0;
    if (length > kBufferScreenBytes) {
        const int screen = chooseSection(this, length);
        if (screen < 0) {
            return false;
        }
        start = static_cast<uint32_t>(screen) * kBufferScreenBytes;
    }

    // The wait cursor comes on after the chooser: it would otherwise hang over a question.
    WaitCursorGuard waitCursor;
    model->SetBuffer(data, length, start);
    for (const FillProgressStep& step : FillProgressSteps(length, start)) {
        model->ShowLines(static_cast<int>(step.line));
        ui->control1030->setValue(static_cast<int>(step.percent));
    }
    model->ShowLines(model->LineCount());
    ui->listOrLoading->setCurrentWidget(ui->control1013);
    return true;
}

void BufferViewDialog::CopySelectedLines() {
    bool copied = true;
    {
        WaitCursorGuard waitCursor;
        // The selection comes back in the order the lines were clicked.
        QModelIndexList rows = ui->control1013->selectionModel()->selectedRows();
        if (rows.isEmpty()) {
            return;
        }
        std::sort(rows.begin(), rows.end(),
                  [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
        QString text;
        text.reserve(rows.size() * (kBufferFullLineLength + 1));
        for (const QModelIndex& row : rows) {
            text += model->LineText(row.row());
            text += QLatin1Char('\n');
        }
        // Qt reports no clipboard failure: a text that does not read back is taken as one.
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->setText(text);
        copied = clipboard->text() == text;
    }
    if (!copied) {
        QMessageBox message(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(),
                            QStringLiteral("Unable to copy selected data to clipboard"), QMessageBox::Ok, this);
        message.exec();
    }
}

bool BufferViewDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->control1013 && event->type() == QEvent::KeyPress &&
        IsCopyKey(*static_cast<QKeyEvent*>(event))) {
        // Taken here: the list's own Ctrl+C would copy only its current line over ours.
        CopySelectedLines();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void BufferViewDialog::keyPressEvent(QKeyEvent* event) {
    // Enter closes the viewer, as Escape does; the viewer has no button to take it.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
