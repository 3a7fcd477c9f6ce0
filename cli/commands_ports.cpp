#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "driver/parallel_ports.h"

namespace cli {
namespace {

std::string AccessText(const driver::ParallelPort& port) {
    if (!port.nodeExists) {
        return "no (" + port.device + " is missing: sudo modprobe ppdev)";
    }
    return port.mayOpen ? "yes" : "no (join the group " + port.group + ")";
}

// Any other driver of the port makes the station's exclusive claim fail.
std::string HolderText(const driver::ParallelPort& port) {
    if (!port.activeHolder.empty()) {
        return port.activeHolder;
    }
    std::string drivers;
    for (const std::string& name : port.sharingDrivers) {
        drivers += (drivers.empty() ? "" : ", ") + name;
    }
    return drivers.empty() ? "none" : drivers;
}

}  // namespace

int RunPorts(const Console& console) {
    const driver::ParportPaths paths;
    std::string error;
    // An address no port has: only the reason for a missing list is wanted here.
    driver::FindParportDevice(0, paths, error);
    const std::vector<driver::ParallelPort> ports = driver::ListParallelPorts(paths);
    if (ports.empty()) {
        console.Error(error);
        return kExitFailed;
    }
    char line[160];
    std::snprintf(line, sizeof line, "%-16s %-8s %-12s %s\n", "DEVICE", "BASE", "HELD BY", "MAY OPEN");
    console.out << line;
    std::vector<JsonObject> found;
    for (const driver::ParallelPort& port : ports) {
        std::snprintf(line, sizeof line, "%-16s %-8s %-12s ", port.device.c_str(),
                      driver::PortBaseText(port.base).c_str(), HolderText(port).c_str());
        console.out << line << AccessText(port) << '\n';
        found.push_back(JsonObject()
                            .AddText("device", port.device)
                            .AddText("base", driver::PortBaseText(port.base))
                            .AddText("held_by", HolderText(port))
                            .AddBool("may_open", port.nodeExists && port.mayOpen)
                            .AddText("access", AccessText(port)));
    }
    if (console.report) {
        console.report->Fields().AddArray("ports", found);
    }
    return kExitSuccess;
}

}  // namespace cli
