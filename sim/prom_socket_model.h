#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "sim/simulated_programmer.h"

namespace sim {

// Data-register lines as the PROM socket uses them.
namespace line {
constexpr uint8_t kClock = 0x01;
constexpr uint8_t kSerialIn = 0x02;       // set for a 0 bit while a word is shifted in
constexpr uint8_t kSupplySelect = 0x04;   // set for a 3.3 V programming supply
constexpr uint8_t kReset = 0x08;          // reset / output enable; selects data clocks in mode 3
constexpr uint8_t kShift = 0x10;          // data in; its fall loads the output register
constexpr uint8_t kReadLevel33 = 0x20;    // set for a part read at 3.3 V
constexpr uint8_t kSupply = 0x40;
constexpr uint8_t kProgramLevel = 0x80;   // its fall asks the programmer for a pulse
}  // namespace line

// Locations of the express-output and busy-pin bits of extended parts, in address clocks.
constexpr uint32_t kExpressLocation = 0x200A0;
constexpr uint32_t kBusyLocation = 0x200C0;

enum class SocketMode : int { Off = 1, Read = 2, Programming = 3 };

// The socket and the PROM in it, driven by the data-register lines. Knows nothing of the
// programmer box: the box tells it when a programming pulse starts.
class PromSocketModel {
public:
    // The part comes up unpowered or, in a socket whose supply is on, in read mode.
    void Insert(const SimulatedProm& part, uint8_t lines);
    void Remove();
    SimulatedProm* Part() { return part ? &*part : nullptr; }
    const SimulatedProm* Part() const { return part ? &*part : nullptr; }

    // The data lines change from `before` to `after`.
    void OnDataLines(uint8_t before, uint8_t after);
    // A programming pulse starts with the present lines. True when it reached a part in
    // programming mode (it may still have changed nothing).
    bool ApplyPulse();

    // What the part drives onto the status register: bit 4 (its data output, which the
    // loop-back overrides while data bit 4 is set) and bit 5. An absent or unpowered part,
    // or one that gives nothing, leaves both high.
    uint8_t Outputs() const;

    const std::vector<int>& ModeHistory() const { return modeHistory; }

private:
    using Word = unsigned __int128;   // one PROM word of up to 128 bits, bit 0 first

    void EnterMode(SocketMode next);
    void OnReadLines(uint8_t rose);
    void OnProgrammingLines(uint8_t rose, uint8_t fell);
    void LoadOutputRegister();
    void PushInputBit(bool bit);
    void ProgramArrayWord(uint32_t word);
    void ProgramOptionBit();
    bool ResetActive() const;
    bool ReadLevelMatches() const;
    uint32_t WordSize() const;
    uint32_t WordCount() const;
    bool StoredBit(uint32_t index) const;

    std::optional<SimulatedProm> part;
    std::vector<int> weakWordPulses;   // pulses each entry of part->weakWords has had
    std::vector<int> modeHistory;

    SocketMode mode = SocketMode::Off;
    uint8_t lines = 0;
    bool armed = false;   // clocked with the supply off and the programming level on

    // Read mode.
    uint32_t bitCounter = 0;

    // Programming mode.
    uint32_t wordCounter = 0;
    Word inputRegister = 0;
    Word outputRegister = 0;
    uint32_t outputLength = 0;
    uint32_t outputPosition = 0;
    bool optionStatus = true;   // status bit 5: the option bit last loaded, 1 when programmed
};

}  // namespace sim
