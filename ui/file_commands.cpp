#include "buffer/load_save_commands.h"
#include "ui/main_dialog.h"

void MainDialog::OnLoadFile() {
    BufferFileCommands(programmer, recordFile, defaultFilePattern, operatorServices, *this).Load();
}

void MainDialog::OnSaveFile() {
    BufferFileCommands(programmer, recordFile, defaultFilePattern, operatorServices, *this).Save();
}
