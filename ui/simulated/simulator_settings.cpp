#include "ui/simulated/simulator_settings.h"

#include "platform/platform_value.h"
#include "platform/profile_file.h"
#include "platform/profile_path.h"

namespace {
const char* const kSection = "Simulator";
const char* const kDirectPortAccessKey = "Direct Port Access";
// Stored one higher than the catalogue index, so that 0 is the empty socket.
const char* const kPartTypeKey = "Part Type";
const char* const kPortAddressKey = "Port Address";
}  // namespace

uint32_t SimulatorSettings::PlatformVersion() const {
    return directPortAccess ? platform::kDirectPortFamilyVersion : platform::kDriverFamilyVersion;
}

SimulatorSettings SimulatorSettings::Load(const std::string& path) {
    SimulatorSettings settings;
    settings.directPortAccess = platform::GetPrivateProfileInt(kSection, kDirectPortAccessKey, 0, path) != 0;
    settings.partTypeIndex = static_cast<int>(platform::GetPrivateProfileInt(kSection, kPartTypeKey, 1, path)) - 1;
    const uint32_t base = platform::GetPrivateProfileInt(kSection, kPortAddressKey, 0x378, path);
    if (base == 0x378 || base == 0x278 || base == 0x3BC || base == kSimulatedCardPortBase) {
        settings.portBase = static_cast<uint16_t>(base);
    }
    return settings;
}

bool SimulatorSettings::Save(const std::string& path) const {
    return platform::WritePrivateProfileString(kSection, kDirectPortAccessKey, directPortAccess ? "1" : "0", path) &&
           platform::WritePrivateProfileString(kSection, kPartTypeKey, std::to_string(partTypeIndex + 1), path) &&
           platform::WritePrivateProfileString(kSection, kPortAddressKey, std::to_string(portBase), path);
}

std::string SimulatorSettingsPath() {
    return platform::ProfileFilePath(platform::ExecutableName() + "-simulator");
}
