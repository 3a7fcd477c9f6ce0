#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/file_handle.h"
#include "platform/large_buffer.h"

// Status values the record readers report (the caller sets the status to STATUS_NONE first).
constexpr uint32_t STATUS_NONE = 0;
constexpr uint32_t STATUS_ADDRESS_RANGE = 1;   // a data byte's address lies at or beyond the capacity
constexpr uint32_t STATUS_CHECKSUM = 2;        // a record's checksum did not match, or it was cut short

// Transfer directions.
constexpr uint16_t TRANSFER_READ = 0;
constexpr uint16_t TRANSFER_WRITE = 1;

// 0-15 for a hexadecimal digit (either case), 255 for any other character.
uint8_t HexValue(int character);
// '0'-'9' and 'A'-'F' for 0-15, 255 for any other value.
uint8_t HexDigit(unsigned value);

// A file opened in binary mode through which the data buffer is read from and written to
// Intel Hex / MCS, Motorola S-record and raw binary files.
//
// Errors of the file layer are recorded, not thrown: a read error ends the reading as the end
// of the file would, a write error drops the rest of the output, and HasError() / ErrorText()
// tell the caller what went wrong. Reading and writing go through block buffers of their own.
class RecordFile {
public:
    // The size of the read and the write block: large enough to keep system calls rare and let
    // the system keep a file's data in large pieces, small enough that any file is read in
    // bounded memory.
    static constexpr size_t kBlockSize = 256 * 1024;

    // TruncateExisting: the file must exist; it is emptied and written where it stands.
    enum class CreateMode { ReplaceExisting, MustBeNew, TruncateExisting };
    // OnDisk: closing a written file waits until its data is on the disk. InCache: closing
    // leaves that to the system, as most command-line tools do.
    enum class Durability { OnDisk, InCache };

    RecordFile();
    ~RecordFile();
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    // Opens an existing file for reading. False (with the error recorded) when it cannot be
    // opened or is a directory.
    bool Open(const std::string& path);
    // Reads `size` bytes already in memory as if they were a file of that content; the caller
    // keeps them alive until Close. For readers of records that never touch the disk (the
    // fuzz targets, which would otherwise spend most of their time in system calls).
    bool OpenInMemory(const uint8_t* bytes, size_t size);
    // Creates a file for writing; ReplaceExisting truncates an existing file, MustBeNew fails
    // when the name exists, TruncateExisting when it does not.
    bool Create(const std::string& path, CreateMode mode = CreateMode::ReplaceExisting,
                Durability durability = Durability::OnDisk);
    // Writes into `into` (emptied first) instead of a file, for output that goes to a stream;
    // the caller keeps it alive until Close.
    bool CreateInMemory(std::string& into);
    // Writes out what is buffered, commits a written file to the disk (Durability::OnDisk) and
    // closes it. False when anything failed since the file was opened (see ErrorText()).
    bool Close();
    bool IsOpen() const { return file_.IsOpen() || memory_ != nullptr || memoryOutput_ != nullptr; }

    bool HasError() const { return errorNumber_ != 0; }
    // Names the first error since the file was opened, e.g. "Write error: No space left on
    // device"; empty when there was none.
    std::string ErrorText() const;
    // The errno value of that error; 0 when there was none.
    int ErrorNumber() const { return errorNumber_; }

    // direction TRANSFER_READ: reads the file into data[0, capacity) and returns the number of
    // data bytes met in the file, possibly setting status. TRANSFER_WRITE: writes the whole
    // buffer and returns the capacity. Any other direction does nothing and returns 0.
    uint32_t TransferIntelHex(uint8_t* data, uint32_t capacity, uint32_t& status, uint16_t direction);
    uint32_t TransferSRecord(uint8_t* data, uint32_t capacity, uint32_t& status, uint16_t direction);
    // Read returns the length of the whole file (0xFFFFFFFF for anything longer).
    uint32_t TransferBinary(uint8_t* data, uint32_t capacity, uint16_t direction);

    // Reads 2 x n characters as n big-endian bytes of an Intel Hex record. Characters that are
    // not hexadecimal digits keep their character code; see AtEnd() for a field cut short.
    uint16_t ReadHexField(int n);
    // True once a read met the end of the file (or a read error).
    bool AtEnd() const { return atEnd_; }

private:
    uint32_t ReadIntelHex(uint8_t* data, uint32_t capacity, uint32_t& status);
    uint32_t WriteIntelHex(const uint8_t* data, uint32_t capacity);
    uint32_t ReadSRecord(uint8_t* data, uint32_t capacity, uint32_t& status);
    uint32_t WriteSRecord(const uint8_t* data, uint32_t capacity);
    uint32_t ReadBinary(uint8_t* data, uint32_t capacity);
    uint32_t WriteBinary(const uint8_t* data, uint32_t capacity);

    // Next character of the file, or -1 at its end.
    int NextChar() {
        if (readPos_ == readEnd_ && !FillReadBuffer()) {
            return -1;
        }
        return readData_[readPos_++];
    }
    bool FillReadBuffer();
    // Reads up to `size` bytes; returns how many were read.
    size_t ReadBytes(uint8_t* into, size_t size);
    // Moves past the next `start` character; false when the file ends first.
    bool SkipPast(char start);
    // One Intel Hex byte from two characters: ((c1 x 16) OR (c2 AND 15)) AND 255.
    uint8_t ReadFieldByte();
    uint8_t ReadSRecordByte();

    // Room for `size` more characters in the write buffer; hand the end back to CommitOutput.
    char* ReserveOutput(size_t size);
    void CommitOutput(const char* end);
    void WriteBytes(const uint8_t* from, size_t size);
    // Writes `size` bytes straight to the file, past the buffer.
    void WriteOut(const uint8_t* from, size_t size);
    void FlushOutput();
    void SeekToStart();

    void RecordError(const char* operation, int errorNumber);

    platform::FileHandle file_;
    bool writing_ = false;
    bool syncOnClose_ = false;
    bool atEnd_ = false;
    platform::LargeBuffer readBlock_;
    const uint8_t* readData_ = nullptr;   // the read block, or the bytes of an in-memory file
    const uint8_t* memory_ = nullptr;     // set while an in-memory file is open
    size_t memorySize_ = 0;
    std::string* memoryOutput_ = nullptr;   // set while an in-memory file is written
    platform::LargeBuffer writeBlock_;
    size_t readPos_ = 0;
    size_t readEnd_ = 0;
    size_t writeEnd_ = 0;
    int errorNumber_ = 0;
    const char* errorOperation_ = "";
};
