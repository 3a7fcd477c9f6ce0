#pragma once
#include <stdexcept>
#include <string>

#include "catalog/device_catalog.h"

// A type of the standard catalogue by its exact name; a name the catalogue lacks is a test bug.
inline const PromDevice& CatalogType(const std::string& name) {
    const PromDevice* type = DeviceCatalog::Standard().FindByName(name);
    if (!type) {
        throw std::invalid_argument("no catalogue type " + name);
    }
    return *type;
}
