#pragma once
#include <string>

namespace platform {

// Where a program keeps its settings file: the user's configuration folder
// ($XDG_CONFIG_HOME, else ~/.config) and the program's name followed by ".ini".
std::string ProfileFilePath(const std::string& applicationName);

// The running program's file name without its folder and extension ("" when unknown).
std::string ExecutableName();

}  // namespace platform
