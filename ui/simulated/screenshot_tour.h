#pragma once
#include <QString>

// For the review script only: walks the simulated station through its screenshots once the
// main window shows, saving into `folder` the main window after start, while identifying the
// part in the socket and after it, the About box, the PROM information, the three option prompts
// and the abort message, the simulated programmer's window, and, after reading a part programmed
// with a small image, the main window, the buffer section chooser and the buffer viewer; then quits.
void StartScreenshotTour(const QString& folder);
