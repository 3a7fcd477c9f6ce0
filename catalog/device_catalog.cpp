#include "catalog/device_catalog.h"

#include <iterator>

namespace {

// One catalogue entry as written in the table below.
struct CatalogRow {
    const char* name;
    uint32_t sizeBits;
    uint32_t idClocks;
    uint32_t optionClocks;
    int16_t readSupply;
    int16_t programSupply;
    uint16_t idCode;
    uint16_t wordSize;
};

// Fixed in the program: there is no catalogue file. In catalogue order, the order in which
// identification tries them.
constexpr CatalogRow kStandardRows[] = {
    {.name = "XC17V16", .sizeBits = 16777216, .idClocks = 0x20060, .optionClocks = 0x20000, .readSupply = 33, .programSupply = 33, .idCode = 0x7C, .wordSize = 128},
    {.name = "XC17V08", .sizeBits = 8388608, .idClocks = 0x20060, .optionClocks = 0x20000, .readSupply = 33, .programSupply = 33, .idCode = 0x6C, .wordSize = 128},
    {.name = "XC17V04", .sizeBits = 4194304, .idClocks = 0x10060, .optionClocks = 0x10000, .readSupply = 33, .programSupply = 33, .idCode = 0xB2, .wordSize = 64},
    {.name = "XC17V02", .sizeBits = 2097152, .idClocks = 0x10060, .optionClocks = 0x10000, .readSupply = 33, .programSupply = 33, .idCode = 0x32, .wordSize = 64},
    {.name = "XC17V01", .sizeBits = 1679360, .idClocks = 0x6690, .optionClocks = 0x6680, .readSupply = 33, .programSupply = 33, .idCode = 0x12, .wordSize = 64},
    {.name = "XC17S300A", .sizeBits = 2097152, .idClocks = 0x10060, .optionClocks = 0x10000, .readSupply = 33, .programSupply = 33, .idCode = 0x34, .wordSize = 64},
    {.name = "XC17S200A", .sizeBits = 1679360, .idClocks = 0x6690, .optionClocks = 0x6680, .readSupply = 33, .programSupply = 33, .idCode = 0x13, .wordSize = 64},
    {.name = "XC17S15A", .sizeBits = 524288, .idClocks = 0x6690, .optionClocks = 0x4000, .readSupply = 33, .programSupply = 33, .idCode = 0x93, .wordSize = 64},
    {.name = "XC17S30A", .sizeBits = 524288, .idClocks = 0x6690, .optionClocks = 0x4000, .readSupply = 33, .programSupply = 33, .idCode = 0x94, .wordSize = 64},
    {.name = "XC17S50A", .sizeBits = 1048576, .idClocks = 0x6690, .optionClocks = 0x4000, .readSupply = 33, .programSupply = 33, .idCode = 0xD3, .wordSize = 64},
    {.name = "XC17S100A", .sizeBits = 1048576, .idClocks = 0x6690, .optionClocks = 0x4000, .readSupply = 33, .programSupply = 33, .idCode = 0xD4, .wordSize = 64},
    {.name = "XC17S150A", .sizeBits = 1048576, .idClocks = 0x6690, .optionClocks = 0x4000, .readSupply = 33, .programSupply = 33, .idCode = 0xD5, .wordSize = 64},
    {.name = "XC1704L", .sizeBits = 4194304, .idClocks = 0x10060, .optionClocks = 0x10000, .readSupply = 33, .programSupply = 33, .idCode = 0xBB, .wordSize = 64},
    {.name = "XC1702L", .sizeBits = 2097152, .idClocks = 0x10060, .optionClocks = 0x10000, .readSupply = 33, .programSupply = 33, .idCode = 0x3B, .wordSize = 64},
    {.name = "XC1701", .sizeBits = 1048576, .idClocks = 0x4D4F, .optionClocks = 0x4000, .readSupply = 50, .programSupply = 50, .idCode = 0xDA, .wordSize = 64},
    {.name = "XC1701L", .sizeBits = 1048576, .idClocks = 0x4D4F, .optionClocks = 0x4000, .readSupply = 33, .programSupply = 50, .idCode = 0xDB, .wordSize = 64},
    {.name = "XC17512L", .sizeBits = 524288, .idClocks = 0x4D4F, .optionClocks = 0x4000, .readSupply = 33, .programSupply = 50, .idCode = 0x9B, .wordSize = 64},
    {.name = "XC17S150XL", .sizeBits = 1048576, .idClocks = 0x4D4F, .optionClocks = 0x4000, .readSupply = 33, .programSupply = 50, .idCode = 0xD9, .wordSize = 64},
    {.name = "XC17S100XL", .sizeBits = 1048576, .idClocks = 0x4D4F, .optionClocks = 0x4000, .readSupply = 33, .programSupply = 50, .idCode = 0xD7, .wordSize = 64},
    {.name = "XC17S50XL", .sizeBits = 1048576, .idClocks = 0x4D4F, .optionClocks = 0x4000, .readSupply = 33, .programSupply = 50, .idCode = 0xD6, .wordSize = 64},
    {.name = "XC17S40XL", .sizeBits = 524288, .idClocks = 0x4D4F, .optionClocks = 0x4000, .readSupply = 33, .programSupply = 50, .idCode = 0x99, .wordSize = 64},
    {.name = "XC17S40", .sizeBits = 524288, .idClocks = 0x4D4F, .optionClocks = 0x4000, .readSupply = 50, .programSupply = 50, .idCode = 0x98, .wordSize = 64},
    {.name = "XC17S30XL", .sizeBits = 262144, .idClocks = 0x11F8, .optionClocks = 0x1008, .readSupply = 33, .programSupply = 50, .idCode = 0xA7, .wordSize = 64},
    {.name = "XC17S30", .sizeBits = 262144, .idClocks = 0x11F8, .optionClocks = 0x1008, .readSupply = 50, .programSupply = 50, .idCode = 0xA6, .wordSize = 64},
    {.name = "XC17S20XL", .sizeBits = 262144, .idClocks = 0x11F8, .optionClocks = 0x1008, .readSupply = 33, .programSupply = 50, .idCode = 0xA9, .wordSize = 64},
    {.name = "XC17S20", .sizeBits = 262144, .idClocks = 0x11F8, .optionClocks = 0x1008, .readSupply = 50, .programSupply = 50, .idCode = 0xA8, .wordSize = 64},
    {.name = "XC17S10XL", .sizeBits = 131072, .idClocks = 0x11F8, .optionClocks = 0x1008, .readSupply = 33, .programSupply = 50, .idCode = 0x89, .wordSize = 64},
    {.name = "XC17S10", .sizeBits = 131072, .idClocks = 0x11F8, .optionClocks = 0x1008, .readSupply = 50, .programSupply = 50, .idCode = 0x88, .wordSize = 64},
    {.name = "XC17S05XL", .sizeBits = 131072, .idClocks = 0x11F8, .optionClocks = 0x1008, .readSupply = 33, .programSupply = 50, .idCode = 0x87, .wordSize = 64},
    {.name = "XC17S05", .sizeBits = 65536, .idClocks = 0x808, .optionClocks = 0x800, .readSupply = 50, .programSupply = 50, .idCode = 0xF8, .wordSize = 32},
    {.name = "XC17256X or XC17256EL", .sizeBits = 262144, .idClocks = 0x11F8, .optionClocks = 0x1008, .readSupply = 33, .programSupply = 50, .idCode = 0xAC, .wordSize = 64},
    {.name = "XC17256E", .sizeBits = 262144, .idClocks = 0x11F8, .optionClocks = 0x1008, .readSupply = 50, .programSupply = 50, .idCode = 0xAD, .wordSize = 64},
    {.name = "XC17128X or XC17128EL", .sizeBits = 131072, .idClocks = 0x11F8, .optionClocks = 0x1008, .readSupply = 33, .programSupply = 50, .idCode = 0x8C, .wordSize = 64},
    {.name = "XC17128E", .sizeBits = 131072, .idClocks = 0x11F8, .optionClocks = 0x1008, .readSupply = 50, .programSupply = 50, .idCode = 0x8D, .wordSize = 64},
    {.name = "XC1765X or XC1765EL", .sizeBits = 65536, .idClocks = 0x808, .optionClocks = 0x800, .readSupply = 33, .programSupply = 50, .idCode = 0xFC, .wordSize = 32},
    {.name = "XC1765E", .sizeBits = 65536, .idClocks = 0x808, .optionClocks = 0x800, .readSupply = 50, .programSupply = 50, .idCode = 0xFD, .wordSize = 32},
    {.name = "XC1736E", .sizeBits = 36288, .idClocks = 0x808, .optionClocks = 0x800, .readSupply = 50, .programSupply = 50, .idCode = 0xED, .wordSize = 32},
    {.name = "XC17256D", .sizeBits = 262144, .idClocks = 0x11F8, .optionClocks = 0x1008, .readSupply = 50, .programSupply = 50, .idCode = 0xAF, .wordSize = 64},
    {.name = "XC17256L", .sizeBits = 262144, .idClocks = 0x11F8, .optionClocks = 0x1008, .readSupply = 33, .programSupply = 50, .idCode = 0xAE, .wordSize = 64},
    {.name = "XC17128D", .sizeBits = 131072, .idClocks = 0x11F8, .optionClocks = 0x1008, .readSupply = 50, .programSupply = 50, .idCode = 0x8F, .wordSize = 64},
    {.name = "XC17128L", .sizeBits = 131072, .idClocks = 0x11F8, .optionClocks = 0x1008, .readSupply = 33, .programSupply = 50, .idCode = 0x8E, .wordSize = 64},
    {.name = "XC1765D", .sizeBits = 65536, .idClocks = 0x808, .optionClocks = 0x800, .readSupply = 50, .programSupply = 50, .idCode = 0xFF, .wordSize = 32},
    {.name = "XC1765L", .sizeBits = 65536, .idClocks = 0x808, .optionClocks = 0x800, .readSupply = 33, .programSupply = 50, .idCode = 0xFE, .wordSize = 32},
    {.name = "XC1736D", .sizeBits = 36288, .idClocks = 0x808, .optionClocks = 0x800, .readSupply = 50, .programSupply = 50, .idCode = 0xEF, .wordSize = 32},
    {.name = "XC1718D", .sizeBits = 18144, .idClocks = 0x808, .optionClocks = 0x800, .readSupply = 50, .programSupply = 50, .idCode = 0xCF, .wordSize = 32},
    {.name = "XC1718L", .sizeBits = 18144, .idClocks = 0x808, .optionClocks = 0x800, .readSupply = 33, .programSupply = 50, .idCode = 0xCE, .wordSize = 32},
};
static_assert(std::size(kStandardRows) == 46);

}  // namespace

ProgrammingFamily FamilyOf(uint16_t deviceCode) {
    switch (deviceCode & 0x0F) {
    case 0x2:
    case 0x3:
    case 0x4:
    case 0x5:
    case 0xC:
        return ProgrammingFamily::Newer;
    case 0xE:
    case 0xF:
        return ProgrammingFamily::SinglePulse;
    default:
        return ProgrammingFamily::ReadBack;
    }
}

bool IsExtendedCode(uint16_t deviceCode) {
    return (deviceCode & 0x0F) == 0x0C;
}

bool IsExtended(const PromDevice& device) {
    return IsExtendedCode(device.idCode);
}

void DeviceCatalog::AppendStandardDevices() {
    for (const CatalogRow& row : kStandardRows) {
        Append(PromDevice(row.name, row.sizeBits, row.idClocks, row.optionClocks, row.readSupply, row.programSupply,
                          row.idCode, row.wordSize));
    }
}

const DeviceCatalog& DeviceCatalog::Standard() {
    static const DeviceCatalog catalog = [] {
        DeviceCatalog standard;
        standard.AppendStandardDevices();
        return standard;
    }();
    return catalog;
}

const PromDevice* DeviceCatalog::FindByCode(uint16_t deviceCode) const {
    for (const auto& entry : entries) {
        if (entry->idCode == deviceCode) {
            return entry.get();
        }
    }
    return nullptr;
}

const PromDevice* DeviceCatalog::FindByName(const std::string& name) const {
    for (const auto& entry : entries) {
        if (entry->name == name) {
            return entry.get();
        }
    }
    return nullptr;
}
