#include <cstdio>

#include "cli/commands.h"
#include "cli/device_names.h"

namespace cli {
namespace {

// A supply code in tenths of a volt, as volts.
std::string Volts(int16_t supplyCode) {
    char text[16];
    std::snprintf(text, sizeof text, "%d.%d V", supplyCode / 10, supplyCode % 10);
    return text;
}

}  // namespace

int RunDevices(const Console& console) {
    const DeviceCatalog& catalog = DeviceCatalog::Standard();
    std::vector<JsonObject> types;
    for (size_t i = 0; i < catalog.GetCount(); ++i) {
        const PromDevice& type = catalog.GetAt(i);
        char line[160];
        std::snprintf(line, sizeof line, "%-22s %8u bits %7u bytes %3u-bit words  ID %02X  read %s  program %s%s",
                      type.name.c_str(), type.sizeBits, type.sizeBits / 8, type.wordSize, type.idCode,
                      Volts(type.readSupply).c_str(), Volts(type.programSupply).c_str(),
                      IsExtended(type) ? "  extended" : "");
        console.out << line << '\n';
        types.push_back(JsonObject()
                            .AddText("type", type.name)
                            .AddNumber("size_bits", type.sizeBits)
                            .AddNumber("size_bytes", type.sizeBits / 8)
                            .AddNumber("word_bits", type.wordSize)
                            .AddText("device_code", HexNumber(type.idCode, 2))
                            .AddFixed("read_volts", static_cast<uint64_t>(type.readSupply), 1)
                            .AddFixed("program_volts", static_cast<uint64_t>(type.programSupply), 1)
                            .AddBool("extended", IsExtended(type)));
    }
    if (console.report) {
        console.report->Fields().AddArray("devices", types);
    }
    return kExitSuccess;
}

}  // namespace cli
