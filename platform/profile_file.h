#pragma once
#include <cstdint>
#include <string>

namespace platform {

// A classic INI profile file:
//
//   [Settings]
//   Port Address=888
//
// Section and key names match without regard to case, and a key may hold spaces. Writing a
// value changes or adds that one line and keeps every other line (comments, other sections,
// the file's line ends) as it was.

// The integer value of `key` in `section`, or `defaultValue` when the file, the section or the
// key is missing or the value is empty. A value that is not a number reads as 0; digits are
// read up to the first other character, with an optional sign, and wrap at 32 bits.
uint32_t GetPrivateProfileInt(const std::string& section, const std::string& key,
                              uint32_t defaultValue, const std::string& path);

// The text of `key` in `section` without surrounding blanks, or `defaultValue` when the file,
// the section or the key is missing.
std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, const std::string& path);

// Sets `key` in `section` to `value`, creating the section, the file and its folder as needed.
// The file is replaced only once the new contents are written in full. False on any failure.
// A file that exists but cannot be read (or is a folder) is never replaced: its lines would be lost.
bool WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& path);

// What keeps the profile file at `path` from being read or written back, for the operator:
// "is a folder", "cannot be read: Permission denied", "line 3 is neither a [section] nor a
// key=value line", "its folder cannot be written: ..."; empty when nothing does (a missing
// file in a folder that can be written is fine: it is created).
std::string ProfileFileProblem(const std::string& path);

}  // namespace platform
