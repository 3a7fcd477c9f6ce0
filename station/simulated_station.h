#pragma once
#include <cstdint>

#include "sim/simulated_programmer.h"
#include "sim/virtual_clock.h"

namespace sim {

// A programmer on a simulated parallel port, ready for a Programmer in either mode: its
// virtual clock is the process clock and the port driver runs over it. One at a time.
class SimulatedStation {
public:
    explicit SimulatedStation(uint16_t portBase = 0x378);
    ~SimulatedStation();
    SimulatedStation(const SimulatedStation&) = delete;
    SimulatedStation& operator=(const SimulatedStation&) = delete;

    VirtualClock clock;
    SimulatedProgrammer programmer;
};

}  // namespace sim
