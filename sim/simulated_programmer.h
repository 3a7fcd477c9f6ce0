#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "catalog/prom_device.h"
#include "platform/register_port.h"
#include "sim/virtual_clock.h"

namespace sim {

// Programmer faults an operator can inject.
enum class ProgrammerFault {
    None,
    Absent,          // nothing on the port: the status register always reads 0xFF
    FlatBattery,     // the loop-back stays at 0 and pulses program only some bits
    NoPulseAnswer,   // the micro controller never answers a pulse request
    EndlessPulse,    // a requested pulse starts and never ends
    PortLost,        // the PC's port stops answering (a card or its driver gone): no I/O reaches the box
};

// The PROM in the socket: its type, its stored bits and its option bits.
// Contents are kept in the buffer layout (bit 0 of byte 0 is the first bit delivered).
struct SimulatedProm {
    PromDevice type;
    std::vector<uint8_t> contents;     // sizeBits / 8 bytes, 0xFF when erased
    bool resetProgrammed = false;      // reset active low once programmed
    bool expressProgrammed = false;    // extended types only: parallel express output
    bool busyProgrammed = false;       // extended types only: busy pin pulled down

    // Faults of the part.
    uint8_t manufacturerCode = 0xC9;            // another value simulates a part of an unknown maker
    std::vector<std::pair<uint32_t, int>> weakWords;  // (word index, pulses needed: 2 or 3)
    std::vector<uint32_t> deadBits;             // array bit indexes that never program
};

// Pulses that reached a part in programming mode and programmed nothing, by cause.
struct RefusedPulses {
    uint64_t overVoltage = 0;    // 5 V selected where the part programs at 3.3 V
    uint64_t underVoltage = 0;   // 3.3 V selected where the part programs at 5 V
    uint64_t wrongProfile = 0;   // the control register did not select the part's pulse
    uint64_t disturbed = 0;      // a line or the control register changed before the pulse ended
    uint64_t releasedEarly = 0;  // an array pulse whose programming level was not held long enough
};

// The programmer box on the parallel port with a PROM socket, simulated at register level.
// Strict: a sequence the hardware would not accept gives wrong data or no answer (the rules
// are listed in README.md).
class SimulatedProgrammer final : public platform::RegisterPort {
public:
    // The micro controller answers a pulse request (a fall of data bit 7) after this delay
    // and holds status bit 7 low for the pulse width. One register access takes 1 µs.
    static constexpr uint64_t kPulseStartDelayMicroseconds = 20;
    static constexpr uint64_t kPulseWidthMicroseconds = 200;

    explicit SimulatedProgrammer(VirtualClock& clock, uint16_t portBase = 0x378);
    ~SimulatedProgrammer() override;

    void Write(uint16_t address, uint8_t value) override;
    uint8_t Read(uint16_t address) override;
    bool AccessLost() const override;
    std::string LostAccessText() const override;

    // The port the programmer hangs on: accesses to any other address reach nothing.
    void PlugInto(uint16_t portBase);
    uint16_t PortBase() const;

    // Socket. An inserted part's contents are cut or padded (erased) to its type's size.
    void InsertPart(const SimulatedProm& part);
    void InsertBlankPart(const PromDevice& type);
    void RemovePart();
    // Removes the part after `accesses` more register accesses (a part pulled mid-operation).
    void RemovePartAfter(uint64_t accesses);
    const SimulatedProm* Part() const;
    SimulatedProm* Part();
    // The part last taken out of the socket (or pulled), as it was then; nullptr if none was.
    const SimulatedProm* PulledPart() const;

    void SetFault(ProgrammerFault fault);
    // Sets `fault` after `accesses` more register accesses (a cable or battery that gives out
    // in the middle of an operation).
    void SetFaultAfter(ProgrammerFault fault, uint64_t accesses);

    // Observability.
    struct RegisterWrite {
        uint64_t timeMicroseconds;
        uint8_t offset;   // 0 data, 2 control (1: a write to the status register, which does nothing)
        uint8_t value;
    };
    void SetWriteLogEnabled(bool enabled);   // off by default: a 2 MiB read makes many writes
    const std::vector<RegisterWrite>& WriteLog() const;
    void ClearWriteLog();
    // 1 off, 2 read, 3 programming, appended on change. The socket's own modes: a programming
    // power-up shows as 2, 1, 3 because it first powers up in read mode.
    const std::vector<int>& PowerModeHistory() const;
    uint64_t PulsesGiven() const;          // pulses that acted on a settled part in programming mode
    const RefusedPulses& Refused() const;  // pulses that reached the part and programmed nothing
    uint64_t PulseRequests() const;        // every falling edge of data bit 7
    // PulsesGiven when the last fault or removal scheduled "after N accesses" took effect.
    uint64_t PulsesGivenBeforeScheduledEvent() const;
    uint64_t RegisterAccesses() const;

private:
    struct State;
    std::unique_ptr<State> state;
};

// Virtual chip files keep a simulated PROM between runs (format in README.md).
bool SaveChipFile(const std::string& path, const SimulatedProm& part, std::string& error);
bool LoadChipFile(const std::string& path, SimulatedProm& part, std::string& error);

}  // namespace sim
