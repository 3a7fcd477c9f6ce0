#include "engine/programmer.h"

#include <algorithm>
#include <new>

PromDevice displayedDevice;

Programmer::Programmer(uint32_t platformVersion, platform::RegisterPort* port)
    : link(platformVersion, port, SocketState{portBase, powerMode, resetPolarity, currentDevice}),
      path(MakeAccessPath(*this)) {
    AppendStandardDevices();
    link.Connect();
    SetPowerMode(POWER_OFF, 50);
}

Programmer::~Programmer() = default;

bool Programmer::ResizeBuffer(uint32_t byteCount) {
    buffer.reset();
    bufferLength = 0;
    bufferStateText = "Buffer State: Empty";
    buffer.reset(new (std::nothrow) uint8_t[byteCount]);
    if (!buffer) {
        return false;
    }
    std::fill_n(buffer.get(), byteCount, uint8_t{0xFF});
    bufferLength = byteCount;
    return true;
}

void Programmer::DescribeCurrentDevice(PromDevice& into) const {
    if (!currentDevice) {
        into.name = "No Device found";
        into.sizeBits = 0;
        into.idClocks = 0;
        into.optionClocks = 0;
        into.readSupply = 0;
        into.idCode = 0;
        into.wordSize = 0;
        return;
    }
    into.name = currentDevice->name;
    into.sizeBits = currentDevice->sizeBits;
    into.idClocks = currentDevice->idClocks;
    into.optionClocks = currentDevice->optionClocks;
    into.readSupply = currentDevice->readSupply;
    into.idCode = currentDevice->idCode;
    into.wordSize = currentDevice->wordSize;
}
