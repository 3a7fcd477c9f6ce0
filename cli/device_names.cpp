#include "cli/device_names.h"

#include <algorithm>
#include <cctype>

namespace cli {
namespace {

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
    });
}

bool NameMatches(const std::string& entryName, const std::string& wanted) {
    if (SameNameIgnoringCase(entryName, wanted)) {
        return true;
    }
    static const std::string separator = " or ";
    size_t start = 0;
    while (true) {
        const size_t end = entryName.find(separator, start);
        if (SameNameIgnoringCase(entryName.substr(start, end - start), wanted)) {
            return true;
        }
        if (end == std::string::npos) {
            return false;
        }
        start = end + separator.size();
    }
}

}  // namespace

const PromDevice* FindDeviceType(const DeviceCatalog& catalog, const std::string& name) {
    for (size_t i = 0; i < catalog.GetCount(); ++i) {
        if (NameMatches(catalog.GetAt(i).name, name)) {
            return &catalog.GetAt(i);
        }
    }
    return nullptr;
}

}  // namespace cli
