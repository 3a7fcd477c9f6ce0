#include "cli/production_log.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "cli/json_report.h"

namespace cli {
namespace {

constexpr char kHeader[] = "time,part,type,image,checksum,option bits,result,failure,seconds\n";

}  // namespace

bool ProductionLog::Open(const std::string& logPath, std::string& error) {
    path = logPath;
    file.open(path, std::ios::out | std::ios::app | std::ios::binary);
    if (!file) {
        error = "the production log " + path + " cannot be opened: " + std::strerror(errno);
        return false;
    }
    std::error_code sizeError;
    const auto size = std::filesystem::file_size(path, sizeError);
    return sizeError || size > 0 || Write(kHeader, error);
}

bool ProductionLog::Append(const PartRecord& part, std::string& error) {
    const std::string checksum = part.checksum ? HexNumber(*part.checksum, 4) : "";
    const std::string row = IsoTimeNow() + ',' + std::to_string(part.number) + ',' + CsvField(part.type) + ',' +
                            CsvField(part.image) + ',' + checksum + ',' + CsvField(part.optionBits) + ',' +
                            (part.failure.empty() ? "passed" : "failed") + ',' + CsvField(part.failure) + ',' +
                            SecondsText(part.seconds) + '\n';
    return Write(row, error);
}

bool ProductionLog::Write(const std::string& row, std::string& error) {
    file << row;
    file.flush();
    if (!file) {
        error = "the production log " + path + " could not be written";
        return false;
    }
    return true;
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + '"';
}

std::string IsoTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[40];
    const size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    const long offsetMinutes = local.tm_gmtoff / 60;
    const long absolute = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    std::snprintf(text + length, sizeof text - length, "%c%02ld:%02ld", offsetMinutes < 0 ? '-' : '+',
                  absolute / 60, absolute % 60);
    return text;
}

std::string SecondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", seconds);
    return text;
}

}  // namespace cli
