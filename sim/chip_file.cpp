// Virtual chip files.
//
// A chip file keeps one simulated PROM between runs. It starts with a text header of six
// lines, each ended by a line feed: the magic line "PROM-SIM CHIP 1", then "type=NAME" with
// the exact catalogue name, "reset=B", "express=B" and "busy=B" (B is 1 when that option bit
// is programmed, else 0; express and busy are always 0 for types that are not extended), and
// an empty line. The contents follow as raw bytes: exactly sizeBits / 8 of them, in the data
// buffer's layout (bit 0 of byte 0 is the first bit of the array; an erased bit is 1).
// Injected faults are not kept. Loading checks every line, the type and the length.

#include <cstdio>
#include <fstream>
#include <algorithm>
#include <string>
#include <string_view>

#include "catalog/device_catalog.h"
#include "sim/simulated_programmer.h"

namespace sim {
namespace {

constexpr std::string_view kMagicLine = "PROM-SIM CHIP 1";
// The header is short; anything much longer than the largest part is not a chip file.
constexpr size_t kHeaderLimit = 1024;

bool SameType(const PromDevice& a, const PromDevice& b) {
    return a.name == b.name && a.sizeBits == b.sizeBits && a.idClocks == b.idClocks &&
           a.optionClocks == b.optionClocks && a.readSupply == b.readSupply &&
           a.programSupply == b.programSupply && a.idCode == b.idCode && a.wordSize == b.wordSize;
}

// Takes the next header line (without its line feed) off the front of `rest`.
bool TakeLine(std::string_view& rest, std::string_view& lineOut) {
    const size_t end = rest.find('\n');
    if (end == std::string_view::npos || end > kHeaderLimit) {
        return false;
    }
    lineOut = rest.substr(0, end);
    rest.remove_prefix(end + 1);
    return true;
}

bool TakeFlag(std::string_view& rest, std::string_view key, bool& flag, std::string& error) {
    std::string_view lineText;
    if (!TakeLine(rest, lineText) || lineText.substr(0, key.size() + 1) != std::string(key) + "=") {
        error = "chip file header: expected the line '" + std::string(key) + "=0' or '" + std::string(key) + "=1'";
        return false;
    }
    const std::string_view value = lineText.substr(key.size() + 1);
    if (value != "0" && value != "1") {
        error = "chip file header: " + std::string(key) + " must be 0 or 1, not '" + std::string(value) + "'";
        return false;
    }
    flag = value == "1";
    return true;
}

}  // namespace

bool SaveChipFile(const std::string& path, const SimulatedProm& part, std::string& error) {
    const PromDevice* type = DeviceCatalog::Standard().FindByName(part.type.name);
    if (!type || !SameType(*type, part.type)) {
        error = "cannot save a part of type '" + part.type.name + "': not a catalogue type";
        return false;
    }
    if (part.contents.size() != type->sizeBits / 8) {
        error = "cannot save the part: it holds " + std::to_string(part.contents.size()) + " bytes, " +
                type->name + " has " + std::to_string(type->sizeBits / 8);
        return false;
    }
    if (!IsExtended(*type) && (part.expressProgrammed || part.busyProgrammed)) {
        error = "cannot save the part: " + type->name + " has no express or busy bit";
        return false;
    }

    // Written beside the target and renamed over it, so a failed save leaves the old file whole.
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << kMagicLine << '\n'
            << "type=" << type->name << '\n'
            << "reset=" << (part.resetProgrammed ? 1 : 0) << '\n'
            << "express=" << (part.expressProgrammed ? 1 : 0) << '\n'
            << "busy=" << (part.busyProgrammed ? 1 : 0) << '\n'
            << '\n';
        out.write(reinterpret_cast<const char*>(part.contents.data()),
                  static_cast<std::streamsize>(part.contents.size()));
        out.close();
        if (!out) {
            std::remove(temporary.c_str());
            error = "cannot write the chip file '" + path + "'";
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        error = "cannot write the chip file '" + path + "'";
        return false;
    }
    return true;
}

bool LoadChipFile(const std::string& path, SimulatedProm& part, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open the chip file '" + path + "'";
        return false;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    size_t largest = 0;
    for (size_t i = 0; i < DeviceCatalog::Standard().GetCount(); ++i) {
        largest = std::max<size_t>(largest, DeviceCatalog::Standard().GetAt(i).sizeBits / 8);
    }
    if (size < 0 || static_cast<size_t>(size) > largest + kHeaderLimit) {
        error = "'" + path + "' is not a chip file: it is too large";
        return false;
    }
    std::string text(static_cast<size_t>(size), '\0');
    if (!in.read(text.data(), size)) {
        error = "cannot read the chip file '" + path + "'";
        return false;
    }

    // Every complaint about the contents names the file.
    const std::string named = "'" + path + "': ";
    std::string_view rest = text;
    std::string_view lineText;
    if (!TakeLine(rest, lineText) || lineText != kMagicLine) {
        error = "'" + path + "' is not a chip file: it does not start with '" + std::string(kMagicLine) + "'";
        return false;
    }
    if (!TakeLine(rest, lineText) || lineText.substr(0, 5) != "type=") {
        error = named + "chip file header: expected the line 'type=NAME'";
        return false;
    }
    const std::string typeName(lineText.substr(5));
    const PromDevice* type = DeviceCatalog::Standard().FindByName(typeName);
    if (!type) {
        error = named + "chip file header: unknown PROM type '" + typeName + "'";
        return false;
    }

    SimulatedProm loaded;
    loaded.type = *type;
    if (!TakeFlag(rest, "reset", loaded.resetProgrammed, error) ||
        !TakeFlag(rest, "express", loaded.expressProgrammed, error) ||
        !TakeFlag(rest, "busy", loaded.busyProgrammed, error)) {
        error = named + error;
        return false;
    }
    if (!IsExtended(*type) && (loaded.expressProgrammed || loaded.busyProgrammed)) {
        error = named + "chip file header: " + type->name + " has no express or busy bit";
        return false;
    }
    if (!TakeLine(rest, lineText) || !lineText.empty()) {
        error = named + "chip file header: expected an empty line before the contents";
        return false;
    }
    if (rest.size() != type->sizeBits / 8) {
        error = named + "chip file contents: " + std::to_string(rest.size()) + " bytes, " + type->name + " needs " +
                std::to_string(type->sizeBits / 8);
        return false;
    }
    loaded.contents.assign(rest.begin(), rest.end());
    part = std::move(loaded);
    return true;
}

}  // namespace sim
