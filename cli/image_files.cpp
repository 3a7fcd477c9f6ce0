#include "cli/image_files.h"

#include <cstdio>
#include <filesystem>

#include "buffer/record_transfer.h"

namespace cli {
namespace {

RecordFormat FormatOf(const std::string& path) {
    return FormatForFileName(std::filesystem::path(path).filename().string());
}

std::string WithReason(const std::string& text, const std::string& path, const std::string& reason) {
    std::string line = text + ": " + path;
    if (!reason.empty()) {
        line += " (" + reason + ")";
    }
    return line;
}

}  // namespace

bool CheckLoadName(const std::string& path, const Console& console) {
    if (FormatOf(path) != RecordFormat::Unknown) {
        return true;
    }
    console.Error("Valid filetypes are [mcs], [exo] and [bin]");
    return false;
}

bool CheckSaveName(const std::string& path, const Console& console) {
    if (FormatOf(path) != RecordFormat::Unknown) {
        return true;
    }
    console.Error("Valid filetypes are [mcs], [hex], [exo], or [bin]");
    return false;
}

LoadOutcome LoadImage(const std::string& path, uint8_t* data, uint32_t capacity, const Console& console) {
    if (!CheckLoadName(path, console)) {
        return LoadOutcome::Failed;
    }
    const LoadResult result = LoadRecordFile(path, data, capacity);
    if (!result.opened) {
        console.Error(WithReason("File could not be Opened", path, result.fileError));
        return LoadOutcome::Failed;
    }
    if (!result.fileError.empty()) {
        console.Error(WithReason("File could not be read", path, result.fileError));
        return LoadOutcome::Failed;
    }
    if (result.warning != LoadWarning::None) {
        console.Warning(LoadWarningText(result.warning));
        return LoadOutcome::LoadedWithWarning;
    }
    return LoadOutcome::Loaded;
}

bool SaveImage(const std::string& path, const uint8_t* data, uint32_t capacity, const Console& console) {
    // Like other command-line converters, do not wait for the disk: the rename alone keeps a
    // failed write from replacing an existing file, and the wait would double a conversion's time.
    const SaveResult result = SaveRecordFile(path, data, capacity, RecordFile::Durability::InCache);
    switch (result.outcome) {
    case SaveOutcome::Saved:
        return true;
    case SaveOutcome::UnknownFormat:
        return CheckSaveName(path, console);
    case SaveOutcome::NotCreated:
        console.Error(WithReason("File could not be created", path, result.errorText));
        return false;
    case SaveOutcome::WriteFailed:
        console.Error(WithReason("File could not be written", path, result.errorText));
        return false;
    }
    return false;
}

std::string ChecksumLine(uint16_t checksum) {
    char line[32];
    std::snprintf(line, sizeof line, "Checksum: 0x%04X", checksum);
    return line;
}

}  // namespace cli
