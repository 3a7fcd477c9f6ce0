#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "buffer/load_save_commands.h"
#include "ui/main_dialog.h"

#include "engine/programmer.h"
#include "ui_main_dialog.h"

void MainDialog::OnLoadFile() {
    BufferFileCommands(programmer, recordFile, defaultFilePattern, operatorServices, *this).Load();
    NoteBufferFileCommand();
}

void MainDialog::LoadDroppedFile(const std::string& path) {
    BufferFileCommands(programmer, recordFile, defaultFilePattern, operatorServices, *this).LoadFrom(path);
    NoteBufferFileCommand();
}

void MainDialog::OnSaveFile() {
    BufferFileCommands(programmer, recordFile, defaultFilePattern, operatorServices, *this).Save();
    NoteBufferFileCommand();
}

void MainDialog::NoteBufferFileCommand() {
    if (programmer.bufferStateText.rfind("Buffer State: File - ", 0) == 0) {
        readNotSaved = false;
    }
}

QString MainDialog::DroppableFile(const QMimeData* data) const {
    if (!ui->loadButton->isEnabled() || !data || data->urls().size() != 1 || !data->urls().front().isLocalFile()) {
        return {};
    }
    return data->urls().front().toLocalFile();
}

// A refused drag shows the operator a cursor that says so.
void MainDialog::dragEnterEvent(QDragEnterEvent* event) {
    if (DroppableFile(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void MainDialog::dropEvent(QDropEvent* event) {
    const QString path = DroppableFile(event->mimeData());
    if (path.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // The load may ask the operator, and the program the file came from waits until the drop
    // has ended: load afterwards, and only if no command has disabled Load meanwhile.
    QMetaObject::invokeMethod(
        this,
        [this, file = path.toStdString()] {
            if (ui->loadButton->isEnabled()) {
                LoadDroppedFile(file);
            }
        },
        Qt::QueuedConnection);
}
