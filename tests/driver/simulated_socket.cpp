#include "simulated_socket.h"

#include <algorithm>
#include <random>
#include <stdexcept>

#include "driver/port_driver.h"
#include "catalog/device_catalog.h"
#include "protocol/port_driver_protocol.h"
#include "platform/clock.h"
#include "platform/device_transport.h"
#include "random_image.h"

using namespace port_driver;

namespace {

constexpr const char* kDriverName = "simulated port driver";

}  // namespace

SimulatedSocket::SimulatedSocket(const std::string& typeName) : type(CatalogType(typeName)) {
    platform::SetProcessClock(&clock);
    programmer.InsertBlankPart(type);
    driver::InstallPortDriver(kDriverName, [this](uint16_t, std::string&) { return driver::BorrowPort(programmer); });
    handle = platform::OpenDevice(kDriverName);
}

SimulatedSocket::~SimulatedSocket() {
    platform::CloseDevice(handle);
    driver::RemovePortDriver(kDriverName);
    platform::SetProcessClock(nullptr);
}

bool SimulatedSocket::Send(uint32_t code, const std::vector<uint8_t>& packet, uint32_t outSize) {
    buffer.assign(std::max<size_t>(packet.size(), outSize), 0);
    std::copy(packet.begin(), packet.end(), buffer.begin());
    uint32_t returned = 0;
    const bool ok = platform::ControlDevice(handle, code, buffer.data(), static_cast<uint32_t>(packet.size()),
                                            buffer.data(), outSize, &returned);
    return ok && returned > 0;
}

uint32_t SimulatedSocket::AnswerField() const {
    return Get32(buffer.data());
}

void SimulatedSocket::Data(uint8_t value) {
    std::vector<uint8_t> packet(5);
    packet[4] = value;
    Send(kWriteRegister, packet, kSmallOutputSize);
}

void SimulatedSocket::Control(uint8_t value) {
    std::vector<uint8_t> packet(5);
    packet[0] = 2;
    packet[4] = value;
    Send(kWriteRegister, packet, kSmallOutputSize);
}

void SimulatedSocket::Wait(uint32_t milliseconds) {
    clock.WaitUntilMicroseconds(clock.NowMicroseconds() + uint64_t{milliseconds} * 1000);
}

uint8_t SimulatedSocket::PartSupplySelect() const {
    return SupplySelect(type.programSupply);
}

void SimulatedSocket::PowerOff(uint8_t s) {
    Data(0xC0 + s);
    Wait(10);
    Data(0x02);
    Control(0x0B);
    Wait(1000);
}

void SimulatedSocket::PowerProgramming(uint8_t s) {
    Data(0x18 + s);
    Control(0x01);
    Data(0xD8 + s);
    Wait(200);
    Data(0x98 + s);
    Wait(50);
    Data(0x99 + s);
    Wait(10);
    Data(0x98 + s);
    Data(0x99 + s);
    Wait(10);
    Data(0xD9 + s);
    Wait(10);
    Data(0xD8 + s);
    Data(0xD9 + s);
    Data(0xD8 + s);
}

void SimulatedSocket::PowerRead(bool resetHigh) {
    Data(resetHigh ? 0xDC : 0xD4);
    Control(0x01);
    Wait(200);
    Data(type.readSupply == 50 ? 0xC0 : 0xE0);
    Wait(1000);
    // One pulse on the reset line returns the address counter to zero.
    const uint8_t v = (type.readSupply == 50 ? 0xC0 : 0xE0) + PartSupplySelect();
    const uint8_t active = resetHigh ? v + 0x08 : v;
    const uint8_t inactive = resetHigh ? v : v + 0x08;
    Data(inactive);
    Data(active);
    Data(inactive);
}

void SimulatedSocket::PowerUpForArray() {
    PowerOff(PartSupplySelect());
    if (IsExtended(type)) {
        PowerProgramming(PartSupplySelect());
    } else {
        PowerRead();
    }
}

std::vector<uint8_t> SimulatedSocket::Header(uint32_t argument, int16_t readSupply, int16_t powerMode,
                                             uint8_t s) const {
    std::vector<uint8_t> packet(kHeaderSize);
    Put32(packet.data(), argument);
    Put16(packet.data() + kReadSupplyOffset, static_cast<uint16_t>(readSupply));
    Put16(packet.data() + kPowerModeOffset, static_cast<uint16_t>(powerMode));
    packet[kSupplySelectOffset] = s;
    packet[kResetPolarityOffset] = 1;
    return packet;
}

std::vector<uint8_t> SimulatedSocket::ArrayHeader(uint32_t argument) const {
    return Header(argument, type.readSupply, IsExtended(type) ? 3 : 2, PartSupplySelect());
}

SimulatedSocket::Codes SimulatedSocket::Probe(uint32_t clocks, int16_t supply) {
    const uint8_t s = SupplySelect(supply);
    PowerProgramming(s);
    Wait(100);
    Codes codes;
    if (Send(kIdentifierRead, Header(clocks, 50, 3, s), kSmallOutputSize)) {
        codes.manufacturer = Get16(buffer.data());
        codes.device = Get16(buffer.data() + 2);
    }
    PowerOff(s);
    return codes;
}

int SimulatedSocket::ReadOption(uint32_t clocks) {
    PowerProgramming(PartSupplySelect());
    const bool answered =
        Send(kOptionBitRead, Header(clocks, type.readSupply, 3, PartSupplySelect()), kSmallOutputSize);
    const int option = answered ? buffer[0] : -1;
    PowerOff(PartSupplySelect());
    return option;
}

uint32_t SimulatedSocket::PieceBytes() const {
    return type.sizeBits / type.wordSize / 32 * (type.wordSize / 8);
}

std::vector<uint8_t> SimulatedSocket::ReadArray(uint32_t pieceLimit) {
    const uint32_t total = type.sizeBits / 8;
    std::vector<uint8_t> image;
    PowerUpForArray();
    for (uint32_t pieces = 0; image.size() < total && pieces < pieceLimit; ++pieces) {
        const uint32_t piece = std::min<uint32_t>(PieceBytes(), total - static_cast<uint32_t>(image.size()));
        if (!Send(kReadChunk, ArrayHeader(piece), kRequestBufferSize)) {
            break;
        }
        image.insert(image.end(), buffer.begin(), buffer.begin() + piece);
    }
    PowerOff(PartSupplySelect());
    return image;
}

std::vector<uint8_t> SimulatedSocket::BlankCheckPieces() {
    const uint32_t total = type.sizeBits / 8;
    std::vector<uint8_t> answers;
    PowerUpForArray();
    for (uint32_t done = 0; done < total;) {
        const uint32_t piece = std::min(PieceBytes(), total - done);
        if (!Send(kBlankCheck, ArrayHeader(piece), kSmallOutputSize)) {
            break;
        }
        answers.push_back(buffer[0]);
        done += piece;
    }
    PowerOff(PartSupplySelect());
    return answers;
}

std::vector<uint32_t> SimulatedSocket::VerifyChunks(const std::vector<uint8_t>& image) {
    const uint32_t total = static_cast<uint32_t>(image.size());
    std::vector<uint32_t> answers;
    PowerUpForArray();
    for (uint32_t done = 0; done < total;) {
        const uint32_t chunk = std::min(PieceBytes(), total - done);
        std::vector<uint8_t> packet = ArrayHeader(chunk);
        packet.insert(packet.end(), image.begin() + done, image.begin() + done + chunk);
        packet.resize(total + kHeaderSize);   // the station gives the whole part's length
        if (!Send(kVerifyChunk, packet, kRequestBufferSize)) {
            break;
        }
        answers.push_back(AnswerField());
        if (AnswerField() != chunk) {
            break;
        }
        done += chunk;
    }
    PowerOff(PartSupplySelect());
    return answers;
}

std::vector<uint32_t> SimulatedSocket::ProgramChunks(const std::vector<uint8_t>& image) {
    const uint32_t total = static_cast<uint32_t>(image.size());
    const uint32_t wordBytes = type.wordSize / 8u;
    std::vector<uint32_t> answers;
    PowerOff(PartSupplySelect());
    PowerProgramming(PartSupplySelect());
    for (uint32_t done = 0; done < total;) {
        const uint32_t chunk = std::min(PieceBytes(), total - done);
        std::vector<uint8_t> packet = Header(chunk / wordBytes, type.readSupply, 3, PartSupplySelect());
        packet.push_back(static_cast<uint8_t>(type.wordSize));
        packet.push_back(static_cast<uint8_t>(type.idCode));
        packet.insert(packet.end(), image.begin() + done, image.begin() + done + chunk);
        packet.resize(total + kProgramHeaderSize);
        if (!Send(kProgramChunk, packet, kRequestBufferSize)) {
            break;
        }
        answers.push_back(AnswerField());
        if (AnswerField() != chunk / wordBytes) {
            break;
        }
        done += chunk;
    }
    PowerOff(PartSupplySelect());
    return answers;
}
