#pragma once
#include <cstdint>

#include "platform/clock.h"

namespace sim {

// Simulated time: the simulated programmer moves it on by one microsecond per register
// access, and a wait jumps straight to its end.
class VirtualClock final : public platform::Clock {
public:
    uint64_t NowMicroseconds() override { return now; }
    void WaitUntilMicroseconds(uint64_t target) override {
        if (target > now) {
            now = target;
        }
    }
    void Advance(uint64_t microseconds) { now += microseconds; }

private:
    uint64_t now = 0;
};

}  // namespace sim
