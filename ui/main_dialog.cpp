#include "ui/main_dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QWindow>
#include <algorithm>

#include "engine/programmer.h"
#include "platform/clock.h"
#include "ui/about_dialog.h"
#include "buffer/operator_services.h"
#include "ui/station_icon.h"
#include "ui_main_dialog.h"

namespace {

const char* const kWindowTitle = "Xilinx Serial PROM Programmer - Version 4.1 - 8/21/04";
const char* const kMakerWebAddress = "http://www.kvaldev.com/downloads";

constexpr uint32_t kDirectModeVersion = 125;
constexpr uint32_t kExpectedDriverVersion = 8;
constexpr uint32_t kDriverNotOpen = 126;
constexpr uint32_t kDriverSilent = 127;

const char* const kUnsavedReadCaption = "Unsaved PROM Read";

// An operation this long is one the operator may have left to work elsewhere meanwhile.
constexpr uint64_t kLongOperationMicroseconds = 5'000'000;

}  // namespace

// While an operation holds the window, the window takes no clicks or keys: the operation could
// not survive a second command starting inside it. Escape and the Quit button ask whether to
// stop it instead. Other windows (the simulated programmer's) stay usable.
class OperationInputFilter final : public QObject {
public:
    explicit OperationInputFilter(MainDialog& dialog) : dialog(dialog) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!IsInput(event->type()) || !InDialog(watched)) {
            return false;
        }
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            dialog.stopAsked = true;
        }
        if (event->type() == QEvent::MouseButtonRelease && watched == dialog.ui->quitButton) {
            dialog.stopAsked = true;
        }
        return true;
    }

private:
    static bool IsInput(QEvent::Type type) {
        switch (type) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
            return true;
        default:
            return false;
        }
    }
    bool InDialog(QObject* watched) const {
        if (watched == dialog.windowHandle()) {
            return true;
        }
        auto* widget = qobject_cast<QWidget*>(watched);
        return widget && (widget == &dialog || dialog.isAncestorOf(widget));
    }

    MainDialog& dialog;
};

bool IsVFamilyName(const std::string& name) {
    return name == "XC17V08" || name == "XC17V16";
}

MainDialog::MainDialog(Programmer& programmer, RecordFile& recordFile, std::string& defaultFilePattern,
                       OperatorServices& operatorServices, QWidget* parent)
    : QDialog(parent), programmer(programmer), recordFile(recordFile),
      defaultFilePattern(defaultFilePattern), operatorServices(operatorServices),
      ui(std::make_unique<Ui::MainDialog>()) {
    ReportDriverVersion();

    ui->setupUi(this);
    // A window of its own in the task bar, with a minimize box but no maximize box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    // The status line keeps its place while hidden, so showing it never moves the panel.
    for (QWidget* statusPart : {static_cast<QWidget*>(ui->statusLabel), static_cast<QWidget*>(ui->statusText),
                                static_cast<QWidget*>(ui->statusProgress)}) {
        QSizePolicy policy = statusPart->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        statusPart->setSizePolicy(policy);
    }
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    QFont nameFont = ui->promNameLine->font();
    nameFont.setBold(true);
    ui->promNameLine->setFont(nameFont);

    SetUpWindowMenu();
    setWindowIcon(StationIcon());
    SelectPortEntry();
    setWindowTitle(kWindowTitle);
    setAcceptDrops(true);
    askForAttention = [this] { QApplication::alert(this); };

    connect(ui->identifyButton, &QPushButton::clicked, this, &MainDialog::OnIdentifyProm);
    connect(ui->portSelector, &QComboBox::activated, this, &MainDialog::OnPortSelect);
    connect(ui->quitButton, &QPushButton::clicked, this, &MainDialog::accept);
    ConnectCommandButtons();

    SetStatusLineWindow(this);
    setFocus();
}

MainDialog::~MainDialog() {
    SetStatusLineWindow(nullptr);
}

void MainDialog::ReportDriverVersion() {
    const uint32_t version = programmer.GetDriverVersion();
    if (version == kDirectModeVersion || version == kExpectedDriverVersion) {
        return;
    }
    std::string firstLine = "Incompatible NT or Win2K Driver Version";
    if (version == kDriverNotOpen) {
        firstLine = "NT or Win2K Driver is VERY OLD or not working";
    } else if (version == kDriverSilent) {
        firstLine = "NT or Win2K Driver is NOT returning version";
    }
    operatorServices.ShowMessage(firstLine +
                                     "\nPlease download latest version of\nDriver and TOBRANE.exe from\n"
                                     "       " +
                                     kMakerWebAddress,
                                 kWindowTitle, MessageIcon::Information, MessageButtons::Ok);
}

// Qt offers no system menu of its own on every desktop: the window icon at the foot of the
// window opens a small window menu instead, which holds the About entry.
void MainDialog::SetUpWindowMenu() {
    auto* windowMenu = new QMenu(this);
    windowMenu->setObjectName("windowMenu");
    windowMenu->addSeparator();
    QAction* about = windowMenu->addAction(StationIcon(), "&About TOBRANE...");
    about->setObjectName("aboutAction");
    connect(about, &QAction::triggered, this, &MainDialog::OnAbout);
    ui->systemMenuButton->setMenu(windowMenu);
    ui->systemMenuButton->setIcon(StationIcon());
}

void MainDialog::AddWindowMenuEntry(const std::string& text, std::function<void()> action) {
    QMenu* windowMenu = ui->systemMenuButton->menu();
    auto* entry = new QAction(QString::fromStdString(text), windowMenu);
    connect(entry, &QAction::triggered, this, std::move(action));
    windowMenu->insertAction(windowMenu->actions().value(0), entry);
}

void MainDialog::SelectPortEntry() {
    // Any other base shows the first entry but stays as it is.
    const auto entry = std::find(selectorPorts.begin(), selectorPorts.end(), programmer.portBase);
    ui->portSelector->setCurrentIndex(entry == selectorPorts.end() ? 0 : static_cast<int>(entry - selectorPorts.begin()));
}

void MainDialog::AddPortEntries(const std::vector<uint16_t>& bases) {
    for (uint16_t base : bases) {
        if (std::find(selectorPorts.begin(), selectorPorts.end(), base) != selectorPorts.end()) {
            continue;
        }
        selectorPorts.push_back(base);
        ui->portSelector->addItem(QString::asprintf("LPT%zu (0x%X)", selectorPorts.size(), unsigned{base}));
    }
    SelectPortEntry();
}

void MainDialog::OnAbout() {
    AboutDialog about(this);
    about.exec();
}

void MainDialog::OnPortSelect(int index) {
    if (index < 0 || index >= static_cast<int>(selectorPorts.size())) {
        return;
    }
    programmer.portBase = selectorPorts[index];
    if (!programmer.IsDirectMode()) {
        // A re-open tells the driver the new base.
        programmer.CloseDriver();
        programmer.OpenDriver();
    }
}

bool MainDialog::ProgrammerAnswers() {
    programmer.stopRequested = false;
    ShowStatusLine();
    SetStatusText("Programmer check...");
    operatorServices.SetWaitCursor(true);
    const int32_t check = programmer.CheckProgrammer();
    operatorServices.SetWaitCursor(false);
    HideStatusLine();

    if (programmer.link.AccessLost()) {
        operatorServices.ShowMessage(programmer.link.LostAccessText(), "Programmer Check", MessageIcon::Stop,
                                     MessageButtons::Ok);
        return false;
    }
    if (check & 1) {
        operatorServices.ShowMessage("Programmer not present. If programmer is connected, check battery and cable (if used)",
                                     "Programmer Check", MessageIcon::None, MessageButtons::Ok);
        return false;
    }
    if (check & 2) {
        operatorServices.ShowMessage("Programmer micro controller error, pulse not found.", "Programmer Check",
                                     MessageIcon::None, MessageButtons::Ok);
        return false;
    }
    return true;
}

bool MainDialog::MayDropUnsavedRead(const std::string& question) {
    return !readNotSaved ||
           operatorServices.ShowMessage("The buffer holds a PROM read that was not saved. " + question,
                                        kUnsavedReadCaption, MessageIcon::Exclamation,
                                        MessageButtons::YesNoDefaultNo) == MessageAnswer::Yes;
}

void MainDialog::OnIdentifyProm() {
    // Identification gives the buffer the size of the part found, which clears it.
    if (!MayDropUnsavedRead("Identify anyway?")) {
        return;
    }
    if (ProgrammerAnswers()) {
        operatorServices.SetWaitCursor(true);
        SetCommandButtonsEnabled(false);
        SetOptionButtonsEnabled(false);
        ui->busyPinLine->setText(" ");
        ui->expressOutputLine->setText(" ");
        for (QLabel* line : {ui->wordSizeLine, ui->resetActiveLine, ui->promNameLine, ui->promSizeLine, ui->promBlankLine}) {
            line->setText("Querying...");
        }
        if (programmer.Identify(true)) {
            readNotSaved = false;
        }
        UpdatePromPanel(true);
        ReportLostPort("Part Identify");
        operatorServices.SetWaitCursor(false);
    }
    ui->identifyButton->setEnabled(true);
    setFocus();
}

void MainDialog::UpdatePromPanel(bool withBlankCheck) {
    programmer.DescribeCurrentDevice(displayedDevice);
    const bool vFamily = IsVFamilyName(displayedDevice.name);

    ui->wordSizeLine->setText(QString::asprintf("Word size: %u bits", unsigned{displayedDevice.wordSize}));
    ui->resetActiveLine->setText(programmer.resetPolarity == 1 ? "Reset Active: High" : "Reset Active: Low");
    if (vFamily) {
        ui->busyPinLine->setText(programmer.busyPin == 1 ? "Busy Pin: Floating" : "Busy Pin: Pulled Down");
        ui->expressOutputLine->setText(programmer.expressOutput == 1 ? "Express Output: Serial" : "Express Output: Parallel");
    }
    ui->promNameLine->setText(QString("PROM name: ") + QString::fromStdString(displayedDevice.name));
    ui->promSizeLine->setText(QString::asprintf("PROM size: %lu x 1 bit", static_cast<unsigned long>(displayedDevice.sizeBits)));

    // With no device the blank check has nothing to look at: it must not call a missing part blank.
    const bool deviceKnown = displayedDevice.sizeBits != 0;
    bool blank = false;
    if (withBlankCheck) {
        const uint64_t startedAt = platform::ProcessClock().NowMicroseconds();
        blank = programmer.BlankCheck() == 1 && programmer.resetPolarity == 1;
        AskForAttentionAfter(startedAt);
    }
    if (withBlankCheck && (programmer.MustEnd() || !programmer.failureText.empty())) {
        // Stopped, or the part or the port stopped answering.
        ui->promBlankLine->setText("PROM blank: Not checked");
    } else {
        ui->promBlankLine->setText(blank && deviceKnown ? "PROM blank: Yes" : "PROM blank: No");
    }

    if (deviceKnown) {
        SetCommandButtonsEnabled(true);
        EnableOptionButtonsForDisplayedDevice();
    }

    ShowBufferState(programmer.bufferStateText);
    programmer.UpdateChecksum();
    ShowChecksum(programmer.checksum);
}

void MainDialog::AskForAttentionAfter(uint64_t startedAt) {
    const uint64_t took = platform::ProcessClock().NowMicroseconds() - startedAt;
    if (took > kLongOperationMicroseconds && !isActiveWindow()) {
        askForAttention();
    }
}

void MainDialog::ReportLostPort(const char* caption) {
    if (programmer.link.AccessLost()) {
        operatorServices.SetWaitCursor(false);
        operatorServices.ShowMessage(programmer.link.LostAccessText(), caption, MessageIcon::Stop, MessageButtons::Ok);
    }
}

void MainDialog::ShowBufferState(const std::string& text) {
    ui->bufferStateLine->SetWholeText(QString::fromStdString(text));
}

void MainDialog::ShowChecksum(uint16_t checksum) {
    ui->checksumLine->setText(QString::asprintf("Checksum: 0x%04X", unsigned{checksum}));
}

void MainDialog::EnableViewBuffer() {
    ui->viewBufferButton->setEnabled(true);
}

void MainDialog::SetCommandButtonsEnabled(bool enabled) {
    for (QPushButton* button : {ui->programButton, ui->saveButton, ui->readButton, ui->loadButton,
                                ui->compareButton, ui->identifyButton}) {
        button->setEnabled(enabled);
    }
}

void MainDialog::EnableOptionButtonsForDisplayedDevice() {
    ui->resetHighButton->setEnabled(true);
    ui->resetLowButton->setEnabled(true);
    if (IsVFamilyName(displayedDevice.name)) {
        for (QPushButton* button : {ui->serialOutputButton, ui->parallelOutputButton, ui->busyFloatingButton, ui->busyPulledDownButton}) {
            button->setEnabled(true);
        }
    }
}

void MainDialog::ReEnableCommands() {
    SetCommandButtonsEnabled(true);
    EnableOptionButtonsForDisplayedDevice();
}

void MainDialog::SetOptionButtonsEnabled(bool enabled) {
    for (QPushButton* button : {ui->resetHighButton, ui->resetLowButton, ui->serialOutputButton, ui->parallelOutputButton,
                                ui->busyFloatingButton, ui->busyPulledDownButton}) {
        button->setEnabled(enabled);
    }
}

int MainDialog::PressedIndex(const QButtonGroup* pair, const QAbstractButton* first) {
    const QAbstractButton* pressed = pair->checkedButton();
    if (!pressed) {
        return -1;
    }
    return pressed == first ? 0 : 1;
}

void MainDialog::TakeOptionChoices() {
    resetChoice = PressedIndex(ui->resetChoiceGroup, ui->resetHighButton);
    outputChoice = PressedIndex(ui->outputChoiceGroup, ui->serialOutputButton);
    busyChoice = PressedIndex(ui->busyChoiceGroup, ui->busyFloatingButton);
}

void MainDialog::accept() {
    if (operationRunning) {
        stopAsked = true;
        return;
    }
    if (!MayDropUnsavedRead("Quit anyway?")) {
        return;
    }
    TakeOptionChoices();
    QDialog::accept();
}

void MainDialog::reject() {
    if (operationRunning) {
        stopAsked = true;
        return;
    }
    if (MayDropUnsavedRead("Quit anyway?")) {
        QDialog::reject();
    }
}

// An enabled button or the port selector takes a click for itself, even one it passes on to
// the window; texts, frames and disabled buttons (which take no clicks) let it through.
bool MainDialog::TakenByControl(const QPoint& at) const {
    for (const QWidget* widget = childAt(at); widget && widget != this; widget = widget->parentWidget()) {
        if ((qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QComboBox*>(widget)) &&
            widget->isEnabled()) {
            return true;
        }
    }
    return false;
}

void MainDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton && !TakenByControl(event->position().toPoint())) {
        emit rightButtonPressed();
        return;
    }
    QDialog::mousePressEvent(event);
}

void MainDialog::closeEvent(QCloseEvent* event) {
    // The close box must not end the window under a running operation: it asks to stop it.
    if (operationRunning) {
        stopAsked = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);   // goes through reject()
}

void MainDialog::AskToStopOperation() {
    stopAsked = false;
    if (programmer.stopRequested) {
        return;
    }
    const bool stop = operatorServices.ShowMessage("Stop the operation in progress?", windowTitle().toStdString(),
                                                   MessageIcon::Exclamation,
                                                   MessageButtons::YesNoDefaultNo) == MessageAnswer::Yes;
    if (stop) {
        programmer.stopRequested = true;
    }
}

void MainDialog::SetStatusLineVisible(bool visible) {
    ui->statusLabel->setVisible(visible);
    ui->statusText->setVisible(visible);
    ui->statusProgress->setVisible(visible && ui->statusProgress->value() >= 0);
}

void MainDialog::SetStatusLineText(const std::string& text) {
    ui->statusText->setText(QString::fromStdString(text));
}

void MainDialog::SetStatusLineProgress(int percent) {
    if (percent < 0) {
        ui->statusProgress->reset();   // no progress: the bar stays out of sight
        ui->statusProgress->setVisible(false);
        return;
    }
    ui->statusProgress->setValue(std::min(percent, 100));
}

void MainDialog::RepaintStatusLine() {
    ui->statusRow->repaint();
    // The operation holds the thread: paint what else changed and let the desktop see the
    // window alive. The window takes no clicks or keys until it ends, but the close box,
    // Escape and Quit ask whether to stop it.
    operationRunning = true;
    {
        OperationInputFilter filter(*this);
        QCoreApplication::instance()->installEventFilter(&filter);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::instance()->removeEventFilter(&filter);
    }
    if (stopAsked) {
        AskToStopOperation();
    }
    operationRunning = false;
}
