#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/register_port.h"

namespace driver {

// Where the kernel lists its parallel ports and where their ppdev nodes live.
struct ParportPaths {
    std::string procRoot = "/proc/sys/dev/parport";
    std::string devRoot = "/dev";
};

// The ppdev node of the parallel port at `portBase`: devRoot/parportN for the parportN whose
// base-addr file starts with that address. Empty, with the reason in `error`, when there is none.
std::string FindParportDevice(uint16_t portBase, const ParportPaths& paths, std::string& error);

// A real parallel port through Linux ppdev. Claims the port while open; on close puts back
// the data and control registers it found and releases the port.
class PpdevPort final : public platform::RegisterPort {
public:
    // nullptr, with the reason in `error`, when the port cannot be had.
    static std::unique_ptr<PpdevPort> Open(uint16_t portBase, const ParportPaths& paths,
                                           std::string& error);
    ~PpdevPort() override;
    PpdevPort(const PpdevPort&) = delete;
    PpdevPort& operator=(const PpdevPort&) = delete;

    // Offsets 0 (data) and 2 (control) are written; the status register cannot be.
    void Write(uint16_t address, uint8_t value) override;
    // Offsets 0 to 2; 0 for any other address or when the kernel refuses.
    uint8_t Read(uint16_t address) override;

private:
    PpdevPort(int fd, uint16_t base, uint8_t foundData, uint8_t foundControl);

    int fd;
    uint16_t base;
    uint8_t foundData;
    uint8_t foundControl;
};

// The port opener for real hardware: ppdev at the standard places.
std::unique_ptr<platform::RegisterPort> OpenHardwarePort(uint16_t portBase, std::string& error);

}  // namespace driver
