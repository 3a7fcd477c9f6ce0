#include "cli/station_setup.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "driver/port_driver.h"
#include "driver/ppdev_port.h"
#include "driver/raw_port.h"
#include "protocol/port_driver_protocol.h"
#include "platform/platform_value.h"

namespace cli {
namespace {

// Holds the port driver's place until the operator's port reaches it, so that the power-off of
// the programmer's construction touches no port the operator did not choose.
class UnchosenPort final : public platform::RegisterPort {
public:
    void Write(uint16_t, uint8_t) override {}
    uint8_t Read(uint16_t) override { return 0; }
};

std::string PortName(uint16_t base) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", base);
    return text;
}

}  // namespace

Station::~Station() {
    programmer.reset();
    if (hardwareDriverInstalled) {
        driver::RemovePortDriver(port_driver::kDeviceName);
    }
}

bool Station::Open(std::string& error) {
    if (choice.raw) {
        return OpenRawPort(error);
    }
    if (choice.simulatedType) {
        simulation = std::make_unique<sim::SimulatedStation>(choice.portBase);
        if (!InsertSimulatedPart(error)) {
            return false;
        }
    } else {
        driver::InstallPortDriver(port_driver::kDeviceName, [this](uint16_t base, std::string& portError)
                                      -> std::unique_ptr<platform::RegisterPort> {
            if (!hardwarePortChosen) {
                return std::make_unique<UnchosenPort>();
            }
            return driver::OpenHardwarePort(base, portError);
        });
        hardwareDriverInstalled = true;
    }
    // Direct mode drives the simulated port's registers: the command line offers it with --sim only.
    if (choice.direct) {
        programmer = std::make_unique<Programmer>(platform::kDirectPortFamilyVersion, &simulation->programmer);
        programmer->portBase = choice.portBase;
    } else {
        programmer = std::make_unique<Programmer>(platform::kDriverFamilyVersion);
        programmer->portBase = choice.portBase;
        if (!TellDriverThePort(error)) {
            return false;
        }
    }
    if (simulation) {
        InjectFault();
    }
    return true;
}

// Direct mode on the real port. Only the chosen port is granted: the power-off of the
// programmer's construction, at the default base, touches nothing else.
bool Station::OpenRawPort(std::string& error) {
    const std::vector<uint16_t> machineBases = driver::RawPortBases();
    if (std::find(machineBases.begin(), machineBases.end(), choice.portBase) == machineBases.end()) {
        error = "raw port access refused: " + PortName(choice.portBase) + " is not a parallel port of this machine";
        return false;
    }
    rawPort = driver::RawPort::Open(choice.portBase, {choice.portBase}, driver::SystemKernel(), error);
    if (!rawPort) {
        return false;
    }
    programmer = std::make_unique<Programmer>(platform::kDirectPortFamilyVersion, rawPort.get());
    programmer->portBase = choice.portBase;
    return true;
}

bool Station::TellDriverThePort(std::string& error) {
    hardwarePortChosen = true;
    programmer->CloseDriver();
    if (!programmer->OpenDriver()) {
        error = "the port driver cannot use the parallel port at " + PortName(choice.portBase) + ": " +
                driver::PortDriverError(port_driver::kDeviceName);
        return false;
    }
    return true;
}

// From here on the accesses of a fault's count are the command's own.
void Station::InjectFault() {
    const FaultChoice& fault = choice.fault;
    sim::SimulatedProgrammer& box = simulation->programmer;
    switch (fault.fault) {
    case InjectedFault::None:
        return;
    case InjectedFault::Pulled:
        box.RemovePartAfter(fault.afterAccesses);
        return;
    case InjectedFault::Absent:
        box.SetFaultAfter(sim::ProgrammerFault::Absent, fault.afterAccesses);
        return;
    case InjectedFault::FlatBattery:
        box.SetFaultAfter(sim::ProgrammerFault::FlatBattery, fault.afterAccesses);
        return;
    case InjectedFault::NoPulse:
        box.SetFaultAfter(sim::ProgrammerFault::NoPulseAnswer, fault.afterAccesses);
        return;
    case InjectedFault::EndlessPulse:
        box.SetFaultAfter(sim::ProgrammerFault::EndlessPulse, fault.afterAccesses);
        return;
    case InjectedFault::PortLost:
        box.SetFaultAfter(sim::ProgrammerFault::PortLost, fault.afterAccesses);
        return;
    }
}

bool Station::InsertSimulatedPart(std::string& error) {
    const PromDevice& type = *choice.simulatedType;
    std::error_code ignored;
    if (choice.chipFile.empty() || !std::filesystem::exists(choice.chipFile, ignored)) {
        simulation->programmer.InsertBlankPart(type);
        return true;
    }
    sim::SimulatedProm part;
    std::string loadError;
    if (!sim::LoadChipFile(choice.chipFile, part, loadError)) {
        error = loadError;   // it names the file
        return false;
    }
    if (part.type.name != type.name) {
        error = "chip file " + choice.chipFile + " holds a PROM of type " + part.type.name + ", not " + type.name;
        return false;
    }
    simulation->programmer.InsertPart(part);
    return true;
}

void Station::InsertBlankSimulatedPart() {
    simulation->programmer.InsertBlankPart(*choice.simulatedType);
}

bool Station::SaveChipFile(std::string& error) {
    if (choice.chipFile.empty()) {
        return true;
    }
    // A part pulled in the middle of the run keeps what the run did to it.
    const sim::SimulatedProm* part = simulation->programmer.Part();
    if (!part) {
        part = simulation->programmer.PulledPart();
    }
    if (!part) {
        error = "chip file " + choice.chipFile + ": the socket is empty";
        return false;
    }
    std::string saveError;
    if (!sim::SaveChipFile(choice.chipFile, *part, saveError)) {
        error = "chip file " + choice.chipFile + ": " + saveError;
        return false;
    }
    return true;
}

}  // namespace cli
