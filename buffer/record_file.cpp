#include "buffer/record_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Large enough to keep system calls rare, small enough that any file is read in bounded memory.
constexpr size_t kBlockSize = 64 * 1024;
// Longest line a writer emits (an S3 record of 32 data bytes with CR LF is 80 characters).
constexpr size_t kMaxLineLength = 96;

constexpr size_t kIntelHexRecordBytes = 16;
constexpr size_t kSRecordBytes = 32;
constexpr uint32_t kSegmentSize = 65536;

constexpr char kDigits[] = "0123456789ABCDEF";

// Hexadecimal digits (either case) give 0-15; every other character gives its own code or 255.
constexpr std::array<uint8_t, 256> MakeDigitValues(bool othersKeepTheirCode) {
    std::array<uint8_t, 256> values{};
    for (unsigned c = 0; c < 256; ++c) {
        values[c] = othersKeepTheirCode ? static_cast<uint8_t>(c) : 255;
    }
    for (unsigned d = 0; d < 10; ++d) {
        values['0' + d] = static_cast<uint8_t>(d);
    }
    for (unsigned d = 0; d < 6; ++d) {
        values['A' + d] = static_cast<uint8_t>(10 + d);
        values['a' + d] = static_cast<uint8_t>(10 + d);
    }
    return values;
}
// Intel Hex fields keep the code of a non-digit (the record checksum is the only check).
constexpr std::array<uint8_t, 256> kFieldValues = MakeDigitValues(true);
constexpr std::array<uint8_t, 256> kHexValues = MakeDigitValues(false);

uint32_t Saturated(uint64_t count) {
    return static_cast<uint32_t>(std::min<uint64_t>(count, UINT32_MAX));
}

char* PutByte(char* out, unsigned value) {
    out[0] = kDigits[(value >> 4) & 15];
    out[1] = kDigits[value & 15];
    return out + 2;
}

char* PutText(char* out, const char* text) {
    const size_t length = std::strlen(text);
    std::memcpy(out, text, length);
    return out + length;
}

char* PutLineEnd(char* out) {
    out[0] = '\r';
    out[1] = '\n';
    return out + 2;
}

}  // namespace

uint8_t HexValue(int character) {
    return character >= 0 && character < 256 ? kHexValues[static_cast<unsigned>(character)] : 255;
}

uint8_t HexDigit(unsigned value) {
    return value < 16 ? static_cast<uint8_t>(kDigits[value]) : 255;
}

RecordFile::RecordFile()
    : readBlock_(std::make_unique<uint8_t[]>(kBlockSize)),
      writeBlock_(std::make_unique<uint8_t[]>(kBlockSize)) {}

RecordFile::~RecordFile() { Close(); }

bool RecordFile::Open(const std::string& path) {
    Close();
    errorNumber_ = 0;
    writing_ = false;
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        RecordError("Open error", errno);
        return false;
    }
    // A directory opens for reading on Linux, but it is not a file to load.
    struct stat info {};
    if (::fstat(fd_, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        RecordError("Open error", EISDIR);
        return false;
    }
    SeekToStart();
    return true;
}

bool RecordFile::Create(const std::string& path, CreateMode mode) {
    Close();
    errorNumber_ = 0;
    writing_ = true;
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (mode == CreateMode::MustBeNew ? O_EXCL : O_TRUNC);
    fd_ = ::open(path.c_str(), flags, 0666);
    if (fd_ < 0) {
        RecordError("Create error", errno);
        return false;
    }
    writeEnd_ = 0;
    return true;
}

bool RecordFile::Close() {
    if (fd_ < 0) {
        return !HasError();
    }
    if (writing_) {
        FlushOutput();
        // A successful close promises the data is on the disk, so that a file renamed over an
        // older one afterwards cannot come out empty after a crash. Devices without a sync
        // (EINVAL, EROFS) have nothing to commit.
        if (::fsync(fd_) != 0 && errno != EINVAL && errno != EROFS) {
            RecordError("Write error", errno);
        }
    }
    if (::close(fd_) != 0 && errno != EINTR) {
        RecordError(writing_ ? "Write error" : "Read error", errno);
    }
    fd_ = -1;
    readPos_ = readEnd_ = writeEnd_ = 0;
    return !HasError();
}

std::string RecordFile::ErrorText() const {
    if (errorNumber_ == 0) {
        return {};
    }
    return std::string(errorOperation_) + ": " + std::strerror(errorNumber_);
}

void RecordFile::RecordError(const char* operation, int errorNumber) {
    if (errorNumber_ == 0) {
        errorNumber_ = errorNumber;
        errorOperation_ = operation;
    }
}

uint32_t RecordFile::TransferIntelHex(uint8_t* data, uint32_t capacity, uint32_t& status, uint16_t direction) {
    if (direction == TRANSFER_READ) {
        return ReadIntelHex(data, capacity, status);
    }
    return direction == TRANSFER_WRITE ? WriteIntelHex(data, capacity) : 0;
}

uint32_t RecordFile::TransferSRecord(uint8_t* data, uint32_t capacity, uint32_t& status, uint16_t direction) {
    if (direction == TRANSFER_READ) {
        return ReadSRecord(data, capacity, status);
    }
    return direction == TRANSFER_WRITE ? WriteSRecord(data, capacity) : 0;
}

uint32_t RecordFile::TransferBinary(uint8_t* data, uint32_t capacity, uint16_t direction) {
    if (direction == TRANSFER_READ) {
        return ReadBinary(data, capacity);
    }
    return direction == TRANSFER_WRITE ? WriteBinary(data, capacity) : 0;
}

// --- Intel Hex

uint8_t RecordFile::ReadFieldByte() {
    // A character past the end counts as 0; callers check AtEnd() before using the value.
    const int high = NextChar();
    const int low = NextChar();
    const unsigned highValue = high < 0 ? 0 : kFieldValues[static_cast<unsigned>(high)];
    const unsigned lowValue = low < 0 ? 0 : kFieldValues[static_cast<unsigned>(low)];
    return static_cast<uint8_t>((highValue << 4) | (lowValue & 15));
}

uint16_t RecordFile::ReadHexField(int n) {
    uint16_t value = 0;
    for (int i = 0; i < n; ++i) {
        value = static_cast<uint16_t>((value << 8) | ReadFieldByte());
    }
    return value;
}

uint32_t RecordFile::ReadIntelHex(uint8_t* data, uint32_t capacity, uint32_t& status) {
    if (data == nullptr) {
        return 0;
    }
    SeekToStart();
    uint64_t count = 0;
    uint32_t base = 0;
    while (SkipPast(':')) {
        const auto length = static_cast<uint8_t>(ReadHexField(1));
        const uint16_t offset = ReadHexField(2);
        const auto type = static_cast<uint8_t>(ReadHexField(1));
        if (atEnd_) {
            // Cut short before its type is known: it may have been a data record.
            status = STATUS_CHECKSUM;
            break;
        }
        if (type == 0) {
            count += length;
            const uint32_t sum = length + (offset >> 8) + (offset & 0xFFu);
            if (!ReadIntelHexData(data, capacity, base + offset, length, sum, status)) {
                break;
            }
        } else if (type == 1) {
            break;
        } else if (type == 2 || type == 4) {
            const uint32_t value = ReadHexField(2);
            base = type == 2 ? value << 4 : value << 16;
            ReadHexField(1);   // address records' checksums are not checked
        }
        if (length == 0) {
            break;
        }
    }
    return Saturated(count);
}

bool RecordFile::ReadIntelHexData(uint8_t* data, uint32_t capacity, uint32_t address, uint8_t length,
                                  uint32_t sum, uint32_t& status) {
    for (uint32_t k = 0; k < length; ++k) {
        const uint8_t value = ReadFieldByte();
        if (atEnd_) {
            status = STATUS_CHECKSUM;
            return false;
        }
        sum += value;
        // Addresses wrap at 4 GiB, as linear addresses of the format do.
        const uint32_t target = address + k;
        if (target < capacity) {
            data[target] = value;
        } else {
            status = STATUS_ADDRESS_RANGE;   // dropped, but the user must hear of it
        }
    }
    const uint8_t checksum = ReadFieldByte();
    if (atEnd_ || ((sum + checksum) & 0xFFu) != 0) {
        status = STATUS_CHECKSUM;
        return false;
    }
    return true;
}

uint32_t RecordFile::WriteIntelHex(const uint8_t* data, uint32_t capacity) {
    if (data == nullptr) {
        return 0;
    }
    for (uint64_t address = 0; address < capacity; address += kIntelHexRecordBytes) {
        const auto segment = static_cast<uint32_t>(address / kSegmentSize);
        const auto offset = static_cast<uint32_t>(address % kSegmentSize);
        char* out = ReserveOutput(2 * kMaxLineLength);
        if (offset == 0 && segment > 0) {
            out = PutText(out, ":02000004");
            out = PutByte(out, segment >> 8);
            out = PutByte(out, segment & 0xFF);
            out = PutByte(out, (0u - (2 + 4 + (segment >> 8) + (segment & 0xFF))) & 0xFF);
            out = PutLineEnd(out);
        }
        const auto length = static_cast<uint32_t>(std::min<uint64_t>(kIntelHexRecordBytes, capacity - address));
        uint32_t sum = length + (offset >> 8) + (offset & 0xFF);
        *out++ = ':';
        out = PutByte(out, length);
        out = PutByte(out, offset >> 8);
        out = PutByte(out, offset & 0xFF);
        out = PutText(out, "00");
        for (uint32_t k = 0; k < length; ++k) {
            const uint8_t value = data[address + k];
            sum += value;
            out = PutByte(out, value);
        }
        out = PutByte(out, (0u - sum) & 0xFF);
        out = PutLineEnd(out);
        CommitOutput(out);
    }
    // The end record is written in lower case, as the station always has.
    char* out = ReserveOutput(kMaxLineLength);
    CommitOutput(PutText(out, ":00000001ff"));
    FlushOutput();
    return capacity;
}

// --- Motorola S-record

uint8_t RecordFile::ReadSRecordByte() {
    const unsigned high = HexValue(NextChar());
    const unsigned low = HexValue(NextChar());
    return static_cast<uint8_t>(high * 16 + low);
}

uint32_t RecordFile::ReadSRecord(uint8_t* data, uint32_t capacity, uint32_t& status) {
    if (data == nullptr) {
        return 0;
    }
    SeekToStart();
    uint64_t count = 0;
    while (SkipPast('S')) {
        const int type = NextChar();
        if (type == '0' || type == '5' || type == '6') {
            continue;   // header and record-count records carry no data
        }
        if (type < '1' || type > '3') {
            break;   // S7, S8, S9 end the data, and so does anything unknown
        }
        const uint32_t addressBytes = static_cast<uint32_t>(type - '0') + 1;
        const uint32_t byteCount = ReadSRecordByte();
        uint32_t sum = byteCount;
        uint32_t address = 0;
        for (uint32_t i = 0; i < addressBytes; ++i) {
            const uint8_t value = ReadSRecordByte();
            address = (address << 8) | value;
            sum += value;
        }
        if (atEnd_) {
            status = STATUS_CHECKSUM;
            break;
        }
        // A byte count too small for the address holds no data.
        const uint32_t dataBytes = byteCount > addressBytes ? byteCount - addressBytes - 1 : 0;
        for (uint32_t k = 0; k < dataBytes; ++k) {
            ++count;
            if (count > capacity) {
                return Saturated(count);
            }
            const uint64_t target = uint64_t{address} + k;
            if (target >= capacity) {
                status = STATUS_ADDRESS_RANGE;
                return Saturated(count);
            }
            const uint8_t value = ReadSRecordByte();
            if (atEnd_) {
                status = STATUS_CHECKSUM;
                return Saturated(count);
            }
            data[target] = value;
            sum += value;
        }
        const uint8_t checksum = ReadSRecordByte();
        if (atEnd_ || checksum != static_cast<uint8_t>(~sum)) {
            // The count cannot exceed the capacity here: that case returned above.
            status = STATUS_CHECKSUM;
            break;
        }
    }
    return Saturated(count);
}

uint32_t RecordFile::WriteSRecord(const uint8_t* data, uint32_t capacity) {
    if (data == nullptr) {
        return 0;
    }
    SeekToStart();
    for (uint64_t address = 0; address < capacity; address += kSRecordBytes) {
        const auto length = static_cast<uint32_t>(std::min<uint64_t>(kSRecordBytes, capacity - address));
        const uint32_t byteCount = length + 5;
        uint32_t sum = byteCount;
        char* out = ReserveOutput(kMaxLineLength);
        out = PutText(out, "S3");
        out = PutByte(out, byteCount);
        for (int shift = 24; shift >= 0; shift -= 8) {
            const auto value = static_cast<uint32_t>(address >> shift) & 0xFF;
            sum += value;
            out = PutByte(out, value);
        }
        for (uint32_t k = 0; k < length; ++k) {
            const uint8_t value = data[address + k];
            sum += value;
            out = PutByte(out, value);
        }
        out = PutByte(out, ~sum & 0xFF);
        out = PutLineEnd(out);
        CommitOutput(out);
    }
    char* out = ReserveOutput(kMaxLineLength);
    CommitOutput(PutText(out, "S9030000FC"));
    FlushOutput();
    return capacity;
}

// --- Binary

uint32_t RecordFile::ReadBinary(uint8_t* data, uint32_t capacity) {
    if (data == nullptr) {
        return 0;
    }
    const size_t got = ReadBytes(data, capacity);
    struct stat info {};
    if (::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode)) {
        return Saturated(static_cast<uint64_t>(info.st_size));
    }
    // Not a plain file (a pipe, a device): its length is what it delivers.
    uint8_t probe = 0;
    return Saturated(got + ReadBytes(&probe, 1));
}

uint32_t RecordFile::WriteBinary(const uint8_t* data, uint32_t capacity) {
    if (data == nullptr) {
        return 0;
    }
    WriteBytes(data, capacity);
    FlushOutput();
    return capacity;
}

// --- Buffered file access

void RecordFile::SeekToStart() {
    if (writing_) {
        FlushOutput();
    }
    // A pipe cannot seek; it is read from where it stands.
    if (::lseek(fd_, 0, SEEK_SET) < 0 && errno != ESPIPE) {
        RecordError(writing_ ? "Write error" : "Read error", errno);
    }
    readPos_ = readEnd_ = 0;
    atEnd_ = false;
}

bool RecordFile::FillReadBuffer() {
    while (!atEnd_) {
        const ssize_t got = ::read(fd_, readBlock_.get(), kBlockSize);
        if (got > 0) {
            readPos_ = 0;
            readEnd_ = static_cast<size_t>(got);
            return true;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            RecordError("Read error", errno);
        }
        atEnd_ = true;
    }
    return false;
}

size_t RecordFile::ReadBytes(uint8_t* into, size_t size) {
    size_t done = std::min(size, readEnd_ - readPos_);
    std::memcpy(into, readBlock_.get() + readPos_, done);
    readPos_ += done;
    while (done < size && !atEnd_) {
        const ssize_t got = ::read(fd_, into + done, size - done);
        if (got > 0) {
            done += static_cast<size_t>(got);
        } else if (got < 0 && errno == EINTR) {
            continue;
        } else {
            if (got < 0) {
                RecordError("Read error", errno);
            }
            atEnd_ = true;
        }
    }
    return done;
}

bool RecordFile::SkipPast(char start) {
    for (;;) {
        if (readPos_ == readEnd_ && !FillReadBuffer()) {
            return false;
        }
        const uint8_t* from = readBlock_.get() + readPos_;
        const auto* found = static_cast<const uint8_t*>(std::memchr(from, start, readEnd_ - readPos_));
        if (found != nullptr) {
            readPos_ = static_cast<size_t>(found - readBlock_.get()) + 1;
            return true;
        }
        readPos_ = readEnd_;
    }
}

char* RecordFile::ReserveOutput(size_t size) {
    if (kBlockSize - writeEnd_ < size) {
        FlushOutput();
    }
    return reinterpret_cast<char*>(writeBlock_.get() + writeEnd_);
}

void RecordFile::CommitOutput(const char* end) {
    writeEnd_ = static_cast<size_t>(reinterpret_cast<const uint8_t*>(end) - writeBlock_.get());
}

void RecordFile::WriteBytes(const uint8_t* from, size_t size) {
    if (size >= kBlockSize) {
        FlushOutput();
        WriteOut(from, size);
        return;
    }
    if (kBlockSize - writeEnd_ < size) {
        FlushOutput();
    }
    std::memcpy(writeBlock_.get() + writeEnd_, from, size);
    writeEnd_ += size;
}

void RecordFile::FlushOutput() {
    WriteOut(writeBlock_.get(), writeEnd_);
    writeEnd_ = 0;
}

void RecordFile::WriteOut(const uint8_t* from, size_t size) {
    // After the first failure the rest of the output is dropped; the error stays recorded.
    while (size > 0 && !HasError()) {
        const ssize_t written = ::write(fd_, from, size);
        if (written > 0) {
            from += written;
            size -= static_cast<size_t>(written);
        } else if (written < 0 && errno == EINTR) {
            continue;
        } else {
            RecordError("Write error", written < 0 ? errno : EIO);
        }
    }
}
