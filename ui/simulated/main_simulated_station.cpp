// The station on a simulated programmer at 0x378, with a second window that chooses what sits
// in the socket, injects programmer faults and picks the platform family for the next start.
#include <QApplication>
#include <QTimer>
#include <cstdlib>

#include "station/simulated_station.h"
#include "ui/qt_operator.h"
#include "ui/quit_on_signal.h"
#include "ui/simulated/screenshot_tour.h"
#include "ui/simulated/simulated_programmer_window.h"
#include "ui/simulated/simulator_settings.h"
#include "ui/station_objects.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // The desktop entry the windows belong to: their name and icon in the task bar.
    QGuiApplication::setDesktopFileName("promstation-sim");
    AnswerHelpAndVersion(application, "The PROM programming station, on a simulated programmer with a window of its own.");
    QtOperator operatorServices(true, StationSettingsPath());
    InstallDriverWarningBox();

    // The simulator comes first: its clock and port driver must be in place when the
    // Programmer opens the driver.
    sim::SimulatedStation simulated;
    SimulatedProgrammerWindow simulatorWindow(simulated.programmer, SimulatorSettingsPath());
    StationObjects station(simulatorWindow.PlatformVersionForThisRun(), &simulated.programmer, operatorServices);
    // Once the station's window is up, beside it; closed, it comes back from the window menu.
    QTimer::singleShot(0, &simulatorWindow, [&simulatorWindow] { simulatorWindow.ShowBesideStation(); });
    station.app.otherPortBases = {kSimulatedCardPortBase};
    station.app.AddWindowMenuEntry("&Simulated programmer...", [&simulatorWindow] { simulatorWindow.ShowBesideStation(); });
    // Only scripts/screenshots.sh sets this: it drives the window through its review screenshots.
    if (const char* folder = std::getenv("PROMSTATION_SIM_SCREENSHOTS")) {
        StartScreenshotTour(folder);
    }
    QuitOnSignal quitOnSignal(station.programmer);
    station.app.InitInstance();
    return quitOnSignal.ExitStatus();
}
