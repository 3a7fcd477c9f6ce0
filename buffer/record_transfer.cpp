#include "buffer/record_transfer.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

#include "platform/file_handle.h"

namespace {

std::string FileNameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

uint32_t ReadInFormat(RecordFile& file, RecordFormat format, uint8_t* data, uint32_t capacity, uint32_t& status) {
    switch (format) {
    case RecordFormat::IntelHex:
        return file.TransferIntelHex(data, capacity, status, TRANSFER_READ);
    case RecordFormat::SRecord:
        return file.TransferSRecord(data, capacity, status, TRANSFER_READ);
    case RecordFormat::Binary:
        return file.TransferBinary(data, capacity, TRANSFER_READ);
    case RecordFormat::Unknown:
        break;
    }
    return 0;
}

void WriteInFormat(RecordFile& file, RecordFormat format, const uint8_t* data, uint32_t capacity) {
    // The transfers take one pointer for both directions; writing never changes the buffer.
    auto* buffer = const_cast<uint8_t*>(data);
    uint32_t status = STATUS_NONE;
    switch (format) {
    case RecordFormat::IntelHex:
        file.TransferIntelHex(buffer, capacity, status, TRANSFER_WRITE);
        break;
    case RecordFormat::SRecord:
        file.TransferSRecord(buffer, capacity, status, TRANSFER_WRITE);
        break;
    case RecordFormat::Binary:
        file.TransferBinary(buffer, capacity, TRANSFER_WRITE);
        break;
    case RecordFormat::Unknown:
        break;
    }
}

std::string ErrorTextFor(const char* operation, int errorNumber) {
    return std::string(operation) + ": " + std::strerror(errorNumber);
}

// A name in the target's folder that no one else uses, so the rename stays within one file system.
bool CreateBeside(RecordFile& file, const std::filesystem::path& target, RecordFile::Durability durability,
                  std::string& temporaryPath) {
    static const std::string processToken = std::to_string(std::random_device{}());
    static std::atomic<unsigned> serial{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        // Appended piece by piece: g++ 12 warns (-Wrestrict) about a literal in front of a string.
        std::string name = ".";
        name += target.filename().string();
        name += '.';
        name += processToken;
        name += '-';
        name += std::to_string(serial++);
        name += ".tmp";
        temporaryPath = (target.parent_path() / name).string();
        if (file.Create(temporaryPath, RecordFile::CreateMode::MustBeNew, durability)) {
            return true;
        }
        if (file.ErrorNumber() != EEXIST) {
            return false;
        }
    }
    return false;
}

// Reads the file in result.format, closes it and sets the rest of the result.
void ReadOpenFile(RecordFile& file, uint8_t* data, uint32_t capacity, LoadResult& result) {
    result.count = ReadInFormat(file, result.format, data, capacity, result.status);
    file.Close();
    result.fileError = file.ErrorText();
    if (result.count > capacity) {
        result.warning = LoadWarning::Truncated;
    } else if (result.status == STATUS_ADDRESS_RANGE) {
        result.warning = LoadWarning::AddressRange;
    } else if (result.status == STATUS_CHECKSUM) {
        result.warning = LoadWarning::Checksum;
    }
}

// A rename would give the other names of a hard-linked file the old contents.
bool HasOtherNames(const std::filesystem::path& target) {
    std::error_code error;
    const std::uintmax_t links = std::filesystem::hard_link_count(target, error);
    return !error && links > 1;
}

// Rewrites the existing file where it stands, which needs neither a new name in its folder nor
// a rename. Nothing keeps the old contents meanwhile, so the save counts only once the new ones
// are on the disk, whatever durability the caller asked for.
SaveResult WriteInPlace(RecordFile& file, RecordFormat format, const std::filesystem::path& target,
                        const uint8_t* data, uint32_t capacity) {
    if (!file.Create(target.string(), RecordFile::CreateMode::TruncateExisting, RecordFile::Durability::OnDisk)) {
        return {SaveOutcome::NotCreated, file.ErrorText()};
    }
    WriteInFormat(file, format, data, capacity);
    if (!file.Close()) {
        return {SaveOutcome::WriteFailed, file.ErrorText()};
    }
    return {};
}

}  // namespace

RecordFormat FormatForFileName(const std::string& nameWithoutFolder) {
    if (nameWithoutFolder.size() < 3) {
        return RecordFormat::Unknown;
    }
    std::string last = nameWithoutFolder.substr(nameWithoutFolder.size() - 3);
    for (char& c : last) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (last == "mcs" || last == "hex") {
        return RecordFormat::IntelHex;
    }
    if (last == "exo") {
        return RecordFormat::SRecord;
    }
    if (last == "bin") {
        return RecordFormat::Binary;
    }
    return RecordFormat::Unknown;
}

const char* LoadWarningText(LoadWarning warning) {
    switch (warning) {
    case LoadWarning::Truncated:
        return "Program File is larger than device buffer. The file was truncated to fit into the buffer";
    case LoadWarning::AddressRange:
        return "Address in file is too large for the buffer";
    case LoadWarning::Checksum:
        return "Checksum failed while reading data";
    case LoadWarning::None:
        break;
    }
    return "";
}

LoadResult LoadRecordFile(const std::string& path, uint8_t* data, uint32_t capacity) {
    RecordFile file;
    return LoadRecordFile(file, path, data, capacity);
}

LoadResult LoadRecordFile(RecordFile& file, const std::string& path, uint8_t* data, uint32_t capacity) {
    LoadResult result;
    if (!file.Open(path)) {
        result.fileError = file.ErrorText();
        return result;
    }
    result.opened = true;
    result.format = FormatForFileName(FileNameOf(path));
    if (result.format == RecordFormat::Unknown) {
        file.Close();
        return result;
    }
    ReadOpenFile(file, data, capacity, result);
    return result;
}

LoadResult LoadRecordBytes(const uint8_t* bytes, size_t size, RecordFormat format, uint8_t* data, uint32_t capacity) {
    LoadResult result;
    RecordFile file;
    result.opened = file.OpenInMemory(bytes, size);
    result.format = format;
    if (format != RecordFormat::Unknown) {
        ReadOpenFile(file, data, capacity, result);
    }
    return result;
}

SaveResult SaveRecordFile(const std::string& path, const uint8_t* data, uint32_t capacity,
                          RecordFile::Durability durability) {
    RecordFile file;
    return SaveRecordFile(file, path, data, capacity, durability);
}

SaveResult SaveRecordFile(RecordFile& file, const std::string& path, const uint8_t* data, uint32_t capacity,
                          RecordFile::Durability durability) {
    const RecordFormat format = FormatForFileName(FileNameOf(path));
    if (format == RecordFormat::Unknown) {
        return {SaveOutcome::UnknownFormat, {}};
    }
    // A link is kept: the file it points to is the one replaced.
    std::filesystem::path target(path);
    std::error_code ignored;
    if (std::filesystem::is_symlink(target, ignored)) {
        const std::filesystem::path resolved = std::filesystem::weakly_canonical(target, ignored);
        if (!ignored) {
            target = resolved;
        }
    }

    // Refuse what a plain create would refuse: the rename would otherwise replace it anyway.
    std::error_code statusError;
    const std::filesystem::file_status existing = std::filesystem::status(target, statusError);
    const bool targetExists = !statusError && std::filesystem::exists(existing);
    if (targetExists && std::filesystem::is_directory(existing)) {
        return {SaveOutcome::NotCreated, ErrorTextFor("Create error", EISDIR)};
    }
    if (const int error = targetExists ? platform::CheckWritable(target.string()) : 0) {
        return {SaveOutcome::NotCreated, ErrorTextFor("Create error", error)};
    }

    if (targetExists && HasOtherNames(target)) {
        return WriteInPlace(file, format, target, data, capacity);
    }
    std::string temporaryPath;
    if (!CreateBeside(file, target, durability, temporaryPath)) {
        // A folder the user may not write to can still hold a file the user may write.
        const int error = file.ErrorNumber();
        if (targetExists && (error == EACCES || error == EPERM)) {
            return WriteInPlace(file, format, target, data, capacity);
        }
        return {SaveOutcome::NotCreated, file.ErrorText()};
    }
    WriteInFormat(file, format, data, capacity);
    if (!file.Close()) {
        std::remove(temporaryPath.c_str());
        return {SaveOutcome::WriteFailed, file.ErrorText()};
    }
    // The new file keeps the permissions of the one it replaces.
    std::error_code permissionsError;
    if (targetExists) {
        std::filesystem::permissions(temporaryPath, existing.permissions(), permissionsError);
    }
    if (permissionsError) {
        std::remove(temporaryPath.c_str());
        return {SaveOutcome::WriteFailed, ErrorTextFor("Write error", permissionsError.value())};
    }
    if (std::rename(temporaryPath.c_str(), target.c_str()) != 0) {
        const int error = errno;
        std::remove(temporaryPath.c_str());
        return {SaveOutcome::WriteFailed, ErrorTextFor("Write error", error)};
    }
    return {};
}

std::string RecordFileContents(RecordFormat format, const uint8_t* data, uint32_t capacity) {
    std::string contents;
    RecordFile file;
    file.CreateInMemory(contents);
    WriteInFormat(file, format, data, capacity);
    file.Close();
    return contents;
}
