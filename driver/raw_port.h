#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "driver/kernel_calls.h"
#include "platform/register_port.h"

namespace driver {

// Parallel ports reached with the processor's port instructions, where the process may (root,
// or the CAP_SYS_RAWIO capability): no system call per access, so the engine's direct mode
// runs at the port's own speed. Only the registers of the bases it was given are ever
// touched, each after ioperm granted them; an access anywhere else is refused and loses the
// port until an access to a granted base.
class RawPort final : public platform::RegisterPort {
public:
    // nullptr, with the reason in `error`, when `firstBase` is not among `bases` or ioperm
    // refuses it.
    static std::unique_ptr<RawPort> Open(uint16_t firstBase, std::vector<uint16_t> bases, KernelCalls& kernel,
                                         std::string& error);
    // Leaves every port it drove with the programmer powered off and gives the permission back.
    ~RawPort() override;
    RawPort(const RawPort&) = delete;
    RawPort& operator=(const RawPort&) = delete;

    void Write(uint16_t address, uint8_t value) override;
    uint8_t Read(uint16_t address) override;
    bool AccessLost() const override { return refused; }
    std::string LostAccessText() const override { return refusal; }

private:
    RawPort(KernelCalls& kernel, std::vector<uint16_t> bases);
    // True when `address` is a register of a base that ioperm granted (asked for on first use).
    bool Granted(uint16_t address);
    bool Grant(uint16_t base, std::string& error);

    KernelCalls& kernel;
    std::vector<uint16_t> bases;
    std::vector<uint16_t> granted;
    uint16_t lastBase = 0;   // the base of the last access, to skip the search
    bool refused = false;
    std::string refusal;
};

// The bases raw access may use on this machine: the three classic ones and every port the
// kernel lists.
std::vector<uint16_t> RawPortBases();

// Raw access for real hardware, on the machine's kernel.
std::unique_ptr<platform::RegisterPort> OpenRawPort(uint16_t portBase, std::string& error);

}  // namespace driver
