#include "driver/raw_port.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "driver/parallel_ports.h"

namespace driver {
namespace {

constexpr uint16_t kRegisterCount = 3;   // data, status, control

}  // namespace

std::unique_ptr<RawPort> RawPort::Open(uint16_t firstBase, std::vector<uint16_t> bases, KernelCalls& kernel,
                                       std::string& error) {
    if (std::find(bases.begin(), bases.end(), firstBase) == bases.end()) {
        error = "raw port access refused: " + PortBaseText(firstBase) + " is not a parallel port of this machine";
        return nullptr;
    }
    std::unique_ptr<RawPort> port(new RawPort(kernel, std::move(bases)));
    if (!port->Grant(firstBase, error)) {
        return nullptr;
    }
    return port;
}

RawPort::RawPort(KernelCalls& kernel, std::vector<uint16_t> bases) : kernel(kernel), bases(std::move(bases)) {}

RawPort::~RawPort() {
    for (uint16_t base : granted) {
        kernel.Out(base, 0x02);
        kernel.Out(static_cast<uint16_t>(base + 2), 0x0B);
        kernel.Ioperm(base, kRegisterCount, 0);
    }
}

bool RawPort::Grant(uint16_t base, std::string& error) {
    if (kernel.Ioperm(base, kRegisterCount, 1) != 0) {
        const int reason = errno;
        error = "raw port access to " + PortBaseText(base) + " refused: " + std::strerror(reason);
        if (reason == EPERM) {
            error += " (it needs root or the CAP_SYS_RAWIO capability)";
        }
        return false;
    }
    granted.push_back(base);
    lastBase = base;
    return true;
}

bool RawPort::Granted(uint16_t address) {
    if (!granted.empty() && static_cast<uint16_t>(address - lastBase) < kRegisterCount) {
        refused = false;
        return true;
    }
    for (uint16_t base : bases) {
        if (address < base || address - base >= kRegisterCount) {
            continue;
        }
        const bool had = std::find(granted.begin(), granted.end(), base) != granted.end();
        if (had || Grant(base, refusal)) {
            lastBase = base;   // Grant sets it too; a base granted before needs it here
            refused = false;
            return true;
        }
        refused = true;
        return false;
    }
    refused = true;
    refusal = "raw port access refused: " + PortBaseText(address) + " is not a register of a parallel port of "
              "this machine";
    return false;
}

void RawPort::Write(uint16_t address, uint8_t value) {
    if (Granted(address)) {
        kernel.Out(address, value);
    }
}

uint8_t RawPort::Read(uint16_t address) {
    return Granted(address) ? kernel.In(address) : 0xFF;
}

std::vector<uint16_t> RawPortBases() {
    std::vector<uint16_t> bases(std::begin(kClassicPortBases), std::end(kClassicPortBases));
    const std::vector<uint16_t> others = OtherPortBases();
    bases.insert(bases.end(), others.begin(), others.end());
    return bases;
}

std::unique_ptr<platform::RegisterPort> OpenRawPort(uint16_t portBase, std::string& error) {
    return RawPort::Open(portBase, RawPortBases(), SystemKernel(), error);
}

}  // namespace driver
