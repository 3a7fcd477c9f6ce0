#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "catalog/prom_device.h"
#include "platform/device_transport.h"
#include "platform/register_port.h"

class PortChannel;

// Power modes of the PROM socket.
constexpr int16_t POWER_OFF = 1;
constexpr int16_t POWER_READ = 2;
constexpr int16_t POWER_PROGRAM = 3;

// What the port signalling reads of the station's state: fields that the Programmer owns.
struct SocketState {
    const uint16_t& portBase;
    int16_t& powerMode;                       // recorded by SetPowerMode
    const int32_t& resetPolarity;             // 1 while the part's reset is active high
    const PromDevice* const& currentDevice;   // its supply codes choose the read patterns
};

// The station's end of the programmer cable: the three port registers reached directly or
// through the port driver, the signalling primitives built on them, and the presence check.
class PortLink {
public:
    // `platformVersion`'s high 16 bits choose direct mode (0xC000) or the port driver;
    // `directPort` is the register port of direct mode.
    PortLink(uint32_t platformVersion, platform::RegisterPort* directPort, SocketState socket);

    ~PortLink();   // closes the driver
    PortLink(const PortLink&) = delete;
    PortLink& operator=(const PortLink&) = delete;

    bool IsDirectMode() const;
    // Opens the port driver, unless in direct mode.
    void Connect();

    // Port driver interface.
    // True when the driver opened (and, on a re-open, took the port base).
    bool OpenDriver();
    void CloseDriver();
    uint32_t GetDriverVersion();
    // Fills the common command header in the request buffer.
    void FillRequestHeader(uint32_t argument, int16_t readSupply, int16_t mode, uint8_t supplySelect);
    // Sends a request from the request buffer unless the driver is not open (then the last
    // result keeps its value). True when the request succeeded and returned at least one byte.
    bool SendRequest(uint32_t code, uint32_t inSize, uint32_t outSize);

    // Signalling primitives.
    void WritePort(uint16_t port, uint8_t value);
    uint8_t ReadPort(uint16_t port);
    void SetPowerMode(int16_t mode, int16_t supplyCode);
    void ResetAddressCounter();
    void ClockAddress(int16_t supplyCode);
    // 0 present, 1 no loop-back, 2 no pulse answer; leaves the socket off. Through the port
    // driver, a port lost before is asked for again first (a cable put back).
    int32_t CheckProgrammer();

    // True once the port stopped answering: a direct port's system call failed, or the port
    // driver lost its port. The operation under way ends at its next word or chunk.
    bool AccessLost() const;
    // Why, for the operator ("Lost access to the parallel port ..."); empty while it answers.
    std::string LostAccessText() const;

    // Port driver state.
    uint16_t platformValue = 0;
    platform::RegisterPort* directPort = nullptr;
    platform::DeviceHandle driverHandle = platform::kNoDevice;
    bool driverOpened = false;
    std::vector<uint8_t> requestBuffer;
    uint32_t bytesReturned = 0;
    bool lastResult = true;   // no request has failed yet
    std::string driverPortFailure;   // why the driver's port failed a request; empty while it answers

private:
    friend class DirectChannel;
    friend class DriverChannel;
    // The register patterns of one address clock in direct mode.
    void ClockAddressOnRegisters(int16_t supplyCode);

    SocketState socket;
    std::unique_ptr<PortChannel> channel;   // chosen once, by the platform value
};

// Busy-waits on the process clock for at least `milliseconds`.
void Delay(int32_t milliseconds);
