#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// An open file of the operating system, read and written in blocks (the stand-in for the file
// object the record files were written against). Every call answers 0 or the system's error
// number; interrupted calls are repeated.
class FileHandle {
public:
    enum class Access {
        Read,
        CreateOrTruncate,   // for writing; an existing file is emptied
        CreateNew,          // for writing; fails with EEXIST when the name exists
        TruncateExisting,   // for writing; the file must exist and is emptied, keeping its links
    };

    FileHandle() = default;
    ~FileHandle();
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    // Opens `path`; a directory is refused with EISDIR.
    int Open(const std::string& path, Access access);
    bool IsOpen() const { return descriptor_ >= 0; }
    // Closes the file (nothing to do when it is not open).
    int Close();

    // Reads up to `size` bytes; `got` is 0 at the end of the file.
    int Read(uint8_t* into, size_t size, size_t& got);
    // Writes all `size` bytes.
    int Write(const uint8_t* from, size_t size);
    // Back to the first byte; a pipe, which cannot seek, stays where it stands.
    int SeekToStart();
    // Waits until the written data are on the disk; devices that cannot sync have nothing to do.
    int Sync();
    // The length of a plain file; nothing for a pipe or a device.
    std::optional<uint64_t> PlainFileSize() const;

private:
    int descriptor_ = -1;
};

// Whether the calling process may write to the file at `path`: 0 or the error number.
int CheckWritable(const std::string& path);

}  // namespace platform
