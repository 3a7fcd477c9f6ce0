#include "cli/standard_streams.h"

#include <algorithm>

namespace cli {

bool IsStandardStream(const std::string& file) {
    return file == "-";
}

bool ParseStreamFormat(const std::string& word, RecordFormat& format, std::string& error) {
    if (word == "mcs" || word == "hex") {
        format = RecordFormat::IntelHex;
    } else if (word == "exo") {
        format = RecordFormat::SRecord;
    } else if (word == "bin") {
        format = RecordFormat::Binary;
    } else {
        error = "--format must be mcs, hex, exo or bin";
        return false;
    }
    return true;
}

bool CheckStandardStreams(const CommandLine& line, std::string& error) {
    const bool streamNamed = std::any_of(line.files.begin(), line.files.end(), IsStandardStream);
    if (streamNamed && line.streamFormat == RecordFormat::Unknown) {
        error = "'-' has no name to give its format: add --format mcs, hex, exo or bin";
        return false;
    }
    if (!streamNamed && line.streamFormat != RecordFormat::Unknown) {
        error = "--format is for '-' as a file name; a file's own name gives its format";
        return false;
    }
    if (line.json && WritesStandardOutput(line)) {
        error = "--json and the data of 'read -' cannot share standard output: read into a file";
        return false;
    }
    return true;
}

bool WritesStandardOutput(const CommandLine& line) {
    const auto written = [&line](size_t index) {
        return line.files.size() > index && IsStandardStream(line.files[index]);
    };
    return (line.command == Command::Read && written(0)) || (line.command == Command::Convert && written(1));
}

bool ReservesStandardOutput(const std::vector<std::string>& args) {
    CommandLine line;
    std::string error;
    if (!ParseCommandLine(args, line, error) || line.help || line.version) {
        return false;
    }
    return line.json || WritesStandardOutput(line);
}

bool ReadWholeStream(std::istream& in, std::string& bytes) {
    char block[64 * 1024];
    while (in.read(block, sizeof block) || in.gcount() > 0) {
        bytes.append(block, static_cast<size_t>(in.gcount()));
    }
    return !in.bad();
}

}  // namespace cli
