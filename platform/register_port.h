#pragma once
#include <cstdint>
#include <string>

namespace platform {

// The three registers of a parallel port seen by absolute I/O address: data at the base,
// status at base + 1, control at base + 2. Implemented by the simulated programmer and by
// real hardware access.
class RegisterPort {
public:
    virtual ~RegisterPort() = default;
    virtual void Write(uint16_t address, uint8_t value) = 0;
    virtual uint8_t Read(uint16_t address) = 0;
    // True once the port has stopped answering (a real port's system call failed); from then
    // on it does no I/O. Cheap: callers look at word or chunk boundaries.
    virtual bool AccessLost() const { return false; }
    // Why, for the operator; empty while the port answers.
    virtual std::string LostAccessText() const { return {}; }
};

}  // namespace platform
