// What one register access costs the station on a real port, apart from the port itself:
// through ppdev (one ioctl system call per access, here a real round trip into this machine's
// kernel) and in direct mode with raw port access (the engine's own work per access).
#include <benchmark/benchmark.h>
#include <sys/ioctl.h>
#include <linux/ppdev.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "driver/kernel_calls.h"
#include "driver/ppdev_port.h"
#include "engine/programmer.h"
#include "platform/platform_value.h"
#include "station/simulated_station.h"

namespace {

// A kernel whose every ioctl is a real system call that does next to nothing (FIONREAD on a
// pipe), answered from the simulated programmer, so the ppdev class runs whole operations.
class RoundTripKernel final : public driver::KernelCalls {
public:
    explicit RoundTripKernel(platform::RegisterPort& hardware) : hardware(hardware) {
        if (::pipe(pipeEnds) != 0) {
            pipeEnds[0] = pipeEnds[1] = -1;
        }
    }
    ~RoundTripKernel() override {
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
    }
    int Open(const char*, int) override { return pipeEnds[0]; }
    int Close(int) override { return 0; }
    int Ioctl(int fd, unsigned long request, void* argument) override {
        int pending = 0;
        if (::ioctl(fd, FIONREAD, &pending) != 0) {
            return -1;
        }
        auto* byte = static_cast<unsigned char*>(argument);
        switch (request) {
        case PPWDATA:
            hardware.Write(0x378, *byte);
            break;
        case PPWCONTROL:
            hardware.Write(0x37A, *byte);
            break;
        case PPRSTATUS:
            *byte = hardware.Read(0x379);
            break;
        default:
            break;
        }
        return 0;
    }
    int Ioperm(unsigned long, unsigned long, int) override { return 0; }
    uint8_t In(uint16_t address) override { return hardware.Read(address); }
    void Out(uint16_t address, uint8_t value) override { hardware.Write(address, value); }

private:
    platform::RegisterPort& hardware;
    int pipeEnds[2];
};

void IoctlRoundTrip(benchmark::State& state) {
    int ends[2];
    if (::pipe(ends) != 0) {
        state.SkipWithError("no pipe");
        return;
    }
    int pending = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(::ioctl(ends[0], FIONREAD, &pending));
    }
    ::close(ends[0]);
    ::close(ends[1]);
}
BENCHMARK(IoctlRoundTrip);

// An XC1765D read in direct mode, the port reached through `port`: CPU time per access.
void ReadThrough(benchmark::State& state, sim::SimulatedStation& station, platform::RegisterPort& port) {
    station.programmer.InsertBlankPart(*DeviceCatalog::Standard().FindByName("XC1765D"));
    Programmer programmer(platform::kDirectPortFamilyVersion, &port);
    if (!programmer.Identify(true)) {
        state.SkipWithError("part not identified");
        return;
    }
    const uint64_t before = station.programmer.RegisterAccesses();
    for (auto _ : state) {
        programmer.ReadPart();
    }
    const double accesses = static_cast<double>(station.programmer.RegisterAccesses() - before);
    // Seconds per access ("21n" is 21 ns).
    state.counters["s/access"] =
        benchmark::Counter(accesses, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The engine and the simulator alone: what direct mode on a raw port adds to the port's own time.
void DirectModeAccess(benchmark::State& state) {
    sim::SimulatedStation station;
    ReadThrough(state, station, station.programmer);
}
BENCHMARK(DirectModeAccess)->Unit(benchmark::kMillisecond);

// The real ppdev class with a system call per access.
void PpdevAccess(benchmark::State& state) {
    sim::SimulatedStation station;
    RoundTripKernel kernel(station.programmer);
    // A made-up listing of one port is enough for the open.
    const std::filesystem::path root =
        std::filesystem::temp_directory_path() / ("port-access-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(root / "proc" / "parport0");
    std::ofstream(root / "proc" / "parport0" / "base-addr") << "888\n";
    const driver::ParportPaths paths{(root / "proc").string(), (root / "dev").string()};
    std::string error;
    auto port = driver::PpdevPort::Open(0x378, paths, kernel, error);
    if (!port) {
        state.SkipWithError(error.c_str());
    } else {
        ReadThrough(state, station, *port);
    }
    port.reset();
    std::filesystem::remove_all(root);
}
BENCHMARK(PpdevAccess)->Unit(benchmark::kMillisecond);

}  // namespace
