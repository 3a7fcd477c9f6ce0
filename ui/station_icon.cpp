#include "ui/station_icon.h"

// The icon lives in the ui library's resources, which a static library must register itself
// (outside any namespace, as the resource initialiser is a global function).
static void RegisterResources() {
    Q_INIT_RESOURCE(resources);
}

QIcon StationIcon() {
    static const bool registered = (RegisterResources(), true);
    (void)registered;
    QIcon icon;
    for (int size : {16, 32, 48, 256}) {
        icon.addFile(QString(":/icons/station-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}
