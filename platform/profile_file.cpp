#include "platform/profile_file.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

namespace platform {
namespace {

namespace fs = std::filesystem;

struct ProfileLines {
    std::vector<std::string> lines;   // without their '\n'; a '\r' before it stays on the line
    bool crlf = false;                // the file ends its lines with "\r\n"
};

std::string Trim(const std::string& text) {
    const char* space = " \t\r";
    size_t first = text.find_first_not_of(space);
    if (first == std::string::npos) {
        return "";
    }
    size_t last = text.find_last_not_of(space);
    return text.substr(first, last - first + 1);
}

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// The section a line opens, if it is a section header.
std::optional<std::string> SectionName(const std::string& line) {
    std::string trimmed = Trim(line);
    if (trimmed.size() < 2 || trimmed.front() != '[') {
        return std::nullopt;
    }
    size_t close = trimmed.find(']');
    if (close == std::string::npos) {
        return std::nullopt;
    }
    return Trim(trimmed.substr(1, close - 1));
}

// The key of a "key=value" line; comments and other lines have none.
std::optional<std::string> KeyName(const std::string& line) {
    std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#') {
        return std::nullopt;
    }
    size_t equals = trimmed.find('=');
    if (equals == std::string::npos) {
        return std::nullopt;
    }
    return Trim(trimmed.substr(0, equals));
}

std::string ValueOf(const std::string& line) {
    return Trim(line.substr(line.find('=') + 1));
}

bool ReadLines(const std::string& path, ProfileLines& profile) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    std::ostringstream contents;
    contents << file.rdbuf();
    const std::string text = contents.str();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            profile.lines.push_back(text.substr(start));
            break;
        }
        profile.lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    profile.crlf = !profile.lines.empty() && !profile.lines.front().empty() && profile.lines.front().back() == '\r';
    return true;
}

struct KeyPosition {
    std::optional<size_t> section;   // line of the section header
    std::optional<size_t> key;       // line of the key within that section
    size_t sectionEnd = 0;           // one past the last non-blank line of the section
};

KeyPosition FindKey(const ProfileLines& profile, const std::string& section, const std::string& key) {
    KeyPosition found;
    bool inSection = false;
    for (size_t i = 0; i < profile.lines.size(); ++i) {
        const std::string& line = profile.lines[i];
        if (std::optional<std::string> name = SectionName(line)) {
            if (inSection) {
                break;
            }
            inSection = SameName(*name, section);
            if (inSection) {
                found.section = i;
                found.sectionEnd = i + 1;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        if (!Trim(line).empty()) {
            found.sectionEnd = i + 1;
        }
        std::optional<std::string> name = KeyName(line);
        if (name && SameName(*name, key) && !found.key) {
            found.key = i;
        }
    }
    return found;
}

// Reads a number as the profile functions of the original platform do: decimal digits after
// an optional sign, up to the first other character, wrapping at 32 bits.
uint32_t ParseProfileInt(const std::string& text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    uint32_t value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + static_cast<uint32_t>(text[i] - '0');
    }
    return negative ? 0u - value : value;
}

}  // namespace

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, const std::string& path) {
    ProfileLines profile;
    if (!ReadLines(path, profile)) {
        return defaultValue;
    }
    KeyPosition position = FindKey(profile, section, key);
    return position.key ? ValueOf(profile.lines[*position.key]) : defaultValue;
}

uint32_t GetPrivateProfileInt(const std::string& section, const std::string& key,
                              uint32_t defaultValue, const std::string& path) {
    const std::string value = GetPrivateProfileString(section, key, "", path);
    return value.empty() ? defaultValue : ParseProfileInt(value);
}

bool WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& path) {
    ProfileLines profile;
    bool existed = ReadLines(path, profile);
    // There but unreadable (or a folder): writing would replace what could not be kept.
    if (!existed && (::access(path.c_str(), F_OK) == 0 || errno != ENOENT)) {
        return false;
    }
    std::error_code folder;
    if (fs::is_directory(path, folder)) {
        return false;
    }
    const std::string lineEnd = profile.crlf ? "\r" : "";
    const std::string keyLine = key + "=" + value + lineEnd;

    KeyPosition position = FindKey(profile, section, key);
    if (position.key) {
        profile.lines[*position.key] = keyLine;
    } else if (position.section) {
        profile.lines.insert(profile.lines.begin() + static_cast<std::ptrdiff_t>(position.sectionEnd), keyLine);
    } else {
        if (!profile.lines.empty() && !Trim(profile.lines.back()).empty()) {
            profile.lines.push_back(lineEnd);
        }
        profile.lines.push_back("[" + section + "]" + lineEnd);
        profile.lines.push_back(keyLine);
    }

    std::error_code error;
    fs::path target(path);
    if (!existed && target.has_parent_path()) {
        fs::create_directories(target.parent_path(), error);
    }
    // Written beside the file and renamed over it, so a failed write leaves the old file whole.
    fs::path temporary = target;
    temporary += ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            return false;
        }
        for (const std::string& line : profile.lines) {
            out << line << '\n';
        }
        out.flush();
        if (!out) {
            out.close();
            fs::remove(temporary, error);
            return false;
        }
    }
    fs::rename(temporary, target, error);
    if (error) {
        fs::remove(temporary, error);
        return false;
    }
    return true;
}

std::string ProfileFileProblem(const std::string& path) {
    std::error_code error;
    const fs::path file(path);
    if (fs::is_directory(file, error)) {
        return "is a folder";
    }
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    if (fs::exists(file, error)) {
        errno = 0;
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            return std::string("cannot be read: ") + std::strerror(errno != 0 ? errno : EACCES);
        }
        ProfileLines profile;
        ReadLines(path, profile);
        for (size_t i = 0; i < profile.lines.size(); ++i) {
            const std::string trimmed = Trim(profile.lines[i]);
            const bool comment = !trimmed.empty() && (trimmed.front() == ';' || trimmed.front() == '#');
            if (!trimmed.empty() && !comment && !SectionName(trimmed) && !KeyName(trimmed)) {
                return "line " + std::to_string(i + 1) + " is neither a [section] nor a key=value line";
            }
        }
    }
    // The file is written back beside itself and renamed, so its folder must take new files.
    if (fs::exists(folder, error) && ::access(folder.c_str(), W_OK | X_OK) != 0) {
        return std::string("its folder cannot be written: ") + std::strerror(errno);
    }
    return {};
}

}  // namespace platform
