#pragma once
#include <cstdint>
#include <string>

#include "buffer/record_file.h"

// Loading and saving the data buffer as a record file, shared by the station's file commands
// and the command-line tool. The format comes from the last three characters of the file's
// name (without its folder), in any case: mcs and hex are Intel Hex, exo is S-record, bin is
// binary. A dot is not needed.

enum class RecordFormat { IntelHex, SRecord, Binary, Unknown };

RecordFormat FormatForFileName(const std::string& nameWithoutFolder);

// At most one warning per load; a truncation hides the reader's status.
enum class LoadWarning { None, Truncated, AddressRange, Checksum };

// The operator's text for a warning; empty for None.
const char* LoadWarningText(LoadWarning warning);

struct LoadResult {
    bool opened = false;                          // false: the file could not be opened
    RecordFormat format = RecordFormat::Unknown;  // Unknown: the name selects no format, nothing was read
    uint32_t count = 0;                           // what the reader returned
    uint32_t status = STATUS_NONE;                // the reader's status
    LoadWarning warning = LoadWarning::None;
    std::string fileError;                        // an error of the file layer, named; empty when none
};

// Reads the file at `path` into data[0, capacity) by the format its name selects. The buffer is
// not cleared first: the caller does that. Whatever was read before a warning or a file error
// stays in the buffer.
// `file` is the file object to read through (the station has one for the whole run); it is
// closed again before the call returns.
LoadResult LoadRecordFile(RecordFile& file, const std::string& path, uint8_t* data, uint32_t capacity);
LoadResult LoadRecordFile(const std::string& path, uint8_t* data, uint32_t capacity);
// The same for the `size` bytes of a file held in memory (standard input, read whole), in the
// format given.
LoadResult LoadRecordBytes(const uint8_t* bytes, size_t size, RecordFormat format, uint8_t* data, uint32_t capacity);

enum class SaveOutcome {
    Saved,
    UnknownFormat,   // the name selects no format; nothing was created or changed
    NotCreated,      // the file could not be created
    WriteFailed,     // writing failed; an existing file was left as it was unless written in place
};

struct SaveResult {
    SaveOutcome outcome = SaveOutcome::Saved;
    std::string errorText;   // names the error for NotCreated and WriteFailed
};

// Writes data[0, capacity) to `path` in the format its name selects. The file is written beside
// the target under a temporary name and renamed over it only once it is complete, so a failure
// never leaves a half-written file in place of an existing one. With Durability::OnDisk the
// rename also waits until the new file is on the disk, so not even a crash can leave an empty one.
// Two existing files are rewritten in place instead (emptied, written and synced): one with other
// hard links, which a rename would split off, and one in a folder where no temporary may be created.
SaveResult SaveRecordFile(RecordFile& file, const std::string& path, const uint8_t* data, uint32_t capacity,
                          RecordFile::Durability durability = RecordFile::Durability::OnDisk);
SaveResult SaveRecordFile(const std::string& path, const uint8_t* data, uint32_t capacity,
                          RecordFile::Durability durability = RecordFile::Durability::OnDisk);

// data[0, capacity) as the contents of a file in `format` (nothing for Unknown), for output
// to a stream.
std::string RecordFileContents(RecordFormat format, const uint8_t* data, uint32_t capacity);
