#include "driver/ppdev_port.h"

#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace driver {
namespace {

namespace fs = std::filesystem;

std::string Hex(unsigned long value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%lX", value);
    return text;
}

bool IsParportName(const std::string& name) {
    const std::string prefix = "parport";
    return name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
           std::all_of(name.begin() + prefix.size(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
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
    return errno == 0 && end != first.c_str() && *end == '\0';
}

std::vector<std::string> ListedPorts(const fs::path& procRoot) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(procRoot, ec)) {
        const std::string name = entry.path().filename().string();
        if (IsParportName(name)) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string OpenFailure(const std::string& device, int error) {
    if (error == ENOENT) {
        return device + " is missing: the ppdev module is not loaded";
    }
    if (error == EACCES || error == EPERM) {
        return "no permission to open " + device + " (its group, usually lp, must include the user)";
    }
    return "cannot open " + device + ": " + std::strerror(error);
}

}  // namespace

std::string FindParportDevice(uint16_t portBase, const ParportPaths& paths, std::string& error) {
    std::error_code ec;
    if (!fs::is_directory(paths.procRoot, ec)) {
        error = "no parallel-port support: " + paths.procRoot +
                " is missing (the parport and parport_pc modules are not loaded)";
        return {};
    }
    const std::vector<std::string> names = ListedPorts(paths.procRoot);
    std::string found;
    for (const std::string& name : names) {
        unsigned long base = 0;
        if (!ReadBaseAddress(fs::path(paths.procRoot) / name / "base-addr", base)) {
            continue;
        }
        if (base == portBase) {
            return (fs::path(paths.devRoot) / name).string();
        }
        found += (found.empty() ? "" : ", ") + Hex(base);
    }
    error = "no parallel port at " + Hex(portBase) +
            (found.empty() ? " (the kernel lists none)" : " (the kernel lists " + found + ")");
    return {};
}

std::unique_ptr<PpdevPort> PpdevPort::Open(uint16_t portBase, const ParportPaths& paths,
                                           std::string& error) {
    const std::string device = FindParportDevice(portBase, paths, error);
    if (device.empty()) {
        return nullptr;
    }
    const int fd = ::open(device.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        error = OpenFailure(device, errno);
        return nullptr;
    }
    if (::ioctl(fd, PPCLAIM) != 0) {
        error = "cannot claim " + device + ": " + std::strerror(errno);
        ::close(fd);
        return nullptr;
    }
    unsigned char data = 0;
    unsigned char control = 0;
    if (::ioctl(fd, PPRDATA, &data) != 0 || ::ioctl(fd, PPRCONTROL, &control) != 0) {
        error = "cannot read the registers of " + device + ": " + std::strerror(errno);
        ::ioctl(fd, PPRELEASE);
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<PpdevPort>(new PpdevPort(fd, portBase, data, control));
}

PpdevPort::PpdevPort(int fd, uint16_t base, uint8_t foundData, uint8_t foundControl)
    : fd(fd), base(base), foundData(foundData), foundControl(foundControl) {}

PpdevPort::~PpdevPort() {
    unsigned char data = foundData;
    unsigned char control = foundControl;
    ::ioctl(fd, PPWDATA, &data);
    ::ioctl(fd, PPWCONTROL, &control);
    ::ioctl(fd, PPRELEASE);
    ::close(fd);
}

void PpdevPort::Write(uint16_t address, uint8_t value) {
    unsigned char byte = value;
    if (address == base) {
        ::ioctl(fd, PPWDATA, &byte);
    } else if (address == base + 2) {
        ::ioctl(fd, PPWCONTROL, &byte);
    }
}

uint8_t PpdevPort::Read(uint16_t address) {
    unsigned long request = 0;
    if (address == base) {
        request = PPRDATA;
    } else if (address == base + 1) {
        request = PPRSTATUS;
    } else if (address == base + 2) {
        request = PPRCONTROL;
    } else {
        return 0;
    }
    unsigned char byte = 0;
    return ::ioctl(fd, request, &byte) == 0 ? byte : 0;
}

std::unique_ptr<platform::RegisterPort> OpenHardwarePort(uint16_t portBase, std::string& error) {
    return PpdevPort::Open(portBase, ParportPaths{}, error);
}

}  // namespace driver
