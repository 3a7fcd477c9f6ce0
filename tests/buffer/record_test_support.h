#pragma once
// Helpers shared by the record file tests: a scratch folder, whole-file I/O and one-call reads.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "buffer/record_file.h"
#include "random_image.h"

namespace record_test {

class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "record-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
        }
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline void WriteFile(const std::string& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    const std::string text = ReadFile(path);
    return {text.begin(), text.end()};
}

enum class Format { IntelHex, SRecord, Binary };

struct ReadOutcome {
    uint32_t count = 0;
    uint32_t status = STATUS_NONE;
    std::vector<uint8_t> data;
};

// Reads `path` in `format` into a buffer of `capacity` bytes that starts filled with `fill`.
inline ReadOutcome ReadPath(const std::string& path, Format format, uint32_t capacity, uint8_t fill = 0xFF) {
    ReadOutcome outcome;
    outcome.data.assign(capacity, fill);
    RecordFile file;
    if (!file.Open(path)) {
        return outcome;
    }
    switch (format) {
    case Format::IntelHex:
        outcome.count = file.TransferIntelHex(outcome.data.data(), capacity, outcome.status, TRANSFER_READ);
        break;
    case Format::SRecord:
        outcome.count = file.TransferSRecord(outcome.data.data(), capacity, outcome.status, TRANSFER_READ);
        break;
    case Format::Binary:
        outcome.count = file.TransferBinary(outcome.data.data(), capacity, TRANSFER_READ);
        break;
    }
    return outcome;
}

// Reads `text` as a file's contents.
inline ReadOutcome ReadText(const std::string& text, Format format, uint32_t capacity, uint8_t fill = 0xFF) {
    ScratchDir dir;
    WriteFile(dir / "input", text);
    return ReadPath(dir / "input", format, capacity, fill);
}

// Writes `data` in `format` and returns the file's contents.
inline std::string WriteText(std::vector<uint8_t> data, Format format) {
    ScratchDir dir;
    RecordFile file;
    file.Create(dir / "output");
    uint32_t status = STATUS_NONE;
    const auto capacity = static_cast<uint32_t>(data.size());
    switch (format) {
    case Format::IntelHex:
        file.TransferIntelHex(data.data(), capacity, status, TRANSFER_WRITE);
        break;
    case Format::SRecord:
        file.TransferSRecord(data.data(), capacity, status, TRANSFER_WRITE);
        break;
    case Format::Binary:
        file.TransferBinary(data.data(), capacity, TRANSFER_WRITE);
        break;
    }
    file.Close();
    return ReadFile(dir / "output");
}

// The lines of a written file, split at CR LF (the last line has no line end).
inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    lines.push_back(text.substr(start));
    return lines;
}

inline std::vector<uint8_t> Sequence(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<uint8_t>(i);
    }
    return bytes;
}

// 256 records of `recordBytes` bytes in which every byte value stands once in every place of a
// record: (record + place) mod 256.
inline std::vector<uint8_t> EveryValueInEveryPlace(size_t recordBytes) {
    std::vector<uint8_t> bytes(256 * recordBytes);
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(i / recordBytes + i % recordBytes);
    }
    return bytes;
}

inline std::string HexByte(unsigned value) {
    static const char digits[] = "0123456789ABCDEF";
    return {digits[(value >> 4) & 15], digits[value & 15]};
}

// One Intel Hex record with a correct checksum, without a line end.
inline std::string IntelRecord(unsigned type, unsigned offset, const std::vector<uint8_t>& bytes) {
    unsigned sum = static_cast<unsigned>(bytes.size()) + (offset >> 8) + (offset & 0xFF) + type;
    // Appended piece by piece: g++ 12 warns (-Wrestrict) about a literal in front of a string.
    std::string line = ":";
    line += HexByte(static_cast<unsigned>(bytes.size()));
    line += HexByte(offset >> 8);
    line += HexByte(offset & 0xFF);
    line += HexByte(type);
    for (uint8_t byte : bytes) {
        line += HexByte(byte);
        sum += byte;
    }
    return line + HexByte((0u - sum) & 0xFF);
}

// One S-record of type 1, 2 or 3 (address of 2, 3 or 4 bytes) with a correct checksum.
inline std::string SRecordLine(unsigned type, uint32_t address, const std::vector<uint8_t>& bytes) {
    const unsigned addressBytes = type == 0 || type == 1 || type == 5 || type == 9 ? 2 : type == 2 || type == 6 || type == 8 ? 3 : 4;
    const unsigned byteCount = addressBytes + static_cast<unsigned>(bytes.size()) + 1;
    unsigned sum = byteCount;
    std::string line = "S";
    line += std::to_string(type);
    line += HexByte(byteCount);
    for (int i = static_cast<int>(addressBytes) - 1; i >= 0; --i) {
        const unsigned value = (address >> (8 * i)) & 0xFF;
        line += HexByte(value);
        sum += value;
    }
    for (uint8_t byte : bytes) {
        line += HexByte(byte);
        sum += byte;
    }
    return line + HexByte(~sum & 0xFF);
}

}  // namespace record_test
