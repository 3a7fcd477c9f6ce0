#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "driver/kernel_calls.h"
#include "driver/parallel_ports.h"
#include "platform/register_port.h"

namespace driver {

// A real parallel port through Linux ppdev, claimed exclusively while open, in compatibility
// mode with the data lines driven. Every register access is checked: the first that fails
// loses the port for good (no further I/O; reads give 0xFF) and says why.
class PpdevPort final : public platform::RegisterPort {
public:
    // nullptr, with the reason in `error`, when the port cannot be had.
    static std::unique_ptr<PpdevPort> Open(uint16_t portBase, const ParportPaths& paths, KernelCalls& kernel,
                                           std::string& error);
    // Leaves the programmer powered off (data 0x02, control 0x0B), then releases the port.
    ~PpdevPort() override;
    PpdevPort(const PpdevPort&) = delete;
    PpdevPort& operator=(const PpdevPort&) = delete;

    // Offsets 0 (data) and 2 (control) are written; the status register cannot be.
    void Write(uint16_t address, uint8_t value) override;
    // Offsets 0 to 2; 0 for any other address.
    uint8_t Read(uint16_t address) override;
    bool AccessLost() const override { return lost; }
    std::string LostAccessText() const override { return lostText; }

private:
    PpdevPort(KernelCalls& kernel, int fd, uint16_t base, std::string device);
    // One register ioctl; false, losing the port, when the kernel refuses it.
    bool Transfer(unsigned long request, unsigned char& byte);

    KernelCalls& kernel;
    int fd;
    uint16_t base;
    std::string device;
    bool lost = false;
    std::string lostText;
};

// The port opener for real hardware: ppdev at the standard places.
std::unique_ptr<platform::RegisterPort> OpenHardwarePort(uint16_t portBase, std::string& error);

}  // namespace driver
