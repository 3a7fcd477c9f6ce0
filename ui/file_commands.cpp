#include "buffer/load_save_commands.h"
#include "ui/main_dialog.h"

#include "engine/programmer.h"

void MainDialog::OnLoadFile() {
    BufferFileCommands(programmer, recordFile, defaultFilePattern, operatorServices, *this).Load();
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
