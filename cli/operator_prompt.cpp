#include "cli/operator_prompt.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace cli {
namespace {

// How long one wait for input lasts before the stop flag is looked at again: a signal that
// comes just before the wait starts does not interrupt it.
constexpr int kStopCheckMilliseconds = 100;

// Reads one line from `input` a byte at a time, so that nothing after it is taken from the
// stream. False at the end of the input, on a read error, or when `stop` is set.
bool ReadLine(int input, const std::atomic<bool>& stop, std::string& line) {
    line.clear();
    while (!stop) {
        pollfd waitFor{input, POLLIN, 0};
        const int ready = poll(&waitFor, 1, kStopCheckMilliseconds);
        if (ready < 0 && errno != EINTR) {
            return false;
        }
        if (ready <= 0) {
            continue;
        }
        char c = 0;
        const ssize_t got = read(input, &c, 1);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        if (c == '\n') {
            return true;
        }
        line += c;
    }
    return false;
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

bool AskForPart(uint32_t number, int input, const std::atomic<bool>& stop, std::ostream& prompt) {
    prompt << "Insert part " << number << " and press Enter (q to stop): " << std::flush;
    std::string answer;
    const bool answered = ReadLine(input, stop, answer);
    if (!answered) {
        prompt << '\n';   // the summary starts on a line of its own
    }
    const std::string word = Trimmed(answer);
    return answered && word != "q" && word != "Q";
}

}  // namespace cli
