#include "ui/station_objects.h"

// The application object only keeps references to the objects built after it; it uses them
// once its start-up runs.
StationObjects::StationObjects(uint32_t platformVersion, platform::RegisterPort* directPort,
                               OperatorServices& operatorServices)
    : programmer(platformVersion, directPort),
      app(programmer, recordFile, defaultFilePattern, operatorServices, platformVersion) {}
