// A production day in one Programmer: 1,000 XC1765D parts identified, checked, programmed and
// verified one after another. Memory must not grow with the parts (peak after 10 and after 1,000
// within 1 MiB) and the time per part must stay flat from the first hundred to the last.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <ctime>
#include <vector>

#include "engine/programmer.h"
#include "platform/platform_value.h"
#include "station/simulated_station.h"

namespace {

// CPU time of this thread: the figure a busy machine does not spoil.
double CpuSeconds() {
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double PeakMiB() {
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;   // kilobytes on Linux
}

void ThousandParts(benchmark::State& state) {
    constexpr int kParts = 1000;
    const bool direct = state.range(0) != 0;
    for (auto _ : state) {
        sim::SimulatedStation station;
        Programmer programmer(direct ? platform::kDirectPortFamilyVersion : platform::kDriverFamilyVersion,
                              &station.programmer);
        const PromDevice& type = *programmer.FindByName("XC1765D");
        std::vector<double> seconds;
        double peakAfter10 = 0;
        for (int part = 0; part < kParts; ++part) {
            const double start = CpuSeconds();
            station.programmer.InsertBlankPart(type);
            ProgramConflicts conflicts;
            uint16_t progress = 0;
            bool passed = programmer.CheckProgrammer() == 0 && programmer.Identify(true);
            if (passed) {
                for (uint32_t i = 0; i < programmer.bufferLength; ++i) {
                    programmer.buffer[i] = static_cast<uint8_t>(i * 37 + part);
                }
                passed = programmer.CheckPartTakesBuffer(conflicts) &&
                         programmer.ProgramDevice(&progress, PROGRAM_ARRAY | PROGRAM_RESET_LOW, 0, 0) == 0;
            }
            if (!passed) {
                state.SkipWithError("a part failed");
                return;
            }
            seconds.push_back(CpuSeconds() - start);
            if (part == 9) {
                peakAfter10 = PeakMiB();
            }
        }
        const auto average = [&seconds](size_t from) {
            double sum = 0;
            for (size_t i = from; i < from + 100; ++i) {
                sum += seconds[i];
            }
            return sum / 100 * 1000;
        };
        state.counters["peak_MiB_after_10"] = peakAfter10;
        state.counters["peak_MiB_after_1000"] = PeakMiB();
        state.counters["cpu_ms_per_part_first_100"] = average(0);
        state.counters["cpu_ms_per_part_last_100"] = average(kParts - 100);
    }
}
BENCHMARK(ThousandParts)->Arg(1)->Arg(0)->ArgName("direct")->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
