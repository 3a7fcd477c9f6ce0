#pragma once
#include <cstdint>
#include <string>

#include "buffer/record_file.h"
#include "engine/programmer.h"
#include "ui/prom_app.h"

namespace platform {
class RegisterPort;
}

// The station's long-lived objects, built in this order and destroyed in the reverse order:
// the Programmer first (opening the port driver, which may warn the operator) and so last out
// (closing the driver). The displayed-device record is the engine's own static object.
struct StationObjects {
    StationObjects(uint32_t platformVersion, platform::RegisterPort* directPort, OperatorServices& operatorServices);

    Programmer programmer;
    PromApp app;
    RecordFile recordFile;
    std::string defaultFilePattern = "*.mcs";
};
