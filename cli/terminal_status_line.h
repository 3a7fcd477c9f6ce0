#pragma once
#include <ostream>
#include <string>

#include "engine/status_line.h"

namespace cli {

// The status line of long operations as one line on a terminal, rewritten in place.
class TerminalStatusLine final : public StatusLineWindow {
public:
    explicit TerminalStatusLine(std::ostream& terminal) : terminal(terminal) {}
    ~TerminalStatusLine() override;

    void SetStatusLineVisible(bool visible) override;
    void SetStatusLineText(const std::string& text) override;
    void SetStatusLineProgress(int) override {}   // the text carries the percentage
    void RepaintStatusLine() override;

private:
    void Erase();

    std::ostream& terminal;
    std::string text;
    bool visible = false;
    std::string shown;   // what the terminal line holds now
};

// Registers a terminal status line for its lifetime; does nothing when `enabled` is false.
class StatusLineOnTerminal {
public:
    StatusLineOnTerminal(std::ostream& terminal, bool enabled);
    ~StatusLineOnTerminal();
    StatusLineOnTerminal(const StatusLineOnTerminal&) = delete;
    StatusLineOnTerminal& operator=(const StatusLineOnTerminal&) = delete;

private:
    TerminalStatusLine line;
    bool enabled;
};

}  // namespace cli
