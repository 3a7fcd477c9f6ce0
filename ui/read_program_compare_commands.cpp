#include "engine/programmer.h"
#include "platform/clock.h"
#include "ui/main_dialog.h"
#include "buffer/operator_services.h"
#include "ui/program_options.h"
#include "ui_main_dialog.h"

// The commands keep the six command buttons disabled until they end, message boxes included.
// The wait cursor shows while the part is worked on, not over a message box.

namespace {

// The engine's failure detail, when there is one, goes after the command's own text.
std::string WithFailureText(const std::string& text, const Programmer& programmer) {
    return programmer.failureText.empty() ? text : text + ": " + programmer.failureText;
}

}  // namespace

void MainDialog::OnReadProm() {
    operatorServices.SetWaitCursor(true);
    SetCommandButtonsEnabled(false);
    ui->resetHighButton->setEnabled(false);
    ui->resetLowButton->setEnabled(false);
    if (!ProgrammerAnswers()) {
        ReEnableCommands();
        return;
    }
    operatorServices.SetWaitCursor(true);
    // How the read went shows in the buffer-state line; it asks for no message.
    const uint64_t startedAt = platform::ProcessClock().NowMicroseconds();
    programmer.ReadPart();
    readNotSaved = true;
    EnableViewBuffer();
    ShowBufferState(programmer.bufferStateText);
    programmer.UpdateChecksum();
    ShowChecksum(programmer.checksum);
    ReEnableCommands();
    operatorServices.SetWaitCursor(false);
    AskForAttentionAfter(startedAt);
    // A stop the operator asked for shows in the buffer-state line alone.
    if (!programmer.failureText.empty() && !programmer.stopRequested) {
        operatorServices.ShowMessage(programmer.failureText, "Part Read", MessageIcon::Stop, MessageButtons::Ok);
    }
}

void MainDialog::OnProgramProm() {
    TakeOptionChoices();
    if (!programmer.currentDevice) {
        operatorServices.ShowMessage("Device not present. Programmer will attempt to identify device",
                                     "Progam Device Error", MessageIcon::Stop, MessageButtons::Ok);
        return;
    }
    SetCommandButtonsEnabled(false);
    ui->busyPinLine->setText(" ");
    ui->expressOutputLine->setText(" ");
    SetOptionButtonsEnabled(false);

    if (!ProgrammerAnswers() || !ConfirmDeviceToProgram()) {
        ReEnableCommands();
        return;
    }
    // The part about to be programmed decides which option bits are asked for: after an
    // accepted change of type the panel still shows the part that was taken out.
    const ProgramOptions options = GatherProgramOptions({resetChoice, busyChoice, outputChoice},
                                                        IsVFamilyName(programmer.currentDevice->name), operatorServices);
    bool failed = false;
    if (options.aborted) {
        operatorServices.ShowMessage("Programming Aborted", "Program Options Not Entered", MessageIcon::Exclamation,
                                     MessageButtons::Ok);
    } else {
        failed = !ProgramAndReport(options.word);
    }

    operatorServices.SetWaitCursor(true);
    // Only after a failure is the part worth a blank check.
    UpdatePromPanel(failed);
    ReEnableCommands();
    operatorServices.SetWaitCursor(false);
}

bool MainDialog::ConfirmDeviceToProgram() {
    const PromDevice* saved = programmer.currentDevice;
    if (!programmer.Identify(false)) {
        programmer.currentDevice = saved;
        if (programmer.MustEnd()) {
            operatorServices.ShowMessage(programmer.EndedText(), "Program Device Error", MessageIcon::None,
                                         MessageButtons::Ok);
        } else {
            operatorServices.ShowMessage("No Device found in programmer. Programming aborted", "Program Device Error",
                                         MessageIcon::None, MessageButtons::Ok);
        }
        return false;
    }
    const PromDevice& found = *programmer.currentDevice;
    if (found.name == saved->name) {
        return true;
    }
    const auto ask = [this](const std::string& question, const std::string& caption) {
        return operatorServices.ShowMessage(question, caption, MessageIcon::Exclamation, MessageButtons::YesNo) ==
               MessageAnswer::Yes;
    };
    bool goOn = ask("Device has changed from: " + saved->name + " to " + found.name +
                        ". Do you want to continue programming?",
                    "Device Type Change Warning");
    if (goOn && found.sizeBits / 8 < programmer.GetBufferLength()) {
        goOn = ask(std::string("New device is smaller than program buffer. ") +
                       "You may use the Xilinx Prom File Formatter program to split the program into smaller files. " +
                       "Do you want to continue programming anyway?",
                   "Device Size Different Than Program Buffer");
    }
    if (!goOn) {
        programmer.currentDevice = saved;
    }
    return goOn;
}

bool MainDialog::ProgramAndReport(uint32_t options) {
    operatorServices.SetWaitCursor(true);
    // One read of the part first: a part that holds a 0 where the buffer has a 1 is refused
    // before any pulse. Nothing was changed, so the panel needs no blank check afterwards.
    const uint64_t startedAt = platform::ProcessClock().NowMicroseconds();
    ProgramConflicts conflicts;
    if (!programmer.CheckPartTakesBuffer(conflicts)) {
        operatorServices.SetWaitCursor(false);
        AskForAttentionAfter(startedAt);
        operatorServices.ShowMessage(programmer.failureText, "Program Device Error", MessageIcon::Exclamation,
                                     MessageButtons::Ok);
        return true;
    }
    uint16_t progress = 0;
    const int32_t result = programmer.ProgramDevice(&progress, options, 0, 0);
    operatorServices.SetWaitCursor(false);
    AskForAttentionAfter(startedAt);
    if (progress >= 100 && result == 0) {
        operatorServices.ShowMessage("PROM programmed and verified successfully", "Programming Complete",
                                     MessageIcon::None, MessageButtons::Ok);
        return true;
    }
    operatorServices.ShowMessage(WithFailureText("Device did not program correctly", programmer),
                                 "Device Programming Error", MessageIcon::Exclamation, MessageButtons::Ok);
    return false;
}

void MainDialog::OnCompareProm() {
    operatorServices.SetWaitCursor(true);
    SetCommandButtonsEnabled(false);
    EnableOptionButtonsForDisplayedDevice();
    if (!ProgrammerAnswers()) {
        ReEnableCommands();
        return;
    }
    operatorServices.SetWaitCursor(true);
    uint16_t progress = 0;
    const uint64_t startedAt = platform::ProcessClock().NowMicroseconds();
    const int32_t result = programmer.VerifyDevice(&progress, programmer.buffer.get());
    operatorServices.SetWaitCursor(false);
    AskForAttentionAfter(startedAt);
    if (progress == 100 && result == 0) {
        operatorServices.ShowMessage("Device and Buffer compared succesfully", "Compare", MessageIcon::None,
                                     MessageButtons::Ok);
    } else {
        operatorServices.ShowMessage(WithFailureText("Device and Buffer compare FAILED!!", programmer), "Compare",
                                     MessageIcon::Exclamation, MessageButtons::Ok);
    }
    ReEnableCommands();
}
