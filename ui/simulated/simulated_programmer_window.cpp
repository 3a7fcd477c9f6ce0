#include "ui/simulated/simulated_programmer_window.h"

#include <QApplication>
#include <QButtonGroup>
#include <QScreen>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>
#include <fstream>

#include "buffer/record_transfer.h"
#include "sim/simulated_programmer.h"
#include "ui/station_icon.h"
#include "ui_simulated_programmer_window.h"

namespace {

constexpr int kSocketRefreshMilliseconds = 1000;
// The ports of the port selector, in its order.
constexpr uint16_t kPorts[] = {0x378, 0x278, 0x3BC, kSimulatedCardPortBase};
constexpr int kSocketStateLines = 3;
constexpr int kGapBetweenWindows = 12;

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

std::string OptionBitsText(const sim::SimulatedProm& part) {
    std::string programmed;
    auto add = [&programmed](bool isProgrammed, const char* name) {
        if (isProgrammed) {
            programmed += programmed.empty() ? name : std::string(", ") + name;
        }
    };
    add(part.resetProgrammed, "reset active low");
    add(part.expressProgrammed, "parallel express output");
    add(part.busyProgrammed, "busy pin pulled down");
    return programmed.empty() ? "Option bits unprogrammed." : "Option bits programmed: " + programmed + ".";
}

}  // namespace

SimulatedProgrammerWindow::SimulatedProgrammerWindow(sim::SimulatedProgrammer& programmer, std::string settingsPath,
                                                     QWidget* parent)
    : QWidget(parent, Qt::Window), programmer(programmer), settingsPath(std::move(settingsPath)),
      settings(SimulatorSettings::Load(this->settingsPath)), platformVersionForThisRun(settings.PlatformVersion()),
      ui(std::make_unique<Ui::SimulatedProgrammerWindow>()) {
    ui->setupUi(this);
    setWindowIcon(StationIcon());
    catalogue.AppendStandardDevices();
    for (size_t i = 0; i < catalogue.GetCount(); ++i) {
        ui->partTypeBox->addItem(Text(catalogue.GetAt(i).name));
    }

    ui->faultButtons->setId(ui->faultNone, static_cast<int>(sim::ProgrammerFault::None));
    ui->faultButtons->setId(ui->faultAbsent, static_cast<int>(sim::ProgrammerFault::Absent));
    ui->faultButtons->setId(ui->faultFlatBattery, static_cast<int>(sim::ProgrammerFault::FlatBattery));
    ui->faultButtons->setId(ui->faultNoPulse, static_cast<int>(sim::ProgrammerFault::NoPulseAnswer));
    ui->faultButtons->setId(ui->faultEndlessPulse, static_cast<int>(sim::ProgrammerFault::EndlessPulse));

    (settings.directPortAccess ? ui->familyDirect : ui->familyDriver)->setChecked(true);
    ui->familyThisRun->setText(settings.directPortAccess ? "This run: direct port access."
                                                         : "This run: through the port driver.");
    const auto port = std::find(std::begin(kPorts), std::end(kPorts), settings.portBase);
    ui->portBox->setCurrentIndex(static_cast<int>(port - std::begin(kPorts)));
    programmer.PlugInto(settings.portBase);
    // Room for a few lines of state, so that a long one is not cut.
    ui->socketState->setMinimumHeight(ui->socketState->fontMetrics().lineSpacing() * kSocketStateLines +
                                      2 * ui->socketState->margin() + 2 * ui->socketState->frameWidth());

    const bool typeKnown = settings.partTypeIndex >= 0 && settings.partTypeIndex < static_cast<int>(catalogue.GetCount());
    ui->partTypeBox->setCurrentIndex(typeKnown ? settings.partTypeIndex : 0);
    OnPartTypeChosen();
    if (settings.partTypeIndex >= 0) {
        programmer.InsertBlankPart(catalogue.GetAt(static_cast<size_t>(ui->partTypeBox->currentIndex())));
    } else {
        programmer.RemovePart();
    }

    connect(ui->partTypeBox, &QComboBox::currentIndexChanged, this, &SimulatedProgrammerWindow::OnPartTypeChosen);
    connect(ui->contentsGroup, &QButtonGroup::buttonToggled, this, &SimulatedProgrammerWindow::OnPartTypeChosen);
    connect(ui->insertPart, &QPushButton::clicked, this, &SimulatedProgrammerWindow::OnInsertPart);
    connect(ui->emptySocket, &QPushButton::clicked, this, &SimulatedProgrammerWindow::OnEmptySocket);
    connect(ui->saveChip, &QPushButton::clicked, this, &SimulatedProgrammerWindow::OnSaveChipFile);
    connect(ui->browseImage, &QPushButton::clicked, this, &SimulatedProgrammerWindow::OnBrowseImage);
    connect(ui->browseChip, &QPushButton::clicked, this, &SimulatedProgrammerWindow::OnBrowseChip);
    connect(ui->faultButtons, &QButtonGroup::idClicked, this, &SimulatedProgrammerWindow::OnFaultChosen);
    connect(ui->familyButtons, &QButtonGroup::idClicked, this, &SimulatedProgrammerWindow::OnFamilyChosen);
    connect(ui->portBox, &QComboBox::activated, this, &SimulatedProgrammerWindow::OnPortChosen);

    // The station changes the part as it programs it.
    auto* refresh = new QTimer(this);
    connect(refresh, &QTimer::timeout, this, &SimulatedProgrammerWindow::ShowSocketState);
    refresh->start(kSocketRefreshMilliseconds);
    ShowSocketState();
}

SimulatedProgrammerWindow::~SimulatedProgrammerWindow() = default;

uint32_t SimulatedProgrammerWindow::PlatformVersionForThisRun() const {
    return platformVersionForThisRun;
}

void SimulatedProgrammerWindow::OnPartTypeChosen() {
    const bool fromChipFile = ui->contentsChip->isChecked();
    const bool extended = IsExtended(catalogue.GetAt(static_cast<size_t>(ui->partTypeBox->currentIndex())));
    ui->partTypeBox->setEnabled(!fromChipFile);
    ui->resetProgrammed->setEnabled(!fromChipFile);
    ui->expressProgrammed->setEnabled(!fromChipFile && extended);
    ui->busyProgrammed->setEnabled(!fromChipFile && extended);
    if (!extended) {
        ui->expressProgrammed->setChecked(false);
        ui->busyProgrammed->setChecked(false);
    }
    ui->imagePath->setEnabled(ui->contentsImage->isChecked());
    ui->browseImage->setEnabled(ui->contentsImage->isChecked());
    ui->chipPath->setEnabled(fromChipFile);
    ui->browseChip->setEnabled(fromChipFile);
}

bool SimulatedProgrammerWindow::ReadImage(const std::string& path, std::vector<uint8_t>& contents,
                                          std::string& problem) const {
    const size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (FormatForFileName(name) == RecordFormat::Unknown) {
        // Any other name is a raw image in the buffer's layout.
        std::ifstream file(path, std::ios::binary);
        if (!file) {
            problem = "Cannot open the image file " + path + ".";
            return false;
        }
        file.read(reinterpret_cast<char*>(contents.data()), static_cast<std::streamsize>(contents.size()));
        return true;
    }
    LoadResult loaded = LoadRecordFile(path, contents.data(), static_cast<uint32_t>(contents.size()));
    if (!loaded.opened) {
        problem = "Cannot open the image file " + path + ".";
    } else if (!loaded.fileError.empty()) {
        problem = loaded.fileError;
    } else if (loaded.warning != LoadWarning::None) {
        problem = LoadWarningText(loaded.warning);
    }
    return problem.empty();
}

bool SimulatedProgrammerWindow::BuildPart(sim::SimulatedProm& part, std::string& problem) const {
    if (ui->contentsChip->isChecked()) {
        const std::string path = ui->chipPath->text().toStdString();
        if (path.empty()) {
            problem = "Choose a chip file first.";
            return false;
        }
        return sim::LoadChipFile(path, part, problem);
    }
    part.type = catalogue.GetAt(static_cast<size_t>(ui->partTypeBox->currentIndex()));
    if (ui->contentsImage->isChecked()) {
        const std::string path = ui->imagePath->text().toStdString();
        if (path.empty()) {
            problem = "Choose an image file first.";
            return false;
        }
        part.contents.assign(part.type.sizeBits / 8, 0xFF);
        if (!ReadImage(path, part.contents, problem)) {
            return false;
        }
    }
    part.resetProgrammed = ui->resetProgrammed->isChecked();
    part.expressProgrammed = IsExtended(part.type) && ui->expressProgrammed->isChecked();
    part.busyProgrammed = IsExtended(part.type) && ui->busyProgrammed->isChecked();
    return true;
}

void SimulatedProgrammerWindow::OnInsertPart() {
    sim::SimulatedProm part;
    std::string problem;
    if (!BuildPart(part, problem)) {
        Complain(problem);
        return;
    }
    programmer.InsertPart(part);
    for (size_t i = 0; i < catalogue.GetCount(); ++i) {
        if (catalogue.GetAt(i).name == part.type.name) {
            settings.partTypeIndex = static_cast<int>(i);
        }
    }
    settings.Save(settingsPath);
    ShowSocketState();
}

void SimulatedProgrammerWindow::OnEmptySocket() {
    programmer.RemovePart();
    settings.partTypeIndex = -1;
    settings.Save(settingsPath);
    ShowSocketState();
}

void SimulatedProgrammerWindow::OnSaveChipFile() {
    const sim::SimulatedProm* part = programmer.Part();
    if (!part) {
        Complain("The socket is empty.");
        return;
    }
    const QString path = QFileDialog::getSaveFileName(this, "Save part as chip file", QString(),
                                                      "Chip files (*.chip);;All files (*)");
    std::string problem;
    if (!path.isEmpty() && !sim::SaveChipFile(path.toStdString(), *part, problem)) {
        Complain(problem);
    }
}

void SimulatedProgrammerWindow::OnBrowseImage() {
    const QString path = QFileDialog::getOpenFileName(this, "Image file", ui->imagePath->text(),
                                                      "Images (*.mcs *.hex *.exo *.bin);;All files (*)");
    if (!path.isEmpty()) {
        ui->imagePath->setText(path);
    }
}

void SimulatedProgrammerWindow::OnBrowseChip() {
    const QString path = QFileDialog::getOpenFileName(this, "Chip file", ui->chipPath->text(),
                                                      "Chip files (*.chip);;All files (*)");
    if (!path.isEmpty()) {
        ui->chipPath->setText(path);
    }
}

void SimulatedProgrammerWindow::OnFaultChosen() {
    programmer.SetFault(static_cast<sim::ProgrammerFault>(ui->faultButtons->checkedId()));
    ShowSocketState();
}

void SimulatedProgrammerWindow::OnFamilyChosen() {
    settings.directPortAccess = ui->familyDirect->isChecked();
    settings.Save(settingsPath);
}

void SimulatedProgrammerWindow::OnPortChosen(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(kPorts))) {
        return;
    }
    settings.portBase = kPorts[index];
    programmer.PlugInto(settings.portBase);
    settings.Save(settingsPath);
}

void SimulatedProgrammerWindow::ShowBesideStation() {
    show();
    raise();
    activateWindow();
    const QWidget* station = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != this && window->isVisible() && window->objectName() == "MainDialog") {
            station = window;
        }
    }
    if (!station) {
        return;
    }
    // To the right of the station's window, or to its left where the screen ends first.
    const QRect stationFrame = station->frameGeometry();
    const QRect screen = station->screen()->availableGeometry();
    const int width = frameGeometry().width();
    int x = stationFrame.right() + kGapBetweenWindows;
    if (x + width > screen.right()) {
        x = std::max(screen.left(), stationFrame.left() - kGapBetweenWindows - width);
    }
    move(x, std::max(screen.top(), stationFrame.top()));
}

void SimulatedProgrammerWindow::ShowSocketState() {
    const sim::SimulatedProm* part = programmer.Part();
    QString state;
    if (!part) {
        state = "The socket is empty.";
    } else {
        const auto programmedBytes = std::count_if(part->contents.begin(), part->contents.end(),
                                                   [](uint8_t byte) { return byte != 0xFF; });
        state = QString("In the socket: %1, ").arg(Text(part->type.name));
        state += programmedBytes == 0 ? QString("blank.")
                                      : QString("%1 of %2 bytes programmed.")
                                            .arg(QLocale().toString(static_cast<qlonglong>(programmedBytes)))
                                            .arg(QLocale().toString(static_cast<qulonglong>(part->contents.size())));
        state += " " + Text(OptionBitsText(*part));
    }
    if (!ui->faultNone->isChecked()) {
        state += " Fault: " + ui->faultButtons->checkedButton()->text().remove('&') + ".";
    }
    ui->socketState->setText(state);
}

void SimulatedProgrammerWindow::Complain(const std::string& problem) {
    QMessageBox::warning(this, windowTitle(), Text(problem));
}
