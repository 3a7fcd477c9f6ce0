#include "buffer/record_file.h"

#include <algorithm>
#include <cstring>

#include "buffer/hex_text.h"

using namespace hex_text;

namespace {

// Longest line a writer emits (an S3 record of 32 data bytes with CR LF is 80 characters).
constexpr size_t kMaxLineLength = 96;

constexpr size_t kIntelHexRecordBytes = 16;
constexpr size_t kSRecordBytes = 32;
constexpr uint32_t kSegmentSize = 65536;

uint32_t Saturated(uint64_t count) {
    return static_cast<uint32_t>(std::min<uint64_t>(count, UINT32_MAX));
}

// The data of a full record, sixteen bytes at a time.
template <size_t kLength>
char* PutFullRecordData(char* out, const uint8_t* bytes, uint32_t& sum) {
    static_assert(kLength % 16 == 0);
    for (size_t k = 0; k < kLength; k += 16) {
        out = PutSixteen(out, bytes + k, sum);
    }
    return out;
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

// The characters of one record after its ':' (length, offset, type, data, checksum).
constexpr size_t kLongestIntelHexRecord = 2 * (1 + 2 + 1 + 255 + 1);

// The characters after its ':' that the reader takes of a record with this length field: the
// data bytes and checksum of a data record, or the four digits and checksum of an address record.
size_t IntelHexRecordChars(uint8_t length) {
    return std::max<size_t>(2 * (1 + 2 + 1 + 2 + 1), 2 * (1 + 2 + 1 + size_t{length} + 1));
}

// Record fields taken in place from characters known to be there.
struct BlockFields {
    const uint8_t* next;

    uint8_t Byte() {
        const uint8_t value = FieldByteAt(next);
        next += 2;
        return value;
    }
    static bool CutShort() { return false; }

    // Decodes the next 32 characters into 16 bytes when all of them are hexadecimal digits;
    // false, with nothing read, when any is not.
    bool SixteenBytes(uint8_t* into) {
        if (!DecodeSixteen(next, into)) {
            return false;
        }
        next += 32;
        return true;
    }
};

// Record fields read from the file, which may end anywhere.
struct FileFields {
    RecordFile& file;

    uint8_t Byte() { return static_cast<uint8_t>(file.ReadHexField(1)); }
    bool CutShort() const { return file.AtEnd(); }
    static bool SixteenBytes(uint8_t*) { return false; }
};

struct IntelHexReading {
    uint8_t* data;
    uint32_t capacity;
    uint32_t& status;
    uint32_t base = 0;     // from the last segment (02) or linear (04) address record
    uint64_t count = 0;    // data bytes met
};

// Reads one record after its ':'; false when the reading must end.
template <typename Fields>
bool ReadIntelHexRecord(Fields& fields, IntelHexReading& reading) {
    const uint8_t length = fields.Byte();
    const uint8_t offsetHigh = fields.Byte();
    const uint8_t offsetLow = fields.Byte();
    const uint8_t type = fields.Byte();
    if (fields.CutShort()) {
        // Cut short before its type is known: it may have been a data record.
        reading.status = STATUS_CHECKSUM;
        return false;
    }
    if (type == 0) {
        reading.count += length;
        uint32_t sum = uint32_t{length} + offsetHigh + offsetLow;
        // Addresses wrap at 4 GiB, as linear addresses of the format do.
        const uint32_t address = reading.base + (uint32_t{offsetHigh} << 8 | offsetLow);
        uint32_t k = 0;
        // The usual record: sixteen bytes of plain digits, wholly in the buffer.
        if (length == 16 && uint64_t{address} + 16 <= reading.capacity && fields.SixteenBytes(reading.data + address)) {
            sum += SumOfSixteen(reading.data + address);
            k = 16;
        }
        for (; k < length; ++k) {
            const uint8_t value = fields.Byte();
            if (fields.CutShort()) {
                reading.status = STATUS_CHECKSUM;
                return false;
            }
            sum += value;
            const uint32_t target = address + k;
            if (target < reading.capacity) {
                reading.data[target] = value;
            } else {
                reading.status = STATUS_ADDRESS_RANGE;   // dropped, but the user must hear of it
            }
        }
        const uint8_t checksum = fields.Byte();
        if (fields.CutShort() || ((sum + checksum) & 0xFFu) != 0) {
            reading.status = STATUS_CHECKSUM;
            return false;
        }
    } else if (type == 1) {
        return false;
    } else if (type == 2 || type == 4) {
        const uint8_t high = fields.Byte();
        const uint32_t value = uint32_t{high} << 8 | fields.Byte();
        reading.base = type == 2 ? value << 4 : value << 16;
        fields.Byte();   // address records' checksums are not checked
    }
    return length != 0;
}

}  // namespace

uint8_t HexValue(int character) {
    return character >= 0 && character < 256 ? kDigitValues[static_cast<unsigned>(character)] : 255;
}

uint8_t HexDigit(unsigned value) {
    return value < 16 ? static_cast<uint8_t>(kDigits[value]) : 255;
}

RecordFile::RecordFile() : readBlock_(kBlockSize), readData_(readBlock_.data()), writeBlock_(kBlockSize) {}

RecordFile::~RecordFile() { Close(); }

bool RecordFile::Open(const std::string& path) {
    Close();
    errorNumber_ = 0;
    writing_ = false;
    if (const int error = file_.Open(path, platform::FileHandle::Access::Read)) {
        RecordError("Open error", error);
        return false;
    }
    SeekToStart();
    return true;
}

bool RecordFile::OpenInMemory(const uint8_t* bytes, size_t size) {
    Close();
    errorNumber_ = 0;
    writing_ = false;
    static const uint8_t kNothing = 0;
    memory_ = bytes ? bytes : &kNothing;
    memorySize_ = bytes ? size : 0;
    SeekToStart();
    return true;
}

bool RecordFile::Create(const std::string& path, CreateMode mode, Durability durability) {
    Close();
    errorNumber_ = 0;
    writing_ = true;
    syncOnClose_ = durability == Durability::OnDisk;
    auto access = platform::FileHandle::Access::CreateOrTruncate;
    if (mode == CreateMode::MustBeNew) {
        access = platform::FileHandle::Access::CreateNew;
    } else if (mode == CreateMode::TruncateExisting) {
        access = platform::FileHandle::Access::TruncateExisting;
    }
    if (const int error = file_.Open(path, access)) {
        RecordError("Create error", error);
        return false;
    }
    writeEnd_ = 0;
    return true;
}

bool RecordFile::CreateInMemory(std::string& into) {
    Close();
    errorNumber_ = 0;
    writing_ = true;
    syncOnClose_ = false;
    into.clear();
    memoryOutput_ = &into;
    writeEnd_ = 0;
    return true;
}

bool RecordFile::Close() {
    if (memoryOutput_) {
        FlushOutput();
        memoryOutput_ = nullptr;
        return !HasError();
    }
    if (memory_) {
        memory_ = nullptr;
        readPos_ = readEnd_ = 0;
        return !HasError();
    }
    if (!file_.IsOpen()) {
        return !HasError();
    }
    if (writing_) {
        FlushOutput();
        // A successful close promises the data is on the disk, so that a file renamed over an
        // older one afterwards cannot come out empty after a crash.
        if (const int error = syncOnClose_ ? file_.Sync() : 0) {
            RecordError("Write error", error);
        }
    }
    if (const int error = file_.Close()) {
        RecordError(writing_ ? "Write error" : "Read error", error);
    }
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
    return FieldByte(high < 0 ? '0' : static_cast<uint8_t>(high), low < 0 ? '0' : static_cast<uint8_t>(low));
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
    IntelHexReading reading{data, capacity, status};
    while (SkipPast(':')) {
        bool goOn = false;
        // A record that lies wholly in the read block (any record can, or this one by its length
        // field) is decoded there in place; the few that cross a block's end, or are cut short
        // by the file's, go character by character.
        const size_t left = readEnd_ - readPos_;
        if (left >= kLongestIntelHexRecord ||
            (left >= 2 && left >= IntelHexRecordChars(hex_text::FieldByteAt(readData_ + readPos_)))) {
            BlockFields fields{readData_ + readPos_};
            goOn = ReadIntelHexRecord(fields, reading);
            readPos_ = static_cast<size_t>(fields.next - readData_);
        } else {
            FileFields fields{*this};
            goOn = ReadIntelHexRecord(fields, reading);
        }
        if (!goOn) {
            break;
        }
    }
    return Saturated(reading.count);
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
        out = length == kIntelHexRecordBytes ? PutFullRecordData<kIntelHexRecordBytes>(out, data + address, sum)
                                             : PutBytes(out, data + address, length, sum);
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
        out = length == kSRecordBytes ? PutFullRecordData<kSRecordBytes>(out, data + address, sum)
                                      : PutBytes(out, data + address, length, sum);
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
    if (memory_) {
        return Saturated(memorySize_);
    }
    if (const auto size = file_.PlainFileSize()) {
        return Saturated(*size);
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
    if (memory_) {
        readData_ = memory_;
        readPos_ = 0;
        readEnd_ = memorySize_;
        atEnd_ = false;
        return;
    }
    readData_ = readBlock_.data();
    if (writing_) {
        FlushOutput();
    }
    if (memoryOutput_) {
        return;   // a string has nowhere to go back to: the writers seek only before they write
    }
    if (const int error = file_.SeekToStart()) {
        RecordError(writing_ ? "Write error" : "Read error", error);
    }
    readPos_ = readEnd_ = 0;
    atEnd_ = false;
}

bool RecordFile::FillReadBuffer() {
    if (atEnd_ || memory_) {
        atEnd_ = true;   // an in-memory file is in the block from the start
        return false;
    }
    size_t got = 0;
    if (const int error = file_.Read(readBlock_.data(), kBlockSize, got)) {
        RecordError("Read error", error);
    }
    if (got == 0) {
        atEnd_ = true;
        return false;
    }
    readPos_ = 0;
    readEnd_ = got;
    return true;
}

size_t RecordFile::ReadBytes(uint8_t* into, size_t size) {
    size_t done = std::min(size, readEnd_ - readPos_);
    std::memcpy(into, readData_ + readPos_, done);
    readPos_ += done;
    if (memory_ && done < size) {
        atEnd_ = true;
    }
    while (done < size && !atEnd_) {
        size_t got = 0;
        if (const int error = file_.Read(into + done, size - done, got)) {
            RecordError("Read error", error);
        }
        if (got == 0) {
            atEnd_ = true;
        }
        done += got;
    }
    return done;
}

bool RecordFile::SkipPast(char start) {
    // The next record usually starts within a line end's length: look there before searching.
    const uint8_t* block = readData_;
    for (size_t stop = std::min(readPos_ + 4, readEnd_); readPos_ < stop;) {
        if (block[readPos_++] == static_cast<uint8_t>(start)) {
            return true;
        }
    }
    for (;;) {
        if (readPos_ == readEnd_ && !FillReadBuffer()) {
            return false;
        }
        const uint8_t* from = readData_ + readPos_;
        const auto* found = static_cast<const uint8_t*>(std::memchr(from, start, readEnd_ - readPos_));
        if (found != nullptr) {
            readPos_ = static_cast<size_t>(found - readData_) + 1;
            return true;
        }
        readPos_ = readEnd_;
    }
}

char* RecordFile::ReserveOutput(size_t size) {
    if (kBlockSize - writeEnd_ < size) {
        FlushOutput();
    }
    return reinterpret_cast<char*>(writeBlock_.data() + writeEnd_);
}

void RecordFile::CommitOutput(const char* end) {
    writeEnd_ = static_cast<size_t>(reinterpret_cast<const uint8_t*>(end) - writeBlock_.data());
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
    std::memcpy(writeBlock_.data() + writeEnd_, from, size);
    writeEnd_ += size;
}

void RecordFile::FlushOutput() {
    WriteOut(writeBlock_.data(), writeEnd_);
    writeEnd_ = 0;
}

void RecordFile::WriteOut(const uint8_t* from, size_t size) {
    // After the first failure the rest of the output is dropped; the error stays recorded.
    if (size == 0 || HasError()) {
        return;
    }
    if (memoryOutput_) {
        memoryOutput_->append(reinterpret_cast<const char*>(from), size);
        return;
    }
    if (const int error = file_.Write(from, size)) {
        RecordError("Write error", error);
    }
}
