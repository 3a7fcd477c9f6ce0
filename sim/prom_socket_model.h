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
constexpr uint8_t kSupplySelect = 0x04;   // set for a 3.3 V supply
constexpr uint8_t kReset = 0x08;          // reset / output enable; selects data clocks in mode 3
constexpr uint8_t kShift = 0x10;          // data in; its fall loads the output register
constexpr uint8_t kReadLevel33 = 0x20;    // set for a part read at 3.3 V
constexpr uint8_t kSupply = 0x40;
constexpr uint8_t kProgramLevel = 0x80;   // its fall asks the programmer for a pulse
}  // namespace line

// Control-register bit that disconnects the socket (the off pattern 0x0B has it).
constexpr uint8_t kControlDisconnect = 0x08;

// Locations of the express-output and busy-pin bits of extended parts, in address clocks.
constexpr uint32_t kExpressLocation = 0x200A0;
constexpr uint32_t kBusyLocation = 0x200C0;

enum class SocketMode : int { Off = 1, Read = 2, Programming = 3 };

// What a programming pulse did when it ended.
enum class PulseEffect {
    NoTarget,       // no part in a settled programming mode
    Acted,          // the part took the pulse (bits may or may not have changed)
    OverVoltage,    // 5 V selected for a location programmed at 3.3 V: nothing programmed
    UnderVoltage,   // 3.3 V selected for a location programmed at 5 V: nothing programmed
    WrongProfile,   // the control register did not select this part's pulse: nothing programmed
};

// The socket and the PROM in it, driven by the data and control lines over virtual time.
// Knows nothing of the programmer box: the box tells it when a programming pulse has run.
class PromSocketModel {
public:
    // The part comes up unpowered or, in a socket whose supply is on, in an undefined state
    // (read mode, giving nothing) until the socket is powered off and up again.
    void Insert(const SimulatedProm& part, uint64_t now);
    void Remove();
    SimulatedProm* Part() { return part ? &*part : nullptr; }
    // The part last taken out, as it was then.
    const SimulatedProm* Pulled() const { return pulled ? &*pulled : nullptr; }
    const SimulatedProm* Part() const { return part ? &*part : nullptr; }

    // The data or control register was written.
    void OnLines(uint8_t data, uint8_t control, uint64_t now);
    // True while a part sits settled in programming mode.
    bool TakesPulses(uint64_t now) const;
    // A programming pulse requested with `lines` and `control` has run its full width
    // undisturbed. With a `sagging` supply (a flat battery) it programs only some bits.
    PulseEffect ApplyPulse(uint8_t lines, uint8_t control, uint64_t now, bool sagging);

    // What the part drives onto the status register: bit 4 (its data output, which the
    // loop-back overrides while data bit 4 is set) and bit 5. An absent, unpowered or
    // unsettled part leaves both high.
    uint8_t Outputs(uint64_t now) const;

    const std::vector<int>& ModeHistory() const { return modeHistory; }

private:
    using Word = unsigned __int128;   // one PROM word of up to 128 bits, bit 0 first

    bool Powered() const;
    bool LevelHeld() const;
    void OnSupplyRise(uint64_t now);
    void OnSupplyFall(uint64_t now);
    void OnUnpoweredLines(uint8_t rose, uint64_t now);
    void EnterMode(SocketMode next);
    void OnReadLines(uint8_t rose, uint8_t fell, uint64_t now);
    void OnProgrammingLines(uint8_t rose, uint8_t fell, uint64_t now);
    bool Settled(uint64_t now) const;
    void LoadOutputRegister(uint64_t now);
    void PushInputBit(bool bit);
    PulseEffect ProgramArrayWord(uint32_t word, uint8_t lines, uint8_t control, uint64_t now, bool sagging);
    PulseEffect ProgramOptionBit(uint8_t lines, uint8_t control, bool sagging);
    bool ResetActive() const;
    bool ReadSupplyMatches() const;
    bool ProgramSupplyMatches() const;
    uint32_t WordSize() const;
    uint32_t WordCount() const;
    bool StoredBit(uint32_t index) const;

    std::optional<SimulatedProm> part;
    std::optional<SimulatedProm> pulled;
    std::vector<int> weakWordPulses;   // pulses each entry of part->weakWords has had
    std::vector<int> modeHistory;

    SocketMode mode = SocketMode::Off;
    uint8_t lines = 0;
    uint8_t control = 0;

    // Power history of the socket (kept when parts change).
    bool everPowered = false;
    bool poweredOk = false;         // the last power-up came after a full discharge
    uint64_t poweredAt = 0;
    bool fullyOff = true;           // supply and programming level both gone
    uint64_t fullyOffAt = 0;
    // Programming-mode entry: a good powered phase, off under the programming level, two clocks.
    bool entryPhaseGood = false;
    uint64_t offAt = 0;
    int armingClocks = 0;
    uint64_t lastArmingClockAt = 0;

    // Read mode: waits for the read pattern (data bit 4 falls), then settles.
    bool readPatternSeen = false;
    // Time from which the part's outputs and clocks are valid; never when the power-up failed.
    uint64_t settledAt = 0;
    uint32_t bitCounter = 0;

    // Programming mode.
    uint64_t programmingEnteredAt = 0;
    std::optional<uint64_t> firstAddressClockAt;
    uint64_t cellsValidAt = 0;      // array cells read back valid from then on after a pulse
    uint32_t wordCounter = 0;
    Word inputRegister = 0;
    Word outputRegister = 0;
    uint32_t outputLength = 0;
    uint32_t outputPosition = 0;
    bool optionStatus = true;   // status bit 5: the option bit last loaded, 1 when programmed
};

}  // namespace sim
