// A programmer fault at any moment of any operation: for each operation, mode and type, a clean
// run counts the operation's register accesses A, then each fault starts at evenly spaced and
// at seeded random points in [0, A). Every run must end, report success only when the result is
// right, leave the socket off, keep the buffer, and pulse nothing once the fault has struck
// beyond the word it struck in.
//
// PROM_FAULT_SWEEP_POINTS sets the evenly spaced points per fault (as many random ones are
// added); the test command uses a few, scripts/fault-sweep.sh runs 32 + 32.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "catalog_type.h"
#include "engine/programmer.h"
#include "platform/platform_value.h"
#include "random_image.h"
#include "station/simulated_station.h"

namespace {

enum class Mode { Direct, Driver };
enum class Operation { Identify, BlankCheck, Read, Verify, Program, ProgramWithOptions, OptionBits };
enum class Fault { Absent, FlatBattery, NoPulse, EndlessPulse, Pulled, PortLost };

constexpr Operation kOperations[] = {Operation::Identify, Operation::BlankCheck,         Operation::Read,
                                     Operation::Verify,   Operation::ProgramWithOptions, Operation::Program,
                                     Operation::OptionBits};
constexpr Fault kFaults[] = {Fault::Absent, Fault::FlatBattery, Fault::NoPulse,
                             Fault::EndlessPulse, Fault::Pulled, Fault::PortLost};

const char* Name(Operation operation) {
    static const char* const kNames[] = {"identify", "blank check", "read", "verify", "program",
                                         "program with options", "option bits"};
    return kNames[static_cast<int>(operation)];
}
const char* Name(Fault fault) {
    static const char* const kNames[] = {"absent", "flat battery", "no pulse", "endless pulse", "pulled",
                                         "port lost"};
    return kNames[static_cast<int>(fault)];
}

bool Programs(Operation operation) {
    return operation == Operation::Program || operation == Operation::ProgramWithOptions ||
           operation == Operation::OptionBits;
}

// Time an operation may take beyond its clean run once a fault struck: the pulse and power
// waits of one word or option bit; identification may also run the rest of its probe list
// (the time it takes on an empty socket).
constexpr uint64_t kAllowanceMicroseconds = 10'000'000;

struct Figures {
    uint64_t runs = 0;
    uint64_t silentSuccesses = 0;
    uint64_t notEnded = 0;
    uint64_t leftPowered = 0;
    uint64_t failures = 0;
    void Add(const Figures& other) {
        runs += other.runs;
        silentSuccesses += other.silentSuccesses;
        notEnded += other.notEnded;
        leftPowered += other.leftPowered;
        failures += other.failures;
    }
};

Figures& Totals() {
    static Figures totals;
    return totals;
}

// Printed once every sweep of the run has ended.
class TotalsPrinter final : public testing::Environment {
public:
    void TearDown() override {
        const Figures& t = Totals();
        if (t.runs > 0) {
            std::printf("fault sweep, all: %llu runs, %llu failed as they should, %llu silent successes, "
                        "%llu did not end, %llu left powered\n",
                        static_cast<unsigned long long>(t.runs), static_cast<unsigned long long>(t.failures),
                        static_cast<unsigned long long>(t.silentSuccesses),
                        static_cast<unsigned long long>(t.notEnded), static_cast<unsigned long long>(t.leftPowered));
        }
    }
};
[[maybe_unused]] testing::Environment* const kTotalsPrinter = testing::AddGlobalTestEnvironment(new TotalsPrinter);

// Parts above a megabit take a good part of a second a run: the test command gives them one
// point of each kind per fault (and none under the sanitizers), the small ones three.
constexpr uint32_t kLargePartBits = 1u << 20;

uint32_t PointsPerFault(const PromDevice& type) {
    if (const char* text = std::getenv("PROM_FAULT_SWEEP_POINTS")) {
        return static_cast<uint32_t>(std::max(1L, std::strtol(text, nullptr, 10)));
    }
#if defined(__SANITIZE_ADDRESS__)
    return type.sizeBits > kLargePartBits ? 0 : 1;
#else
    return type.sizeBits > kLargePartBits ? 1 : 3;
#endif
}

// Data at both ends of the part and erased between: enough to tell any shift or loss, few pulses.
std::vector<uint8_t> SparseImage(uint32_t bytes) {
    std::vector<uint8_t> image(bytes, 0xFF);
    const std::vector<uint8_t> data = RandomImage(std::min<uint32_t>(bytes / 4, 512), 99);
    std::copy(data.begin(), data.end(), image.begin());
    std::copy(data.begin(), data.end(), image.end() - static_cast<long>(data.size()));
    return image;
}

uint32_t OptionRequest(const PromDevice& type) {
    return PROGRAM_RESET_LOW | (IsExtended(type) ? PROGRAM_EXPRESS_PARALLEL | PROGRAM_BUSY_PULLDOWN : 0);
}

// One run: a fresh station, the part the operation needs, identified (but for identification
// itself), then the operation with the fault scheduled from its start.
class SweepRun {
public:
    // `erased`: the part holds nothing, whatever the operation would like.
    SweepRun(Mode mode, const PromDevice& type, Operation operation, bool erased = false)
        : programmer(mode == Mode::Direct ? platform::kDirectPortFamilyVersion : platform::kDriverFamilyVersion,
                     &station.programmer),
          operation(operation), image(SparseImage(type.sizeBits / 8)) {
        sim::SimulatedProm part;
        part.type = type;
        part.contents = image;
        if (erased || operation == Operation::Program || operation == Operation::ProgramWithOptions) {
            part.contents.assign(image.size(), 0xFF);
        }
        if (operation == Operation::Verify) {
            part.contents.back() &= 0x7F;   // a part the buffer must not pass for
        }
        station.programmer.InsertPart(part);
        if (operation != Operation::Identify) {
            ready = programmer.Identify(true);
            std::copy(image.begin(), image.end(), programmer.buffer.get());
        }
    }

    // Runs the operation; true when it reported success.
    bool Run(Fault fault, uint64_t afterAccesses) {
        Schedule(fault, afterAccesses);
        startAccesses = station.programmer.RegisterAccesses();
        startMicroseconds = station.clock.NowMicroseconds();
        const bool succeeded = RunOperation();
        accesses = station.programmer.RegisterAccesses() - startAccesses;
        elapsed = station.clock.NowMicroseconds() - startMicroseconds;
        return succeeded;
    }
    bool RunClean() { return Run(Fault::Absent, UINT64_MAX); }

    // Whether a reported success told the truth about the part.
    bool ResultRight() {
        // A part pulled after the operation's last look at it is judged as it was then.
        const sim::SimulatedProm* part =
            station.programmer.Part() ? station.programmer.Part() : station.programmer.PulledPart();
        const PromDevice& type = part->type;
        switch (operation) {
        case Operation::Identify:
            return programmer.currentDevice && programmer.currentDevice->name == type.name &&
                   (programmer.resetPolarity == 0) == part->resetProgrammed;
        case Operation::BlankCheck:
        case Operation::Verify:
            return false;   // the part is neither blank nor the buffer's
        case Operation::Read:
            return std::equal(part->contents.begin(), part->contents.end(), programmer.buffer.get());
        case Operation::Program:
            return part->contents == image;
        case Operation::ProgramWithOptions:
        case Operation::OptionBits:
            return part->contents == image && part->resetProgrammed &&
                   (!IsExtended(type) || (part->expressProgrammed && part->busyProgrammed));
        }
        return false;
    }
    bool BufferKept() const { return std::equal(image.begin(), image.end(), programmer.buffer.get()); }
    bool SocketOff() const {
        const std::vector<int>& modes = station.programmer.PowerModeHistory();
        return modes.empty() || modes.back() == 1;
    }
    uint64_t PulsesAfterFault() const {
        return station.programmer.PulsesGiven() - station.programmer.PulsesGivenBeforeScheduledEvent();
    }

    sim::SimulatedStation station;
    Programmer programmer;
    Operation operation;
    std::vector<uint8_t> image;
    bool ready = true;
    uint64_t startAccesses = 0;
    uint64_t startMicroseconds = 0;
    uint64_t accesses = 0;
    uint64_t elapsed = 0;

private:
    void Schedule(Fault fault, uint64_t after) {
        sim::SimulatedProgrammer& box = station.programmer;
        switch (fault) {
        case Fault::Absent:
            box.SetFaultAfter(sim::ProgrammerFault::Absent, after);
            break;
        case Fault::FlatBattery:
            box.SetFaultAfter(sim::ProgrammerFault::FlatBattery, after);
            break;
        case Fault::NoPulse:
            box.SetFaultAfter(sim::ProgrammerFault::NoPulseAnswer, after);
            break;
        case Fault::EndlessPulse:
            box.SetFaultAfter(sim::ProgrammerFault::EndlessPulse, after);
            break;
        case Fault::Pulled:
            box.RemovePartAfter(after);
            break;
        case Fault::PortLost:
            box.SetFaultAfter(sim::ProgrammerFault::PortLost, after);
            break;
        }
    }

    bool RunOperation() {
        uint16_t progress = 0;
        switch (operation) {
        case Operation::Identify:
            return programmer.Identify(true);
        case Operation::BlankCheck:
            return programmer.BlankCheck() == 1;
        case Operation::Read:
            programmer.ReadPart();
            return programmer.failureText.empty();
        case Operation::Verify:
            return programmer.VerifyDevice(&progress, programmer.buffer.get()) == 0 && progress == 100;
        case Operation::Program:
        case Operation::ProgramWithOptions: {
            ProgramConflicts conflicts;
            if (!programmer.CheckPartTakesBuffer(conflicts)) {
                return false;
            }
            const uint32_t options =
                PROGRAM_ARRAY | (operation == Operation::ProgramWithOptions ? OptionRequest(*programmer.currentDevice) : 0);
            return programmer.ProgramDevice(&progress, options, 0, 0) == 0 && progress == 100;
        }
        case Operation::OptionBits:
            return programmer.ProgramDevice(&progress, OptionRequest(*programmer.currentDevice), 0, 0) == 0;
        }
        return false;
    }
};

// The fault points: `count` evenly spaced in [0, accesses), and as many drawn with a fixed seed.
std::vector<uint64_t> FaultPoints(uint64_t accesses, uint32_t count, uint32_t seed) {
    std::vector<uint64_t> points;
    std::mt19937_64 random(seed);
    for (uint32_t i = 0; i < count; ++i) {
        points.push_back(accesses * i / count);
        points.push_back(random() % std::max<uint64_t>(accesses, 1));
    }
    return points;
}

class FaultSweep : public testing::TestWithParam<std::tuple<Mode, const char*>> {};

TEST_P(FaultSweep, EveryOperationFailsSafelyAtEveryPoint) {
    const auto [mode, typeName] = GetParam();
    const PromDevice& type = CatalogType(typeName);
    const uint32_t points = PointsPerFault(type);
    if (points == 0) {
        GTEST_SKIP() << "too slow under the sanitizers; the plain build sweeps it";
    }
    Figures figures;
    uint64_t probeListMicroseconds = 0;
    {
        SweepRun empty(mode, type, Operation::Identify);
        empty.station.programmer.RemovePart();
        empty.RunClean();
        probeListMicroseconds = empty.elapsed;
    }
    for (const Operation operation : kOperations) {
        SweepRun clean(mode, type, operation);
        ASSERT_TRUE(clean.ready);
        clean.RunClean();
        // A blank check ends at the first programmed byte, but one that sees only ones (as a
        // fault shows them) looks at the whole array.
        uint64_t longestClean = clean.elapsed;
        if (operation == Operation::BlankCheck) {
            SweepRun erased(mode, type, operation, true);
            erased.RunClean();
            longestClean = std::max(longestClean, erased.elapsed);
        }
        for (const Fault fault : kFaults) {
            for (const uint64_t point : FaultPoints(clean.accesses, points, 7)) {
                SCOPED_TRACE(std::string(Name(operation)) + ", " + Name(fault) + " after " + std::to_string(point));
                SweepRun run(mode, type, operation);
                ASSERT_TRUE(run.ready);
                const std::string failureBefore = run.programmer.failureText;
                const bool succeeded = run.Run(fault, point);
                ++figures.runs;
                const uint64_t allowance = kAllowanceMicroseconds +
                                           (operation == Operation::Identify ? probeListMicroseconds : 0);
                if (run.elapsed > longestClean + allowance) {
                    ++figures.notEnded;
                    ADD_FAILURE() << "took " << run.elapsed << " µs against " << clean.elapsed << " clean";
                }
                if (succeeded && !run.ResultRight()) {
                    ++figures.silentSuccesses;
                    ADD_FAILURE() << "reported success with a wrong result";
                }
                if (!succeeded) {
                    ++figures.failures;
                    if (operation != Operation::Identify && operation != Operation::BlankCheck) {
                        EXPECT_FALSE(run.programmer.failureText.empty());
                    }
                }
                // With the port itself gone nothing reaches the programmer, a power-off included.
                if (fault != Fault::PortLost && !run.SocketOff()) {
                    ++figures.leftPowered;
                    ADD_FAILURE() << "socket left powered";
                }
                if (operation != Operation::Identify && operation != Operation::Read) {
                    EXPECT_TRUE(run.BufferKept());
                }
                // At most the retries of the word or option bit the fault struck in. A flat battery
                // is the exception: its words still read back right after a second pulse, so
                // programming rightly goes on until the margin verify finds the weak cells.
                if (fault != Fault::FlatBattery) {
                    EXPECT_LE(run.PulsesAfterFault(), Programs(operation) ? 3u : 0u);
                }
            }
        }
    }
    std::printf("fault sweep, %s %s: %llu runs (7 operations x 6 faults x %u points), %llu silent successes, "
                "%llu did not end, %llu left powered\n",
                typeName, mode == Mode::Direct ? "direct" : "driver", static_cast<unsigned long long>(figures.runs),
                2 * points, static_cast<unsigned long long>(figures.silentSuccesses),
                static_cast<unsigned long long>(figures.notEnded), static_cast<unsigned long long>(figures.leftPowered));
    Totals().Add(figures);
}

INSTANTIATE_TEST_SUITE_P(TypesAndModes, FaultSweep,
                         testing::Combine(testing::Values(Mode::Direct, Mode::Driver),
                                          testing::Values("XC1718L", "XC1765D", "XC17V04", "XC17V08")),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param) == Mode::Direct ? "Direct_" : "Driver_") +
                                    std::get<1>(info.param);
                         });

}  // namespace
