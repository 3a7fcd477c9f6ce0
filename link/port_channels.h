#pragma once
#include <cstdint>

class PortLink;

// How the link reaches the three port registers: directly, or as requests to the port driver.
// Chosen once, when the link is built; everything above the registers is the same on both.
class PortChannel {
public:
    explicit PortChannel(PortLink& link) : link(link) {}
    virtual ~PortChannel() = default;
    PortChannel(const PortChannel&) = delete;
    PortChannel& operator=(const PortChannel&) = delete;

    virtual void Write(uint16_t port, uint8_t value) = 0;
    virtual uint8_t Read(uint16_t port) = 0;
    // One address clock in the recorded power mode.
    virtual void ClockAddress(int16_t supplyCode) = 0;

protected:
    PortLink& link;
};

// Port instructions on the register port of direct mode.
class DirectChannel final : public PortChannel {
public:
    using PortChannel::PortChannel;
    void Write(uint16_t port, uint8_t value) override;
    uint8_t Read(uint16_t port) override;
    void ClockAddress(int16_t supplyCode) override;
};

// One port-driver request per access, and the address clock as one request.
class DriverChannel final : public PortChannel {
public:
    using PortChannel::PortChannel;
    void Write(uint16_t port, uint8_t value) override;
    uint8_t Read(uint16_t port) override;
    void ClockAddress(int16_t supplyCode) override;
};
