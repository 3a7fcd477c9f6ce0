#pragma once
#include <cstdint>
#include <fstream>
#include <optional>
#include <string>

namespace cli {

// One part of a production run, as its log row records it.
struct PartRecord {
    uint32_t number = 0;                   // from 1
    std::string type;                      // empty when no part was identified
    std::string image;                     // the image file as named on the command line
    std::optional<uint16_t> checksum;      // the image's, once it is loaded
    std::string optionBits;
    std::string failure;                   // empty: the part passed
    double seconds = 0;
};

// The CSV log of production runs. Each run appends to it; the header is written only into an
// empty file, and each row is flushed as it is written, so a run that ends abruptly keeps the
// parts it did.
class ProductionLog {
public:
    // False, with the reason in `error`, when the file cannot be opened for appending.
    bool Open(const std::string& path, std::string& error);
    bool IsOpen() const { return file.is_open(); }
    // False, with the reason in `error`, when the row did not reach the file.
    bool Append(const PartRecord& part, std::string& error);

private:
    bool Write(const std::string& row, std::string& error);

    std::string path;
    std::ofstream file;
};

// A CSV field: quoted, with its quotes doubled, when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text);

// The local time now in ISO 8601 with its offset from UTC, to the second.
std::string IsoTimeNow();

// Seconds with one decimal.
std::string SecondsText(double seconds);

}  // namespace cli
