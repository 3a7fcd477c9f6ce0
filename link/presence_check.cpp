// Makes sure a programmer is on the port and its micro controller answers a pulse request.
#include "link/port_link.h"
#include "link/wait_bounds.h"

int32_t PortLink::CheckProgrammer() {
    if (!IsDirectMode() && AccessLost()) {
        CloseDriver();
        OpenDriver();
    }
    const uint16_t data = socket.portBase;
    const uint16_t status = socket.portBase + 1;
    const uint16_t control = socket.portBase + 2;
    int32_t result = 0;

    // Loop-back: status bit 4 must follow data bit 1, inverted.
    WritePort(data, 0xF4);
    WritePort(control, 0x01);
    Delay(100);
    bool first = (ReadPort(status) & 0x10) != 0;
    WritePort(data, 0xF6);
    Delay(10);
    bool second = (ReadPort(status) & 0x10) != 0;
    if (!first || second) {
        result = 1;
    } else {
        // Ask for a pulse: data bit 7 falls.
        WritePort(control, 0x05);
        WritePort(data, 0xD4);
        WritePort(data, 0x54);
        uint32_t reads = 0;
        while ((ReadPort(status) & 0x80) != 0) {
            if (++reads >= kPresencePulseStartReads) {
                break;
            }
        }
        WritePort(data, 0xD4);
        if (reads >= kPresencePulseStartReads || reads == 0) {
            result = 2;
        } else {
            // A pulse that never ends is as much a fault as one that never starts.
            uint32_t endReads = 0;
            while ((ReadPort(status) & 0x80) == 0) {
                if (++endReads >= kPresencePulseEndReads) {
                    result = 2;
                    break;
                }
            }
        }
    }
    SetPowerMode(POWER_OFF, 33);
    return result;
}
