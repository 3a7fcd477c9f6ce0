#pragma once
#include "platform/clock.h"
#include "sim/virtual_clock.h"

// Installs a virtual process clock for the life of the object, so hardware waits cost nothing.
class VirtualTime {
public:
    VirtualTime() { platform::SetProcessClock(&clock); }
    ~VirtualTime() { platform::SetProcessClock(nullptr); }
    sim::VirtualClock clock;
};
