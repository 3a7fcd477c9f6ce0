#pragma once
#include <cstddef>
#include <memory>
#include <vector>

#include "catalog/prom_device.h"

// The ordered list of PROM types the station knows. It owns its entries; their addresses
// stay valid for the life of the list, so a current-device pointer may point into it.
class DeviceCatalog {
public:
    size_t GetCount() const { return entries.size(); }
    const PromDevice& GetAt(size_t index) const { return *entries.at(index); }
    void Append(const PromDevice& device) { entries.push_back(std::make_unique<PromDevice>(device)); }

    // Appends the 46 catalogue types in catalogue order (the order identification tries them).
    void AppendStandardDevices();
    // The standard types on their own, for code that needs them without a Programmer.
    static const DeviceCatalog& Standard();
    // Looks a type up by its exact name; nullptr when there is none.
    const PromDevice* FindByName(const std::string& name) const;
    // Looks a type up by the device code it answers with; nullptr when none answers so.
    const PromDevice* FindByCode(uint16_t deviceCode) const;

private:
    std::vector<std::unique_ptr<PromDevice>> entries;
};
