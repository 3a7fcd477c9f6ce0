#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/register_port.h"

namespace driver {

// Opens the register port for a port base; returns nullptr and says why in `error` when the
// port cannot be had (no such port, no permission, no parallel-port support).
using PortOpener =
    std::function<std::unique_ptr<platform::RegisterPort>(uint16_t portBase, std::string& error)>;

// Loads the port driver under `deviceName` in the platform transport, running over ports from
// `opener`. Like a kernel driver, its state (port base, the port, what it learned of the part)
// outlives the handles opened on it and lasts until RemovePortDriver. With a `baseStorePath`
// it also keeps the last port base it was told in that file and starts on it the next time,
// as an installed system driver keeps its configuration between runs of the station.
void InstallPortDriver(const std::string& deviceName, PortOpener opener,
                       const std::string& baseStorePath = "");
void RemovePortDriver(const std::string& deviceName);

// Why the driver installed under `deviceName` has no port (the opener's text); empty while it
// has one. Handles open without a port; their register requests fail.
std::string PortDriverError(const std::string& deviceName);

// The port base the driver uses until it is told another one.
constexpr uint16_t kDefaultPortBase = 0x378;

// A port that forwards to one that lives elsewhere (the simulator's).
std::unique_ptr<platform::RegisterPort> BorrowPort(platform::RegisterPort& port);

}  // namespace driver
