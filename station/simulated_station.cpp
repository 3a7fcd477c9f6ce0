#include "station/simulated_station.h"

#include "driver/port_driver.h"
#include "protocol/port_driver_protocol.h"

namespace sim {

SimulatedStation::SimulatedStation(uint16_t portBase) : programmer(clock, portBase) {
    platform::SetProcessClock(&clock);
    driver::InstallPortDriver(port_driver::kDeviceName,
                              [this](uint16_t, std::string&) { return driver::BorrowPort(programmer); });
}

SimulatedStation::~SimulatedStation() {
    driver::RemovePortDriver(port_driver::kDeviceName);
    platform::SetProcessClock(nullptr);
}

}  // namespace sim
