// A hand-edited or corrupt settings file: reading it never fails, and writing the port back
// changes that one setting and keeps every other line in its order.
#include <algorithm>
#include <cctype>
#include <vector>

#include "file_input.h"
#include "platform/profile_file.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    return lines;
}

// A line that sets the port, in any section: the only lines a write-back may replace.
bool SetsThePort(std::string line) {
    std::transform(line.begin(), line.end(), line.begin(), [](unsigned char c) { return std::tolower(c); });
    const size_t equals = line.find('=');
    if (equals == std::string::npos) {
        return false;
    }
    std::string key = line.substr(0, equals);
    key.erase(0, key.find_first_not_of(" \t\r"));
    key.erase(key.find_last_not_of(" \t\r") + 1);
    return key == "port address";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const std::string path = fuzz::WriteInput("settings.ini", bytes, size);
    platform::GetPrivateProfileInt("Settings", "Port Address", 888, path);
    platform::ProfileFileProblem(path);
    if (!platform::WritePrivateProfileString("Settings", "Port Address", "632", path) ||
        platform::GetPrivateProfileInt("Settings", "Port Address", 888, path) != 632) {
        std::abort();
    }
    // Every other line is still there, in its order.
    const std::vector<std::string> before = Lines(std::string(reinterpret_cast<const char*>(bytes), size));
    const std::vector<std::string> after = Lines(fuzz::ReadWhole(path));
    size_t next = 0;
    for (const std::string& line : before) {
        if (SetsThePort(line)) {
            continue;
        }
        while (next < after.size() && after[next] != line) {
            ++next;
        }
        if (next == after.size()) {
            std::abort();
        }
        ++next;
    }
    return 0;
}
