#include "cli/stop_on_signal.h"

#include <csignal>

namespace cli {
namespace {

std::atomic<std::atomic<bool>*> stopFlag{nullptr};
volatile std::sig_atomic_t caught = 0;
struct sigaction previousInterrupt;
struct sigaction previousTerminate;

void AskToStop(int signal) {
    if (caught != 0) {
        // Asked twice: the operator wants out now.
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    caught = signal;
    if (std::atomic<bool>* flag = stopFlag.load()) {
        flag->store(true);
    }
}

}  // namespace

StopOnSignal::StopOnSignal(Programmer& programmer) {
    caught = 0;
    stopFlag.store(&programmer.stopRequested);
    struct sigaction action {};
    action.sa_handler = AskToStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previousInterrupt);
    sigaction(SIGTERM, &action, &previousTerminate);
}

StopOnSignal::~StopOnSignal() {
    sigaction(SIGINT, &previousInterrupt, nullptr);
    sigaction(SIGTERM, &previousTerminate, nullptr);
    stopFlag.store(nullptr);
}

int StopOnSignal::Signal() const {
    return caught;
}

}  // namespace cli
