#include "cli/image_files.h"

#include <filesystem>

#include "buffer/record_transfer.h"

namespace cli {
namespace {

RecordFormat FormatOf(const std::string& path, const Console& console) {
    if (IsStandardStream(path)) {
        return console.standard.format;
    }
    return FormatForFileName(std::filesystem::path(path).filename().string());
}

std::string WithReason(const std::string& text, const std::string& path, const std::string& reason) {
    std::string line = text + ": " + path;
    if (!reason.empty()) {
        line += " (" + reason + ")";
    }
    return line;
}

// Standard input is read whole first: a binary image is as long as what arrives.
LoadResult LoadStandardInput(uint8_t* data, uint32_t capacity, const Console& console) {
    std::string bytes;
    if (!ReadWholeStream(*console.standard.in, bytes)) {
        LoadResult result;
        result.opened = true;
        result.fileError = "Read error on standard input";
        return result;
    }
    return LoadRecordBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), console.standard.format,
                           data, capacity);
}

// The whole file at once, so that a failed write is known before the command reports success.
bool SaveToStandardOutput(const uint8_t* data, uint32_t capacity, const Console& console) {
    const std::string contents = RecordFileContents(console.standard.format, data, capacity);
    std::ostream& out = *console.standard.out;
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    out.flush();
    if (!out) {
        console.Error("File could not be written: standard output");
        return false;
    }
    return true;
}

}  // namespace

bool CheckLoadName(const std::string& path, const Console& console) {
    if (FormatOf(path, console) != RecordFormat::Unknown) {
        return true;
    }
    console.Error("Valid filetypes are [mcs], [exo] and [bin]");
    return false;
}

bool CheckSaveName(const std::string& path, const Console& console) {
    if (FormatOf(path, console) != RecordFormat::Unknown) {
        return true;
    }
    console.Error("Valid filetypes are [mcs], [hex], [exo], or [bin]");
    return false;
}

LoadOutcome LoadImage(const std::string& path, uint8_t* data, uint32_t capacity, const Console& console) {
    if (!CheckLoadName(path, console)) {
        return LoadOutcome::Failed;
    }
    const LoadResult result = IsStandardStream(path) ? LoadStandardInput(data, capacity, console)
                                                     : LoadRecordFile(path, data, capacity);
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
    if (IsStandardStream(path)) {
        return SaveToStandardOutput(data, capacity, console);
    }
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
    return "Checksum: " + HexNumber(checksum, 4);
}

void ShowChecksum(uint16_t checksum, const Console& console) {
    console.out << ChecksumLine(checksum) << '\n';
    if (console.report) {
        console.report->Fields().AddText("checksum", HexNumber(checksum, 4));
    }
}

}  // namespace cli
