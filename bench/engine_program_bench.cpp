// Program with verify through the engine against the simulated programmer, in direct mode and
// through the port driver: real CPU time, simulated register accesses per second and the
// hardware time the simulated station would take.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>

#include "engine/programmer.h"
#include "platform/platform_value.h"
#include "station/simulated_station.h"

namespace {

enum class Mode { Direct, Driver };

void ProgramAndVerify(benchmark::State& state, const char* typeName, Mode mode) {
    sim::SimulatedStation station;
    auto programmer =
        mode == Mode::Direct
            ? std::make_unique<Programmer>(platform::kDirectPortFamilyVersion, &station.programmer)
            : std::make_unique<Programmer>(platform::kDriverFamilyVersion);
    const PromDevice* type = programmer->FindByName(typeName);
    if (!type) {
        state.SkipWithError("unknown type");
        return;
    }
    station.programmer.InsertBlankPart(*type);
    if (!programmer->Identify(true)) {
        state.SkipWithError("part not identified");
        return;
    }
    std::mt19937 random(1);
    std::generate_n(programmer->buffer.get(), programmer->bufferLength,
                    [&random] { return static_cast<uint8_t>(random()); });

    uint64_t accesses = 0;
    uint64_t simulatedMicroseconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        station.programmer.InsertBlankPart(*type);
        const uint64_t accessesBefore = station.programmer.RegisterAccesses();
        const uint64_t microsecondsBefore = station.clock.NowMicroseconds();
        state.ResumeTiming();

        uint16_t progress = 0;
        if (programmer->ProgramDevice(&progress, PROGRAM_ARRAY, 0, 0) != 0 || progress != 100) {
            state.SkipWithError("program and verify failed");
            return;
        }
        accesses += station.programmer.RegisterAccesses() - accessesBefore;
        simulatedMicroseconds += station.clock.NowMicroseconds() - microsecondsBefore;
    }
    state.counters["accesses/s"] = benchmark::Counter(static_cast<double>(accesses), benchmark::Counter::kIsRate);
    state.counters["accesses"] = benchmark::Counter(static_cast<double>(accesses), benchmark::Counter::kAvgIterations);
    state.counters["simulated_s"] =
        benchmark::Counter(static_cast<double>(simulatedMicroseconds) / 1e6, benchmark::Counter::kAvgIterations);
}

#define PROGRAM_AND_VERIFY(type, mode)                                                \
    BENCHMARK_CAPTURE(ProgramAndVerify, type##_##mode, #type, Mode::mode)             \
        ->Unit(benchmark::kMillisecond)

PROGRAM_AND_VERIFY(XC17V16, Direct)->Iterations(1);
PROGRAM_AND_VERIFY(XC17V16, Driver)->Iterations(1);
PROGRAM_AND_VERIFY(XC1765D, Direct);
PROGRAM_AND_VERIFY(XC1765D, Driver);

}  // namespace
