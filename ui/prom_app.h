#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class Programmer;
class RecordFile;
class OperatorServices;

class QCoreApplication;

// Answers --help and --version on the command line and ends the process there, as it does for
// an option it does not know.
void AnswerHelpAndVersion(QCoreApplication& application, const char* description);

// The station's settings file: named after the program, in the user's configuration folder.
std::string StationSettingsPath();

// The application object: its start-up runs the whole station. It reads the port setting,
// runs the main window modally for the run and writes the port setting back when it closes.
// Qt's own application object must exist before it (and before the Programmer, whose driver
// open may already need a message box).
class PromApp {
public:
    PromApp(Programmer& programmer, RecordFile& recordFile, std::string& defaultFilePattern,
            OperatorServices& operatorServices, uint32_t platformVersion);

    // Runs the station to its end. Returns false: there is nothing left to run afterwards.
    bool InitInstance();

    // An entry the main window's window menu is to offer above About.
    void AddWindowMenuEntry(std::string text, std::function<void()> action);

    // The settings file: named after the program, in the user's configuration folder.
    std::string SettingsPath() const;

    // Parallel ports the machine has beyond the three classic ones, for the port selector.
    std::vector<uint16_t> otherPortBases;

private:
    Programmer& programmer;
    RecordFile& recordFile;
    std::string& defaultFilePattern;
    OperatorServices& operatorServices;
    uint32_t platformVersion;
    std::vector<std::pair<std::string, std::function<void()>>> windowMenuEntries;
};
