#include "driver/ppdev_port.h"

#include <fcntl.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace driver {
namespace {

// The last pattern of the programmer's power-off: socket unpowered and disconnected.
constexpr unsigned char kPowerOffData = 0x02;
constexpr unsigned char kPowerOffControl = 0x0B;

std::string OpenFailure(const std::string& device, int error) {
    if (error == ENOENT) {
        return device + " is missing: the ppdev module is not loaded (load it: sudo modprobe ppdev)";
    }
    if (error == EACCES || error == EPERM) {
        struct stat node {};
        const std::string group = ::stat(device.c_str(), &node) == 0 ? GroupName(node.st_gid) : "lp";
        return "no permission to open " + device + ": it belongs to the group " + group +
               "; join it (sudo usermod -aG " + group + " $USER) and log in again";
    }
    return "cannot open " + device + ": " + std::strerror(error);
}

std::string ClaimFailure(const std::string& device, int error) {
    const std::string inUse = "The parallel port " + device + " is in use by another program";
    if (error == EBUSY) {
        return inUse;
    }
    if (error == ENXIO) {
        // ppdev cannot register an exclusive user beside another driver of the port.
        return inUse + " or driver (the printer driver lp holds every port while it is loaded: "
                       "sudo modprobe -r lp)";
    }
    return "cannot claim " + device + ": " + std::strerror(error);
}

}  // namespace

std::unique_ptr<PpdevPort> PpdevPort::Open(uint16_t portBase, const ParportPaths& paths, KernelCalls& kernel,
                                           std::string& error) {
    const std::string device = FindParportDevice(portBase, paths, error);
    if (device.empty()) {
        return nullptr;
    }
    const int fd = kernel.Open(device.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        error = OpenFailure(device, errno);
        return nullptr;
    }
    // Exclusive: no other driver of the port may write to it between our accesses.
    if (kernel.Ioctl(fd, PPEXCL, nullptr) != 0 || kernel.Ioctl(fd, PPCLAIM, nullptr) != 0) {
        error = ClaimFailure(device, errno);
        kernel.Close(fd);
        return nullptr;
    }
    // Another program may have left the port in another mode or reading its data lines.
    int mode = IEEE1284_MODE_COMPAT;
    int forward = 0;
    if (kernel.Ioctl(fd, PPSETMODE, &mode) != 0 || kernel.Ioctl(fd, PPDATADIR, &forward) != 0) {
        error = "cannot set " + device + " to compatibility mode: " + std::strerror(errno);
        kernel.Ioctl(fd, PPRELEASE, nullptr);
        kernel.Close(fd);
        return nullptr;
    }
    return std::unique_ptr<PpdevPort>(new PpdevPort(kernel, fd, portBase, device));
}

PpdevPort::PpdevPort(KernelCalls& kernel, int fd, uint16_t base, std::string device)
    : kernel(kernel), fd(fd), base(base), device(std::move(device)) {}

PpdevPort::~PpdevPort() {
    // Tried even on a lost port: a cable put back takes them.
    unsigned char data = kPowerOffData;
    unsigned char control = kPowerOffControl;
    kernel.Ioctl(fd, PPWDATA, &data);
    kernel.Ioctl(fd, PPWCONTROL, &control);
    kernel.Ioctl(fd, PPRELEASE, nullptr);
    kernel.Close(fd);
}

bool PpdevPort::Transfer(unsigned long request, unsigned char& byte) {
    if (lost) {
        return false;
    }
    if (kernel.Ioctl(fd, request, &byte) != 0) {
        lost = true;
        lostText = "Lost access to the parallel port " + device + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void PpdevPort::Write(uint16_t address, uint8_t value) {
    unsigned char byte = value;
    if (address == base) {
        Transfer(PPWDATA, byte);
    } else if (address == base + 2) {
        Transfer(PPWCONTROL, byte);
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
    return Transfer(request, byte) ? byte : 0xFF;
}

std::unique_ptr<platform::RegisterPort> OpenHardwarePort(uint16_t portBase, std::string& error) {
    return PpdevPort::Open(portBase, ParportPaths{}, SystemKernel(), error);
}

}  // namespace driver
