// The station on real hardware: every port access goes through the port driver, which drives
// the parallel port through Linux ppdev; or, when the settings file asks for it and the process
// may, directly on the port's registers.
#include <QApplication>
#include <QMessageBox>
#include <memory>

#include "driver/parallel_ports.h"
#include "driver/port_driver.h"
#include "driver/ppdev_port.h"
#include "driver/raw_port.h"
#include "protocol/port_driver_protocol.h"
#include "platform/platform_value.h"
#include "platform/profile_file.h"
#include "platform/profile_path.h"
#include "ui/qt_operator.h"
#include "ui/quit_on_signal.h"
#include "ui/station_objects.h"

namespace {

// "Raw Port Access=1" in the [Settings] of the station's settings file.
std::unique_ptr<platform::RegisterPort> RawPortIfAsked(const std::string& settingsPath) {
    if (platform::GetPrivateProfileInt("Settings", "Raw Port Access", 0, settingsPath) == 0) {
        return nullptr;
    }
    const auto base = static_cast<uint16_t>(platform::GetPrivateProfileInt("Settings", "Port Address", 888, settingsPath));
    std::string error;
    std::unique_ptr<platform::RegisterPort> port = driver::OpenRawPort(base, error);
    if (!port) {
        QMessageBox::warning(nullptr, "Raw Port Access",
                             QString::fromStdString(error + ". The station uses the port driver instead."));
    }
    return port;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // The desktop entry the windows belong to: their name and icon in the task bar.
    QGuiApplication::setDesktopFileName("promstation");
    AnswerHelpAndVersion(application, "The PROM programming station, on a programmer at the parallel port.");
    QtOperator operatorServices(true, StationSettingsPath());
    InstallDriverWarningBox();
    const std::unique_ptr<platform::RegisterPort> rawPort = RawPortIfAsked(StationSettingsPath());
    // The driver remembers the port it was last told, across runs, as an installed system driver
    // does. With raw access it stays away from the port.
    if (!rawPort) {
        driver::InstallPortDriver(port_driver::kDeviceName, driver::OpenHardwarePort,
                                  platform::ProfileFilePath("promstation-port-driver"));
    }
    int status = 0;
    {
        StationObjects station(rawPort ? platform::kDirectPortFamilyVersion : platform::kDriverFamilyVersion,
                               rawPort.get(), operatorServices);
        station.app.otherPortBases = driver::OtherPortBases();
        QuitOnSignal quitOnSignal(station.programmer);
        station.app.InitInstance();
        status = quitOnSignal.ExitStatus();
    }
    driver::RemovePortDriver(port_driver::kDeviceName);
    return status;
}
