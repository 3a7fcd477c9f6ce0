// Read and blank check through the engine against the simulated programmer, in direct mode
// and through the port driver: real CPU time, simulated register accesses per second and the
// hardware time the simulated station would take.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <random>

#include "engine/programmer.h"
#include "platform/platform_value.h"
#include "station/simulated_station.h"

namespace {

enum class Mode { Direct, Driver };
enum class Operation { Read, BlankCheck };

void EngineStream(benchmark::State& state, const char* typeName, Mode mode, Operation operation) {
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
    // A blank part makes the blank check stream the whole array; the read gets random data.
    sim::SimulatedProm part;
    part.type = *type;
    part.contents.assign(type->sizeBits / 8, 0xFF);
    if (operation == Operation::Read) {
        std::mt19937 random(1);
        for (uint8_t& b : part.contents) b = static_cast<uint8_t>(random());
    }
    station.programmer.InsertPart(part);
    if (!programmer->Identify(true)) {
        state.SkipWithError("part not identified");
        return;
    }

    const uint64_t accessesBefore = station.programmer.RegisterAccesses();
    const uint64_t microsecondsBefore = station.clock.NowMicroseconds();
    for (auto _ : state) {
        if (operation == Operation::Read) {
            programmer->ReadPart();
        } else {
            benchmark::DoNotOptimize(programmer->BlankCheck());
        }
    }
    const double accesses = static_cast<double>(station.programmer.RegisterAccesses() - accessesBefore);
    const double simulatedSeconds =
        static_cast<double>(station.clock.NowMicroseconds() - microsecondsBefore) / 1e6;
    state.counters["accesses/s"] = benchmark::Counter(accesses, benchmark::Counter::kIsRate);
    state.counters["accesses"] = benchmark::Counter(accesses, benchmark::Counter::kAvgIterations);
    state.counters["simulated_s"] = benchmark::Counter(simulatedSeconds, benchmark::Counter::kAvgIterations);
}

#define ENGINE_STREAM(type, mode, operation)                                                       \
    BENCHMARK_CAPTURE(EngineStream, type##_##mode##_##operation, #type, Mode::mode, Operation::operation) \
        ->Unit(benchmark::kMillisecond)

ENGINE_STREAM(XC17V16, Direct, Read);
ENGINE_STREAM(XC17V16, Driver, Read);
ENGINE_STREAM(XC17V16, Direct, BlankCheck);
ENGINE_STREAM(XC17V16, Driver, BlankCheck);
ENGINE_STREAM(XC1765D, Direct, Read);
ENGINE_STREAM(XC1765D, Driver, Read);
ENGINE_STREAM(XC1765D, Direct, BlankCheck);
ENGINE_STREAM(XC1765D, Driver, BlankCheck);

}  // namespace
