#include "platform/clock.h"

#include <chrono>

namespace platform {
namespace {

const std::chrono::steady_clock::time_point processStart = std::chrono::steady_clock::now();

MonotonicClock& DefaultClock() {
    static MonotonicClock clock;
    return clock;
}

Clock* installedClock = nullptr;

}  // namespace

uint64_t MonotonicClock::NowMicroseconds() {
    auto elapsed = std::chrono::steady_clock::now() - processStart;
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count());
}

void MonotonicClock::WaitUntilMicroseconds(uint64_t target) {
    // Busy wait: the hardware timing must not depend on the scheduler waking us up late.
    while (NowMicroseconds() < target) {
    }
}

Clock& ProcessClock() {
    return installedClock ? *installedClock : DefaultClock();
}

void SetProcessClock(Clock* clock) {
    installedClock = clock;
}

}  // namespace platform
