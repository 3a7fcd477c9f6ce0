#include "engine/status_line.h"

#include <cstdio>

namespace {
StatusLineWindow* statusWindow = nullptr;
}

void SetStatusLineWindow(StatusLineWindow* window) {
    statusWindow = window;
}

void ShowStatusLine() {
    if (!statusWindow) {
        return;
    }
    statusWindow->SetStatusLineText("");
    statusWindow->SetStatusLineProgress(-1);
    statusWindow->SetStatusLineVisible(true);
    statusWindow->RepaintStatusLine();
}

void SetStatusText(const std::string& text) {
    if (!statusWindow || text.empty()) {
        return;
    }
    statusWindow->SetStatusLineText(text);
    statusWindow->RepaintStatusLine();
}

int ProgressPercent(uint32_t done, uint32_t total) {
    if (total == 0) {
        return 0;
    }
    auto percent = static_cast<int64_t>(static_cast<double>(done) / total * 100.0);
    return static_cast<int8_t>(percent);
}

void ShowProgress(uint32_t done, uint32_t total, const char* label) {
    if (!statusWindow) {
        return;
    }
    int percent = ProgressPercent(done, total);
    char text[160];
    if (label) {
        std::snprintf(text, sizeof text, "%s: %d%% complete", label, percent);
    } else {
        std::snprintf(text, sizeof text, "%d%% complete", percent);
    }
    statusWindow->SetStatusLineText(text);
    statusWindow->SetStatusLineProgress(percent);
    statusWindow->SetStatusLineVisible(true);
    statusWindow->RepaintStatusLine();
}

void HideStatusLine() {
    if (!statusWindow) {
        return;
    }
    statusWindow->SetStatusLineVisible(false);
    statusWindow->RepaintStatusLine();
}
