#include "ui/simulator_settings.h"

#include "platform/platform_value.h"
#include "platform/profile_file.h"
#include "platform/profile_path.h"

namespace {
const char* const kSection = "Simulator";
const char* const kDirectPortAccessKey = "Direct Port Access";
// Stored one higher than the catalogue index, so that 0 is the empty socket.
const char* const kPartTypeKey = "Part Type";
}  // namespace

uint32_t SimulatorSettings::PlatformVersion() const {
    return directPortAccess ? platform::kDirectPortFamilyVersion : platform::kDriverFamilyVersion;
}

SimulatorSettings SimulatorSettings::Load(const std::string& path) {
    SimulatorSettings settings;
    settings.directPortAccess = platform::GetPrivateProfileInt(kSection, kDirectPortAccessKey, 0, path) != 0;
    settings.partTypeIndex = static_cast<int>(platform::GetPrivateProfileInt(kSection, kPartTypeKey, 1, path)) - 1;
    return settings;
}

bool SimulatorSettings::Save(const std::string& path) const {
    return platform::WritePrivateProfileString(kSection, kDirectPortAccessKey, directPortAccess ? "1" : "0", path) &&
           platform::WritePrivateProfileString(kSection, kPartTypeKey, std::to_string(partTypeIndex + 1), path);
}

std::string SimulatorSettingsPath() {
    return platform::ProfileFilePath(platform::ExecutableName() + "-simulator");
}
