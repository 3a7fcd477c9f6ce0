#include "catalog/device_catalog.h"

#include <array>

namespace {

const std::array<PromDevice, 46>& StandardDevices() {
    // Fixed in the program: there is no catalogue file.
    static const std::array<PromDevice, 46> devices = {{
        {"XC17V16", 16777216, 0x20060, 0x20000, 33, 33, 0x7C, 128},
        {"XC17V08", 8388608, 0x20060, 0x20000, 33, 33, 0x6C, 128},
        {"XC17V04", 4194304, 0x10060, 0x10000, 33, 33, 0xB2, 64},
        {"XC17V02", 2097152, 0x10060, 0x10000, 33, 33, 0x32, 64},
        {"XC17V01", 1679360, 0x6690, 0x6680, 33, 33, 0x12, 64},
        {"XC17S300A", 2097152, 0x10060, 0x10000, 33, 33, 0x34, 64},
        {"XC17S200A", 1679360, 0x6690, 0x6680, 33, 33, 0x13, 64},
        {"XC17S15A", 524288, 0x6690, 0x4000, 33, 33, 0x93, 64},
        {"XC17S30A", 524288, 0x6690, 0x4000, 33, 33, 0x94, 64},
        {"XC17S50A", 1048576, 0x6690, 0x4000, 33, 33, 0xD3, 64},
        {"XC17S100A", 1048576, 0x6690, 0x4000, 33, 33, 0xD4, 64},
        {"XC17S150A", 1048576, 0x6690, 0x4000, 33, 33, 0xD5, 64},
        {"XC1704L", 4194304, 0x10060, 0x10000, 33, 33, 0xBB, 64},
        {"XC1702L", 2097152, 0x10060, 0x10000, 33, 33, 0x3B, 64},
        {"XC1701", 1048576, 0x4D4F, 0x4000, 50, 50, 0xDA, 64},
        {"XC1701L", 1048576, 0x4D4F, 0x4000, 33, 50, 0xDB, 64},
        {"XC17512L", 524288, 0x4D4F, 0x4000, 33, 50, 0x9B, 64},
        {"XC17S150XL", 1048576, 0x4D4F, 0x4000, 33, 50, 0xD9, 64},
        {"XC17S100XL", 1048576, 0x4D4F, 0x4000, 33, 50, 0xD7, 64},
        {"XC17S50XL", 1048576, 0x4D4F, 0x4000, 33, 50, 0xD6, 64},
        {"XC17S40XL", 524288, 0x4D4F, 0x4000, 33, 50, 0x99, 64},
        {"XC17S40", 524288, 0x4D4F, 0x4000, 50, 50, 0x98, 64},
        {"XC17S30XL", 262144, 0x11F8, 0x1008, 33, 50, 0xA7, 64},
        {"XC17S30", 262144, 0x11F8, 0x1008, 50, 50, 0xA6, 64},
        {"XC17S20XL", 262144, 0x11F8, 0x1008, 33, 50, 0xA9, 64},
        {"XC17S20", 262144, 0x11F8, 0x1008, 50, 50, 0xA8, 64},
        {"XC17S10XL", 131072, 0x11F8, 0x1008, 33, 50, 0x89, 64},
        {"XC17S10", 131072, 0x11F8, 0x1008, 50, 50, 0x88, 64},
        {"XC17S05XL", 131072, 0x11F8, 0x1008, 33, 50, 0x87, 64},
        {"XC17S05", 65536, 0x808, 0x800, 50, 50, 0xF8, 32},
        {"XC17256X or XC17256EL", 262144, 0x11F8, 0x1008, 33, 50, 0xAC, 64},
        {"XC17256E", 262144, 0x11F8, 0x1008, 50, 50, 0xAD, 64},
        {"XC17128X or XC17128EL", 131072, 0x11F8, 0x1008, 33, 50, 0x8C, 64},
        {"XC17128E", 131072, 0x11F8, 0x1008, 50, 50, 0x8D, 64},
        {"XC1765X or XC1765EL", 65536, 0x808, 0x800, 33, 50, 0xFC, 32},
        {"XC1765E", 65536, 0x808, 0x800, 50, 50, 0xFD, 32},
        {"XC1736E", 36288, 0x808, 0x800, 50, 50, 0xED, 32},
        {"XC17256D", 262144, 0x11F8, 0x1008, 50, 50, 0xAF, 64},
        {"XC17256L", 262144, 0x11F8, 0x1008, 33, 50, 0xAE, 64},
        {"XC17128D", 131072, 0x11F8, 0x1008, 50, 50, 0x8F, 64},
        {"XC17128L", 131072, 0x11F8, 0x1008, 33, 50, 0x8E, 64},
        {"XC1765D", 65536, 0x808, 0x800, 50, 50, 0xFF, 32},
        {"XC1765L", 65536, 0x808, 0x800, 33, 50, 0xFE, 32},
        {"XC1736D", 36288, 0x808, 0x800, 50, 50, 0xEF, 32},
        {"XC1718D", 18144, 0x808, 0x800, 50, 50, 0xCF, 32},
        {"XC1718L", 18144, 0x808, 0x800, 33, 50, 0xCE, 32},
    }};
    return devices;
}

}  // namespace

bool IsExtended(const PromDevice& device) {
    return (device.idCode & 0x0F) == 0x0C;
}

void DeviceCatalog::AppendStandardDevices() {
    for (const PromDevice& device : StandardDevices()) {
        Append(device);
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

const PromDevice* DeviceCatalog::FindByName(const std::string& name) const {
    for (const auto& entry : entries) {
        if (entry->name == name) {
            return entry.get();
        }
    }
    return nullptr;
}
