#pragma once
#include <functional>
#include <string>

// How the link tells the operator about a problem before (or without) a window: the station
// installs a hook that shows a warning box; without one the text goes to standard error.
using WarningHook = std::function<void(const std::string& text, const std::string& caption)>;

void SetWarningHook(WarningHook hook);
void ShowWarning(const std::string& text, const std::string& caption);
