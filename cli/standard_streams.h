#pragma once
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "buffer/record_transfer.h"
#include "cli/command_line.h"

namespace cli {

// "-" as a file name: standard input for a file that is read, standard output for one that is
// written, in the format --format names (no file name gives it).
bool IsStandardStream(const std::string& file);

// Where "-" reads and writes, and the format it has.
struct StandardStreams {
    std::istream* in = nullptr;
    std::ostream* out = nullptr;
    RecordFormat format = RecordFormat::Unknown;
};

// --format's word as a record format; false, with the reason in `error`, for any other word.
bool ParseStreamFormat(const std::string& word, RecordFormat& format, std::string& error);

// What the parser checks of "-": it needs --format, --format needs it, and --json cannot share
// standard output with a file's data.
bool CheckStandardStreams(const CommandLine& line, std::string& error);

// Does the command write a file's data to standard output?
bool WritesStandardOutput(const CommandLine& line);

// Is standard output promtool's alone under these arguments (JSON, or a file's data), so that
// nothing else may be printed there?
bool ReservesStandardOutput(const std::vector<std::string>& args);

// All that is left on `in`; false when reading failed.
bool ReadWholeStream(std::istream& in, std::string& bytes);

}  // namespace cli
