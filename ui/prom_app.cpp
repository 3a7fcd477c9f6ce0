#include "ui/prom_app.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <string>

#include "buffer/operator_services.h"
#include "engine/programmer.h"
#include "platform/platform_value.h"
#include "platform/profile_file.h"
#include "platform/profile_path.h"
#include "ui/main_dialog.h"

namespace {
const char* const kSettingsSection = "Settings";
const char* const kPortAddressKey = "Port Address";
constexpr uint32_t kDefaultPortAddress = 888;
}  // namespace

PromApp::PromApp(Programmer& programmer, RecordFile& recordFile, std::string& defaultFilePattern,
                 OperatorServices& operatorServices, uint32_t platformVersion)
    : programmer(programmer), recordFile(recordFile), defaultFilePattern(defaultFilePattern),
      operatorServices(operatorServices), platformVersion(platformVersion) {}

void AnswerHelpAndVersion(QCoreApplication& application, const char* description) {
    QCoreApplication::setApplicationVersion(PROM_VERSION);
    QCommandLineParser commandLine;
    commandLine.setApplicationDescription(description);
    commandLine.addHelpOption();
    commandLine.addVersionOption();
    commandLine.process(application);
}

std::string StationSettingsPath() {
    return platform::ProfileFilePath(platform::ExecutableName());
}

void PromApp::AddWindowMenuEntry(std::string text, std::function<void()> action) {
    windowMenuEntries.emplace_back(std::move(text), std::move(action));
}

std::string PromApp::SettingsPath() const {
    return StationSettingsPath();
}

bool PromApp::InitInstance() {
    programmer.link.platformValue = platform::PlatformFamily(platformVersion);
    const std::string settingsPath = SettingsPath();
    // Said once; the station still starts, with the default port where none can be read.
    if (const std::string problem = platform::ProfileFileProblem(settingsPath); !problem.empty()) {
        operatorServices.ShowMessage("The settings file " + settingsPath + " " + problem +
                                         ". The station starts with what it can read of it (the port at 0x378 "
                                         "where none can be read) and may not keep its settings.",
                                     "Settings File", MessageIcon::Exclamation, MessageButtons::Ok);
    }
    // Any value is taken as it is (only its low 16 bits fit a port base); the driver learns
    // the base only when the operator changes the port.
    programmer.portBase = static_cast<uint16_t>(
        platform::GetPrivateProfileInt(kSettingsSection, kPortAddressKey, kDefaultPortAddress, settingsPath));
    {
        MainDialog dialog(programmer, recordFile, defaultFilePattern, operatorServices);
        dialog.AddPortEntries(otherPortBases);
        for (const auto& [text, action] : windowMenuEntries) {
            dialog.AddWindowMenuEntry(text, action);
        }
        // The window runs its own loop for the whole run, but blocks no other top-level window
        // (the simulated programmer's, in the simulated station).
        dialog.setWindowModality(Qt::WindowModal);
        dialog.exec();
    }
    // Written back whatever happened; a failing write is not the operator's concern.
    platform::WritePrivateProfileString(kSettingsSection, kPortAddressKey, std::to_string(programmer.portBase),
                                        settingsPath);
    return false;
}
