#pragma once
#include "engine/programmer.h"

namespace cli {

// While it lives, Ctrl-C (SIGINT) and SIGTERM ask the programmer to stop: the operation under
// way ends at its next word or chunk and powers the socket off. A second signal ends the
// process at once. One at a time.
class StopOnSignal {
public:
    explicit StopOnSignal(Programmer& programmer);
    ~StopOnSignal();
    StopOnSignal(const StopOnSignal&) = delete;
    StopOnSignal& operator=(const StopOnSignal&) = delete;

    // The signal that asked to stop, 0 for none.
    int Signal() const;
};

}  // namespace cli
