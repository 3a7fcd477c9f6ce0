#include "platform/profile_path.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

// Kept apart from the profile file itself: the user database lookup below is not wanted in the
// statically linked command-line tool, which never asks where settings live.

namespace platform {
namespace {

std::string ConfigurationFolder() {
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome && configHome[0] == '/') {
        return configHome;
    }
    const char* home = std::getenv("HOME");
    if (!home || !home[0]) {
        const passwd* user = getpwuid(getuid());
        home = user ? user->pw_dir : nullptr;
    }
    return std::string(home ? home : ".") + "/.config";
}

}  // namespace

std::string ProfileFilePath(const std::string& applicationName) {
    return ConfigurationFolder() + "/" + applicationName + ".ini";
}

std::string ExecutableName() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return "";
    }
    return executable.stem().string();
}

}  // namespace platform
