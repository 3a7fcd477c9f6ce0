#include "platform/file_handle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

FileHandle::~FileHandle() { Close(); }

int FileHandle::Open(const std::string& path, Access access) {
    Close();
    int flags = O_CLOEXEC;
    switch (access) {
    case Access::Read:
        flags |= O_RDONLY;
        break;
    case Access::CreateOrTruncate:
        flags |= O_WRONLY | O_CREAT | O_TRUNC;
        break;
    case Access::CreateNew:
        flags |= O_WRONLY | O_CREAT | O_EXCL;
        break;
    case Access::TruncateExisting:
        flags |= O_WRONLY | O_TRUNC;
        break;
    }
    descriptor_ = ::open(path.c_str(), flags, 0666);
    if (descriptor_ < 0) {
        return errno;
    }
    // A directory opens for reading on Linux, but it is not a file to read.
    struct stat info {};
    if (::fstat(descriptor_, &info) == 0 && S_ISDIR(info.st_mode)) {
        Close();
        return EISDIR;
    }
    return 0;
}

int FileHandle::Close() {
    if (descriptor_ < 0) {
        return 0;
    }
    // The descriptor is gone even when close reports an error; EINTR is no failure.
    const int result = ::close(descriptor_) == 0 || errno == EINTR ? 0 : errno;
    descriptor_ = -1;
    return result;
}

int FileHandle::Read(uint8_t* into, size_t size, size_t& got) {
    for (;;) {
        const ssize_t result = ::read(descriptor_, into, size);
        if (result >= 0) {
            got = static_cast<size_t>(result);
            return 0;
        }
        if (errno != EINTR) {
            got = 0;
            return errno;
        }
    }
}

int FileHandle::Write(const uint8_t* from, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(descriptor_, from, size);
        if (written > 0) {
            from += written;
            size -= static_cast<size_t>(written);
        } else if (written == 0) {
            return EIO;
        } else if (errno != EINTR) {
            return errno;
        }
    }
    return 0;
}

int FileHandle::SeekToStart() {
    return ::lseek(descriptor_, 0, SEEK_SET) < 0 && errno != ESPIPE ? errno : 0;
}

int FileHandle::Sync() {
    return ::fsync(descriptor_) != 0 && errno != EINVAL && errno != EROFS ? errno : 0;
}

std::optional<uint64_t> FileHandle::PlainFileSize() const {
    struct stat info {};
    if (::fstat(descriptor_, &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return static_cast<uint64_t>(info.st_size);
}

int CheckWritable(const std::string& path) {
    return ::access(path.c_str(), W_OK) == 0 ? 0 : errno;
}

}  // namespace platform
