// The station on real hardware: every port access goes through the port driver, which drives
// the parallel port through Linux ppdev.
#include <QApplication>

#include "driver/port_driver.h"
#include "driver/ppdev_port.h"
#include "protocol/port_driver_protocol.h"
#include "platform/platform_value.h"
#include "platform/profile_path.h"
#include "ui/qt_operator.h"
#include "ui/station_objects.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    AnswerHelpAndVersion(application, "The PROM programming station, on a programmer at the parallel port.");
    QtOperator operatorServices(true, StationSettingsPath());
    InstallDriverWarningBox();
    // The driver remembers the port it was last told, across runs, as an installed system driver does.
    driver::InstallPortDriver(port_driver::kDeviceName, driver::OpenHardwarePort,
                              platform::ProfileFilePath("promstation-port-driver"));
    {
        StationObjects station(platform::kDriverFamilyVersion, nullptr, operatorServices);
        station.app.InitInstance();
    }
    driver::RemovePortDriver(port_driver::kDeviceName);
    return 0;
}
