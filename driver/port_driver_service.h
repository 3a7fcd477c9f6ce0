#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "driver/port_driver.h"
#include "driver/port_signals.h"
#include "platform/register_port.h"

namespace driver {

// The installed port driver: its state outlives the handles opened on it, as a kernel
// driver's does. Answers the request codes of the station over the port it owns.
class PortDriverService {
public:
    // With a `baseStorePath`, the port base survives the driver: read at start, written when set.
    PortDriverService(PortOpener opener, std::string baseStorePath);

    // Opens the port at the current base unless it is open already.
    void OpenPort();
    // Gives the port back for good; every later request fails.
    void Unload();
    // Why the driver has no port; empty while it has one.
    const std::string& PortError() const { return portError; }

    // One request. `in` and `out` may be the same buffer. False, with 0 bytes returned, for an
    // unknown code, a short input, an output too small for the answer or no port.
    bool Handle(uint32_t code, const uint8_t* in, uint32_t inSize, uint8_t* out, uint32_t outSize,
                uint32_t* bytesReturned);

private:
    struct Request {
        const uint8_t* in;
        uint32_t inSize;
        uint8_t* out;
        uint32_t outSize;
    };

    uint32_t Dispatch(uint32_t code, const Request& request);
    static bool Fits(const Request& request, uint32_t inNeeded, uint32_t outNeeded);
    // Reads the command header of a request that answers in its first field.
    static bool TakeHeader(const Request& request, uint32_t inNeeded, PacketHeader& header);

    // Each returns the number of answer bytes, 0 when the request fails.
    uint32_t Version(const Request& request);
    uint32_t ReadRegister(const Request& request);
    uint32_t WriteRegister(const Request& request);
    uint32_t SetPortBase(const Request& request);
    uint32_t AddressClocks(const Request& request);
    uint32_t ReadOption(const Request& request);
    uint32_t ReadIdentifier(const Request& request);
    uint32_t BlankCheck(const Request& request);
    uint32_t ReadArray(const Request& request);
    uint32_t VerifyArray(const Request& request);
    uint32_t ProgramArray(const Request& request);

    // The bytes of a word when the header's power mode streams words; 0 when it streams bits.
    // False when the header asks for neither, names no supply the socket has, or asks for
    // words of a part the driver does not know.
    bool ArrayWordBytes(const PacketHeader& header, uint32_t& wordBytes) const;

    PortOpener opener;
    std::string baseStorePath;
    uint16_t portBase = kDefaultPortBase;
    std::unique_ptr<platform::RegisterPort> port;
    std::string portError;
    bool unloaded = false;
    // Word size in bits of the extended part last identified or programmed; 0 when the last
    // part seen was not one.
    uint16_t extendedWordSize = 0;
};

}  // namespace driver
