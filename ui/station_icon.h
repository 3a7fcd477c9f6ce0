#pragma once
#include <QIcon>

// The station's icon (a PROM in its socket) in the sizes the desktop asks for.
QIcon StationIcon();
