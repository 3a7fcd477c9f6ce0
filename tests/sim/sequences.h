#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "catalog/prom_device.h"
#include "platform/register_port.h"
#include "sim/simulated_programmer.h"
#include "sim/virtual_clock.h"
#include "catalog_type.h"
#include "random_image.h"

// The station's direct-mode register sequences, written out independently of the engine so
// that the simulator is pinned against the sequences themselves. Every wait on status bit 7
// is bounded here, so a test fails instead of hanging.
class PortSequences {
public:
    // Deliberate departures from the sequences, each one a thing real hardware refuses.
    struct Deviations {
        bool skipReadPowerUpWait = false;       // the 200 ms of the read-mode power-up
        bool skipReadSettleWait = false;        // the 1000 ms after the read pattern
        bool skipDischargeWait = false;         // the 1000 ms after a power-off
        bool skipProgrammingEntryWaits = false; // the waits of the programming-mode power-up
        bool skipIdentifierWait = false;        // the 100 ms before the identifier count
        bool skipLoopBackWaits = false;         // the presence check's 100 ms and 10 ms
        bool skipPowerUpControl = false;        // no CTRL 0x01 at the power-ups
        bool flipSupplySelect = false;          // the other supply's S throughout
        bool swapPulseControl = false;          // variant A pulses under control 5, variant B under 2
        bool releasePulseEarly = false;         // variant A: level released after one low read
        bool skipPulseEndWait = false;          // variant A: read back as soon as the pulse ends
        bool clockDuringPulse = false;          // an address clock while the pulse runs
        bool readModeClockInProgramming = false;// word reading with the read-mode clock
        bool readBackSinglePulse = false;       // variant B words read back like variant A
    };
    Deviations deviations;

    PortSequences(platform::RegisterPort& port, sim::VirtualClock& clock, uint16_t base = 0x378)
        : port(port), clock(clock), base(base) {}

    // Register level.
    void Data(uint8_t value) { port.Write(base, value); }
    void Ctrl(uint8_t value) { port.Write(static_cast<uint16_t>(base + 2), value); }
    uint8_t Status() { return port.Read(static_cast<uint16_t>(base + 1)); }
    void DelayMs(uint32_t milliseconds);

    // Power modes and clocks. `resetHigh` is the station's belief about the reset polarity.
    void PowerOff(int16_t supply);
    void PowerProgramming(int16_t supply);
    void PowerRead(const PromDevice& device, bool resetHigh);
    void ResetAddressCounter(const PromDevice& device, bool resetHigh);
    void ClockProgramming(int16_t supply, uint32_t count = 1);
    void ClockRead(const PromDevice& device, bool resetHigh);

    // 0 present, 1 loop-back failed, 2 no pulse seen.
    int CheckProgrammer();

    struct Identifier {
        uint8_t manufacturer;
        uint8_t device;
    };
    Identifier ReadIdentifier(uint32_t clocks, int16_t supply);
    // Probes as identification does; the matching catalogue name, or "" for none.
    std::string Identify();

    struct OptionBits {
        bool resetProgrammed = false;
        bool expressProgrammed = false;
        bool busyProgrammed = false;
    };
    OptionBits ReadOptionBits(const PromDevice& device);

    // The whole array in the buffer layout. Serial reading leaves /CEO's last reading in `ceoHigh`.
    std::vector<uint8_t> ReadSerial(const PromDevice& device, bool resetHigh, bool* ceoHigh = nullptr);
    // Word reading in programming mode; `wordLimit` stops early on large parts.
    std::vector<uint8_t> ReadWords(const PromDevice& device, uint32_t wordLimit = UINT32_MAX);

    // One word at the part's current address. Variant A returns the pulses it took (1 to 3),
    // 0 when the word still reads back wrong or the programmer did not answer; variant B
    // (no read-back) returns 1, or 0 when the programmer did not answer.
    int ProgramWord(const PromDevice& device, const uint8_t* word);
    // Powers up, programs every word of `image` and powers off. The index of the first
    // word that failed, or -1.
    int64_t ProgramArray(const PromDevice& device, const std::vector<uint8_t>& image);

    enum class Option { Reset, Express, Busy };
    // The option-bit programming sequence; true when the part answers that the bit is
    // programmed. `spoilOneBit` shifts in one 1 among the zeros.
    bool ProgramOption(const PromDevice& device, Option option, bool spoilOneBit = false);

private:
    // Reads the status until `count` reads in a row show bit 7 equal to `level`.
    bool WaitPulseLevel(bool level, int count);
    uint8_t S(int16_t supply) const;
    bool ReadBackMatches(uint8_t s, const uint8_t* word, uint32_t bits);

    platform::RegisterPort& port;
    sim::VirtualClock& clock;
    uint16_t base;
};

std::vector<const PromDevice*> CatalogTypes();

// A simulated programmer with a part of the given type in the socket.
struct SimBench {
    explicit SimBench(const std::string& typeName = "") {
        if (!typeName.empty()) {
            programmer.InsertBlankPart(CatalogType(typeName));
        }
    }
    sim::VirtualClock clock;
    sim::SimulatedProgrammer programmer{clock};
    PortSequences port{programmer, clock};
};
