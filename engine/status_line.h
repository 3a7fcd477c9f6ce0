#pragma once
#include <cstdint>
#include <string>

// The window side of the status line: a "Status:" label and a text beside it, hidden between
// operations. The main window implements it; long operations report through the free
// functions below, which do nothing while no window is registered.
class StatusLineWindow {
public:
    virtual ~StatusLineWindow() = default;
    virtual void SetStatusLineVisible(bool visible) = 0;
    virtual void SetStatusLineText(const std::string& text) = 0;
    // The percentage of the running operation, or -1 when the operation shows no progress.
    virtual void SetStatusLineProgress(int percent) = 0;
    // Paints at once: the operation holds the window's thread until it ends.
    virtual void RepaintStatusLine() = 0;
};

void SetStatusLineWindow(StatusLineWindow* window);

void ShowStatusLine();
void SetStatusText(const std::string& text);
void ShowProgress(uint32_t done, uint32_t total, const char* label);
void HideStatusLine();

// The percentage ShowProgress shows: truncated, as a signed 8-bit value, 0 for total 0.
int ProgressPercent(uint32_t done, uint32_t total);
