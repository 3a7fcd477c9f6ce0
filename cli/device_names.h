#pragma once
#include <string>

#include "catalog/device_catalog.h"

namespace cli {

// A catalogue type by name, in any case: the entry's whole name, or one of the names an entry
// joins with " or " ("XC1765X" finds "XC1765X or XC1765EL"). nullptr when none matches.
const PromDevice* FindDeviceType(const DeviceCatalog& catalog, const std::string& name);

}  // namespace cli
