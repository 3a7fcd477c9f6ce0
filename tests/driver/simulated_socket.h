#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "catalog/prom_device.h"
#include "catalog_type.h"
#include "platform/device_transport.h"
#include "sim/simulated_programmer.h"
#include "sim/virtual_clock.h"
#include "random_image.h"

// The port driver installed over a simulated programmer, and the station's side of the
// conversation written out plainly: power modes through register requests, then the bulk
// requests in the pieces the station sends.
class SimulatedSocket {
public:
    explicit SimulatedSocket(const std::string& typeName);
    ~SimulatedSocket();
    SimulatedSocket(const SimulatedSocket&) = delete;
    SimulatedSocket& operator=(const SimulatedSocket&) = delete;

    // Sends a request with input and output in one buffer; the answer is left in `buffer`.
    bool Send(uint32_t code, const std::vector<uint8_t>& packet, uint32_t outSize);
    uint32_t AnswerField() const;

    // `s` is the supply select of the supply in use.
    void PowerOff(uint8_t s);
    void PowerProgramming(uint8_t s);
    void PowerRead(bool resetHigh = true);

    struct Codes {
        uint16_t manufacturer = 0;
        uint16_t device = 0;
    };
    // One identification probe from a fresh programming power-up, socket off afterwards.
    Codes Probe(uint32_t clocks, int16_t supply);
    // One option bit from a fresh programming power-up; -1 without an answer.
    int ReadOption(uint32_t clocks);

    // Bytes per piece: one thirty-second of the part's words, in whole words.
    uint32_t PieceBytes() const;
    // Streams the array in pieces from a fresh power-up; `pieceLimit` stops early.
    std::vector<uint8_t> ReadArray(uint32_t pieceLimit = UINT32_MAX);
    std::vector<uint8_t> BlankCheckPieces();
    // The answers of the verify chunks, until the first that reports a difference.
    std::vector<uint32_t> VerifyChunks(const std::vector<uint8_t>& image);
    // The word counts answered for each program chunk, until the first short one.
    std::vector<uint32_t> ProgramChunks(const std::vector<uint8_t>& image);

    const PromDevice& type;
    sim::VirtualClock clock;
    sim::SimulatedProgrammer programmer{clock};
    std::vector<uint8_t> buffer;

private:
    void Data(uint8_t value);
    void Control(uint8_t value);
    void Wait(uint32_t milliseconds);
    void PowerUpForArray();
    std::vector<uint8_t> Header(uint32_t argument, int16_t readSupply, int16_t powerMode, uint8_t s) const;
    std::vector<uint8_t> ArrayHeader(uint32_t argument) const;
    uint8_t PartSupplySelect() const;

    platform::DeviceHandle handle = platform::kNoDevice;
};

