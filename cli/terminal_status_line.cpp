#include "cli/terminal_status_line.h"

namespace cli {
namespace {
// Back to the start of the line and clear it.
constexpr const char* kClearLine = "\r\033[K";
}  // namespace

TerminalStatusLine::~TerminalStatusLine() {
    Erase();
}

void TerminalStatusLine::SetStatusLineVisible(bool visibleNow) {
    visible = visibleNow;
}

void TerminalStatusLine::SetStatusLineText(const std::string& newText) {
    text = newText;
}

void TerminalStatusLine::RepaintStatusLine() {
    const std::string wanted = visible ? text : std::string();
    // Progress comes every few hundred bytes; the terminal hears only of changes.
    if (wanted == shown) {
        return;
    }
    if (wanted.empty()) {
        Erase();
        return;
    }
    terminal << kClearLine << wanted << std::flush;
    shown = wanted;
}

void TerminalStatusLine::Erase() {
    if (!shown.empty()) {
        terminal << kClearLine << std::flush;
        shown.clear();
    }
}

StatusLineOnTerminal::StatusLineOnTerminal(std::ostream& terminal, bool enabled)
    : line(terminal), enabled(enabled) {
    if (enabled) {
        SetStatusLineWindow(&line);
    }
}

StatusLineOnTerminal::~StatusLineOnTerminal() {
    if (enabled) {
        SetStatusLineWindow(nullptr);
    }
}

}  // namespace cli
