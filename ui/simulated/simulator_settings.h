#pragma once
#include <cstdint>
#include <string>

// The simulated machine has a PCI Express parallel card beside the three classic ports.
constexpr uint16_t kSimulatedCardPortBase = 0xD010;

// What the simulated station remembers between runs, in a settings file of its own (the
// station's settings file holds nothing of the simulator).
struct SimulatorSettings {
    bool directPortAccess = false;   // the 9x family: the station drives the registers itself
    int partTypeIndex = 0;           // catalogue index of the part inserted at start; -1: empty socket
    uint16_t portBase = 0x378;       // the port the simulated programmer is plugged into

    // The platform value the station runs with under these settings.
    uint32_t PlatformVersion() const;

    static SimulatorSettings Load(const std::string& path);
    bool Save(const std::string& path) const;
};

// The simulator's settings file: beside the station's, named after the program + "-simulator".
std::string SimulatorSettingsPath();
