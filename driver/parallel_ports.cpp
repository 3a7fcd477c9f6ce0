#include "driver/parallel_ports.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace driver {
namespace {

namespace fs = std::filesystem;

// parportN, ordered by N.
bool IsParportName(const std::string& name) {
    const std::string prefix = "parport";
    return name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
           std::all_of(name.begin() + prefix.size(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

unsigned long PortNumber(const std::string& name) {
    return std::strtoul(name.c_str() + 7, nullptr, 10);
}

// The first number of a base-addr file ("888\t1912"); false when there is none.
bool ReadBaseAddress(const fs::path& file, unsigned long& base) {
    std::ifstream in(file);
    std::string first;
    if (!(in >> first)) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    base = std::strtoul(first.c_str(), &end, 0);
    return errno == 0 && end != first.c_str() && *end == '\0' && base <= 0xFFFD;
}

std::vector<std::string> ListedNames(const fs::path& procRoot) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(procRoot, ec)) {
        const std::string name = entry.path().filename().string();
        if (IsParportName(name)) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return PortNumber(a) < PortNumber(b); });
    return names;
}

// devices/active names the claiming driver or says "none"; every other entry of devices/ is a
// driver registered on the port.
void ReadHolders(const fs::path& devices, ParallelPort& port) {
    std::ifstream active(devices / "active");
    std::string holder;
    if (active >> holder && holder != "none") {
        port.activeHolder = holder;
    }
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(devices, ec)) {
        const std::string name = entry.path().filename().string();
        if (name != "active") {
            port.sharingDrivers.push_back(name);
        }
    }
    std::sort(port.sharingDrivers.begin(), port.sharingDrivers.end());
}

}  // namespace

std::string PortBaseText(unsigned long base) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%lX", base);
    return text;
}

std::string GroupName(unsigned gid) {
    std::ifstream groups("/etc/group");
    std::string line;
    while (std::getline(groups, line)) {
        // name:password:gid:members
        const size_t first = line.find(':');
        const size_t second = first == std::string::npos ? first : line.find(':', first + 1);
        const size_t third = second == std::string::npos ? second : line.find(':', second + 1);
        if (third != std::string::npos && line.substr(second + 1, third - second - 1) == std::to_string(gid)) {
            return line.substr(0, first);
        }
    }
    return std::to_string(gid);
}

std::vector<ParallelPort> ListParallelPorts(const ParportPaths& paths) {
    std::vector<ParallelPort> ports;
    for (const std::string& name : ListedNames(paths.procRoot)) {
        ParallelPort port;
        unsigned long base = 0;
        if (!ReadBaseAddress(fs::path(paths.procRoot) / name / "base-addr", base)) {
            continue;
        }
        port.name = name;
        port.base = static_cast<uint16_t>(base);
        port.device = (fs::path(paths.devRoot) / name).string();
        struct stat node {};
        port.nodeExists = ::stat(port.device.c_str(), &node) == 0;
        if (port.nodeExists) {
            port.mayOpen = ::access(port.device.c_str(), R_OK | W_OK) == 0;
            port.group = GroupName(node.st_gid);
        }
        ReadHolders(fs::path(paths.procRoot) / name / "devices", port);
        ports.push_back(std::move(port));
    }
    return ports;
}

std::vector<uint16_t> OtherPortBases(const ParportPaths& paths) {
    std::vector<uint16_t> bases;
    for (const ParallelPort& port : ListParallelPorts(paths)) {
        const bool classic = std::find(std::begin(kClassicPortBases), std::end(kClassicPortBases), port.base) !=
                             std::end(kClassicPortBases);
        if (!classic && std::find(bases.begin(), bases.end(), port.base) == bases.end()) {
            bases.push_back(port.base);
        }
    }
    return bases;
}

std::string FindParportDevice(uint16_t portBase, const ParportPaths& paths, std::string& error) {
    std::error_code ec;
    if (!fs::is_directory(paths.procRoot, ec)) {
        error = "no parallel-port support: " + paths.procRoot +
                " is missing (load the parport_pc module: sudo modprobe parport_pc)";
        return {};
    }
    std::string found;
    for (const ParallelPort& port : ListParallelPorts(paths)) {
        if (port.base == portBase) {
            return port.device;
        }
        found += (found.empty() ? "" : ", ") + PortBaseText(port.base);
    }
    error = "no parallel port at " + PortBaseText(portBase) +
            (found.empty() ? " (the kernel lists none; load the parport_pc module: sudo modprobe parport_pc)"
                           : " (the kernel lists " + found + ")");
    return {};
}

}  // namespace driver
