#pragma once
#include <memory>
#include <string>

#include "cli/command_line.h"
#include "engine/programmer.h"
#include "station/simulated_station.h"

namespace cli {

// The programmer the part commands work with: the simulated one (with its part, from a chip
// file or blank) in direct or driver mode, or real hardware through the port driver over ppdev.
class Station {
public:
    explicit Station(const StationChoice& choice) : choice(choice) {}
    ~Station();
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    // False, with the reason in `error`, when the programmer or the part cannot be had.
    bool Open(std::string& error);
    Programmer& GetProgrammer() { return *programmer; }
    bool IsSimulated() const { return simulation != nullptr; }
    // Puts a new blank part of the simulated type in the socket, in place of the one there.
    void InsertBlankSimulatedPart();
    // Writes the simulated part back to its chip file; true when there is none.
    bool SaveChipFile(std::string& error);

private:
    bool InsertSimulatedPart(std::string& error);
    bool OpenRawPort(std::string& error);
    void InjectFault();
    // The port driver learns the port base only when it is opened again.
    bool TellDriverThePort(std::string& error);

    StationChoice choice;
    std::unique_ptr<sim::SimulatedStation> simulation;
    bool hardwareDriverInstalled = false;
    bool hardwarePortChosen = false;
    std::unique_ptr<platform::RegisterPort> rawPort;   // declared first: outlives the programmer
    std::unique_ptr<Programmer> programmer;
};

}  // namespace cli
