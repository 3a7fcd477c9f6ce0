#include "driver/port_driver_service.h"

#include <cstdio>

#include "driver/array_pieces.h"
#include "catalog/device_catalog.h"
#include "driver/identifier_requests.h"
#include "driver/port_signals.h"
#include "driver/program_chunk.h"
#include "protocol/port_driver_protocol.h"
#include "platform/profile_file.h"

using namespace port_driver;

namespace driver {
namespace {

// Far beyond any identifier or option position (0x200C0 at most), but a request for billions
// of clocks must not hold the port for hours.
constexpr uint32_t kMaxAddressClocks = 1u << 20;
// Room for the status and control registers above the base.
constexpr uint32_t kHighestPortBase = 0xFFFD;
constexpr uint32_t kFieldSize = 4;

const char* const kBaseStoreSection = "Port Driver";
const char* const kBaseStoreKey = "Port Base";

// The supplies the socket has: 5.0 V and 3.3 V.
bool IsSupplyCode(int16_t code) {
    return code == 50 || code == 33;
}

// Words of 32, 64 or 128 bits are all the catalogue has.
bool IsWordSize(uint32_t bits) {
    return bits == 32 || bits == 64 || bits == 128;
}

// Word size in bits of the extended part that answers with this code; 0 for any other code.
uint16_t ExtendedWordSize(uint16_t deviceCode) {
    const PromDevice* type = DeviceCatalog::Standard().FindByCode(deviceCode);
    return type && IsExtended(*type) ? type->wordSize : 0;
}

std::string PortText(uint16_t base) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", base);
    return text;
}

}  // namespace

PortDriverService::PortDriverService(PortOpener opener, std::string baseStorePath)
    : opener(std::move(opener)), baseStorePath(std::move(baseStorePath)) {
    if (!this->baseStorePath.empty()) {
        const uint32_t stored = platform::GetPrivateProfileInt(kBaseStoreSection, kBaseStoreKey, kDefaultPortBase,
                                                               this->baseStorePath);
        if (stored <= kHighestPortBase) {
            portBase = static_cast<uint16_t>(stored);
        }
    }
}

void PortDriverService::OpenPort() {
    if (unloaded || port) {
        return;
    }
    std::string error;
    if (opener) {
        port = opener(portBase, error);
    }
    if (port) {
        portError.clear();
    } else {
        portError = error.empty() ? "no parallel port at " + PortText(portBase) : error;
    }
}

void PortDriverService::Unload() {
    unloaded = true;
    port.reset();
    portError = "the port driver was removed";
}

bool PortDriverService::Handle(uint32_t code, const uint8_t* in, uint32_t inSize, uint8_t* out,
                               uint32_t outSize, uint32_t* bytesReturned) {
    uint32_t answered = 0;
    if (!unloaded && in && out) {
        answered = Dispatch(code, Request{in, inSize, out, outSize});
    }
    if (port && port->AccessLost()) {
        // Nothing this request read can be trusted. The port is given back (which leaves the
        // programmer powered off where the port still takes writes) and asked for again at the
        // next open of the driver.
        portError = port->LostAccessText();
        port.reset();
        answered = 0;
    }
    if (bytesReturned) {
        *bytesReturned = answered;
    }
    return answered > 0;
}

uint32_t PortDriverService::Dispatch(uint32_t code, const Request& request) {
    // These two need no port.
    if (code == kVersion) {
        return Version(request);
    }
    if (code == kSetPortBase) {
        return SetPortBase(request);
    }
    if (!port) {
        return 0;
    }
    switch (code) {
    case kReadRegister:
        return ReadRegister(request);
    case kWriteRegister:
        return WriteRegister(request);
    case kAddressClock:
        return AddressClocks(request);
    case kOptionBitRead:
        return ReadOption(request);
    case kIdentifierRead:
        return ReadIdentifier(request);
    case kBlankCheck:
        return BlankCheck(request);
    case kReadChunk:
        return ReadArray(request);
    case kVerifyChunk:
        return VerifyArray(request);
    case kProgramChunk:
        return ProgramArray(request);
    default:
        return 0;
    }
}

bool PortDriverService::Fits(const Request& request, uint32_t inNeeded, uint32_t outNeeded) {
    return request.inSize >= inNeeded && request.outSize >= outNeeded;
}

bool PortDriverService::TakeHeader(const Request& request, uint32_t inNeeded, PacketHeader& header) {
    if (!Fits(request, inNeeded, kFieldSize)) {
        return false;
    }
    header = ParseHeader(request.in);
    return header.supplySelect == 0 || header.supplySelect == 4;
}

uint32_t PortDriverService::Version(const Request& request) {
    if (!Fits(request, kHeaderSize, kFieldSize)) {
        return 0;
    }
    Put32(request.out, kDriverVersion);
    return kFieldSize;
}

uint32_t PortDriverService::SetPortBase(const Request& request) {
    if (!Fits(request, 4, kFieldSize)) {
        return 0;
    }
    const uint32_t base = Get32(request.in);
    if (base > kHighestPortBase) {
        return 0;
    }
    port.reset();   // a port must be given back before it can be claimed again
    portBase = static_cast<uint16_t>(base);
    if (!baseStorePath.empty()) {
        platform::WritePrivateProfileString(kBaseStoreSection, kBaseStoreKey, std::to_string(base), baseStorePath);
    }
    OpenPort();
    if (!port) {
        return 0;
    }
    Put32(request.out, base);
    return kFieldSize;
}

uint32_t PortDriverService::ReadRegister(const Request& request) {
    if (!Fits(request, 4, 1)) {
        return 0;
    }
    const uint32_t offset = Get32(request.in);
    if (offset > 2) {
        return 0;
    }
    request.out[0] = port->Read(static_cast<uint16_t>(portBase + offset));
    return 1;
}

uint32_t PortDriverService::WriteRegister(const Request& request) {
    if (!Fits(request, 5, 1)) {
        return 0;
    }
    const uint32_t offset = Get32(request.in);
    const uint8_t value = request.in[4];
    if (offset > 2) {
        return 0;
    }
    port->Write(static_cast<uint16_t>(portBase + offset), value);
    request.out[0] = value;
    return 1;
}

uint32_t PortDriverService::AddressClocks(const Request& request) {
    PacketHeader header;
    // Every power mode and supply has its clock pattern (or none), as in direct mode.
    if (!TakeHeader(request, kHeaderSize, header) || header.argument > kMaxAddressClocks) {
        return 0;
    }
    PortSignals signals(*port, portBase);
    signals.ClockAddresses(header, header.argument);
    Put32(request.out, header.argument);
    return kFieldSize;
}

uint32_t PortDriverService::ReadOption(const Request& request) {
    PacketHeader header;
    // Option bits are read in programming mode only.
    if (!TakeHeader(request, kHeaderSize, header) || header.argument > kMaxAddressClocks ||
        header.powerMode != 3 || !IsSupplyCode(header.readSupply)) {
        return 0;
    }
    PortSignals signals(*port, portBase);
    Put32(request.out, ReadOptionBit(signals, header));
    return kFieldSize;
}

uint32_t PortDriverService::ReadIdentifier(const Request& request) {
    PacketHeader header;
    // The identifier is read in programming mode, and the request always says 5.0 V for reading.
    if (!TakeHeader(request, kHeaderSize, header) || header.argument > kMaxAddressClocks ||
        header.powerMode != 3 || header.readSupply != 50) {
        return 0;
    }
    PortSignals signals(*port, portBase);
    const IdentifierCodes codes = ReadIdentifierCodes(signals, header);
    if (codes.manufacturer == 0xC9) {
        // The bulk requests do not say how wide the words are: the part identified last does.
        extendedWordSize = ExtendedWordSize(codes.device);
    }
    Put16(request.out, codes.manufacturer);
    Put16(request.out + 2, codes.device);
    return kFieldSize;
}

bool PortDriverService::ArrayWordBytes(const PacketHeader& header, uint32_t& wordBytes) const {
    if (!IsSupplyCode(header.readSupply)) {
        return false;
    }
    const int16_t powerMode = header.powerMode;
    if (powerMode == 2) {
        wordBytes = 0;
        return true;
    }
    wordBytes = extendedWordSize / 8u;
    return powerMode == 3 && wordBytes > 0;
}

uint32_t PortDriverService::BlankCheck(const Request& request) {
    PacketHeader header;
    uint32_t wordBytes = 0;
    if (!TakeHeader(request, kHeaderSize, header) || header.argument == 0 ||
        !ArrayWordBytes(header, wordBytes)) {
        return 0;
    }
    PortSignals signals(*port, portBase);
    const bool blank = BlankCheckPiece(signals, ArrayPiece{header, wordBytes, header.argument});
    Put32(request.out, blank ? 1 : 0);
    return kFieldSize;
}

uint32_t PortDriverService::ReadArray(const Request& request) {
    PacketHeader header;
    uint32_t wordBytes = 0;
    if (!TakeHeader(request, kHeaderSize, header) || header.argument == 0 ||
        request.outSize < header.argument || !ArrayWordBytes(header, wordBytes)) {
        return 0;
    }
    PortSignals signals(*port, portBase);
    ReadPiece(signals, ArrayPiece{header, wordBytes, header.argument}, request.out);
    return header.argument;
}

uint32_t PortDriverService::VerifyArray(const Request& request) {
    PacketHeader header;
    uint32_t wordBytes = 0;
    if (!TakeHeader(request, kHeaderSize, header) || header.argument == 0 ||
        request.inSize - kHeaderSize < header.argument ||
        !ArrayWordBytes(header, wordBytes)) {
        return 0;
    }
    PortSignals signals(*port, portBase);
    const uint32_t matched =
        VerifyPiece(signals, ArrayPiece{header, wordBytes, header.argument}, request.in + kHeaderSize);
    Put32(request.out, matched);
    return kFieldSize;
}

uint32_t PortDriverService::ProgramArray(const Request& request) {
    PacketHeader header;
    if (!TakeHeader(request, kProgramHeaderSize, header) || header.argument == 0) {
        return 0;
    }
    const uint8_t wordSize = request.in[kWordSizeOffset];
    const uint8_t idCode = request.in[kIdCodeOffset];
    // Words are programmed in programming mode only.
    if (header.powerMode != 3 || !IsSupplyCode(header.readSupply) || !IsWordSize(wordSize) ||
        (IsExtendedCode(idCode) && ExtendedWordSize(idCode) != wordSize) ||
        request.inSize - kProgramHeaderSize < uint64_t{header.argument} * (wordSize / 8u)) {
        return 0;
    }
    extendedWordSize = IsExtendedCode(idCode) ? wordSize : 0;
    PortSignals signals(*port, portBase);
    const uint32_t programmed =
        ProgramChunk(signals, ProgramChunkRequest{header, wordSize, idCode, request.in + kProgramHeaderSize});
    Put32(request.out, programmed);
    return kFieldSize;
}

}  // namespace driver
