#pragma once
#include <cstdint>

namespace platform {

// The process clock that every wait of the station reads. Real hardware uses a monotonic
// clock; the simulator installs a virtual clock so that long hardware waits cost no real time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual uint64_t NowMicroseconds() = 0;
    // Returns once the clock reads at least `target`. The real clock spins; a virtual one jumps.
    virtual void WaitUntilMicroseconds(uint64_t target) = 0;
};

class MonotonicClock final : public Clock {
public:
    uint64_t NowMicroseconds() override;
    void WaitUntilMicroseconds(uint64_t target) override;
};

// The clock in use; the monotonic clock unless another was installed.
Clock& ProcessClock();
// Installs `clock` as the process clock (nullptr goes back to the monotonic clock).
// The caller keeps ownership and must uninstall it before destroying it.
void SetProcessClock(Clock* clock);

}  // namespace platform
