#include "engine/programmer.h"
#include "ui/buffer_view_dialog.h"
#include "ui/main_dialog.h"
#include "ui/prom_info_dialog.h"

void MainDialog::OnViewBuffer() {
    BufferViewDialog viewer(programmer, this);
    viewer.exec();
}

void MainDialog::OnPromInformation() {
    // Building the dialog runs a fresh blank check on an identified part.
    programmer.stopRequested = false;
    PromInfoDialog information(programmer, this);
    information.exec();
}
