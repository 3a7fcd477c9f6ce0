#pragma once
#include <cstdint>
#include <string>

#include "cli/console.h"

namespace cli {

// Whether the file's name selects a record format (for "-", whether --format gave one); says so
// in the station's words when not.
bool CheckLoadName(const std::string& path, const Console& console);
bool CheckSaveName(const std::string& path, const Console& console);

enum class LoadOutcome { Loaded, LoadedWithWarning, Failed };

// Loads `path` into data[0, capacity), which the caller has filled with 0xFF. A warning and a
// failure are reported on the console; after a warning the data hold what was read.
LoadOutcome LoadImage(const std::string& path, uint8_t* data, uint32_t capacity, const Console& console);

// Saves data[0, capacity) to `path`, never leaving a half-written file in its place. False
// after reporting why.
bool SaveImage(const std::string& path, const uint8_t* data, uint32_t capacity, const Console& console);

// The line the station shows the buffer's checksum in.
std::string ChecksumLine(uint16_t checksum);
// Shows the checksum in that line, or as the member "checksum" with --json.
void ShowChecksum(uint16_t checksum, const Console& console);

}  // namespace cli
