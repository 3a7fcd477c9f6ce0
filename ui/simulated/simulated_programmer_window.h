#pragma once
#include <QWidget>
#include <memory>
#include <string>

#include "catalog/device_catalog.h"
#include "ui/simulated/simulator_settings.h"

namespace sim {
class SimulatedProgrammer;
struct SimulatedProm;
}  // namespace sim

namespace Ui {
class SimulatedProgrammerWindow;
}

// The simulated station's second window: what sits in the socket (any catalogue type, blank,
// programmed from an image file or a virtual chip file, option bits pre-programmed, or
// nothing), the programmer faults to inject, and the port access of the next start.
class SimulatedProgrammerWindow : public QWidget {
    Q_OBJECT

public:
    // Puts the remembered part type, blank, into the socket.
    SimulatedProgrammerWindow(sim::SimulatedProgrammer& programmer, std::string settingsPath,
                              QWidget* parent = nullptr);
    ~SimulatedProgrammerWindow() override;

    // The platform value chosen at an earlier run; a change here takes effect at the next start.
    uint32_t PlatformVersionForThisRun() const;

    // Shows the socket as it is now (the station may have programmed the part meanwhile).
    void ShowSocketState();

    // Shows the window beside the station's main window (or brings it back after a close).
    void ShowBesideStation();

private:
    void OnPartTypeChosen();
    void OnInsertPart();
    void OnEmptySocket();
    void OnSaveChipFile();
    void OnBrowseImage();
    void OnBrowseChip();
    void OnFaultChosen();
    void OnFamilyChosen();
    void OnPortChosen(int index);
    // The part the controls describe; false with the reason when it cannot be made.
    bool BuildPart(sim::SimulatedProm& part, std::string& problem) const;
    bool ReadImage(const std::string& path, std::vector<uint8_t>& contents, std::string& problem) const;
    void Complain(const std::string& problem);

    sim::SimulatedProgrammer& programmer;
    std::string settingsPath;
    SimulatorSettings settings;
    uint32_t platformVersionForThisRun;
    DeviceCatalog catalogue;
    std::unique_ptr<Ui::SimulatedProgrammerWindow> ui;
};
