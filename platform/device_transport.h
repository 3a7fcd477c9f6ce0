#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

// One open connection to a device (the stand-in for a handle of a kernel driver).
// `in` and `out` may be the same buffer: an implementation must take what it needs from
// the input before it writes the answer.
class DeviceSession {
public:
    virtual ~DeviceSession() = default;
    virtual bool Control(uint32_t code, const uint8_t* in, uint32_t inSize,
                         uint8_t* out, uint32_t outSize, uint32_t* bytesReturned) = 0;
    // Why the device cannot do its work (its hardware is gone); empty while it can. The stand-in
    // for the error code a failed request leaves behind.
    virtual std::string ErrorText() const { return {}; }
};

// Makes a session for an open request; returns nullptr when the device cannot be opened.
using DeviceFactory = std::function<std::unique_ptr<DeviceSession>()>;

using DeviceHandle = int;
constexpr DeviceHandle kNoDevice = -1;

// Devices are registered in-process by name; the name given to OpenDevice resolves to them.
void RegisterDevice(const std::string& name, DeviceFactory factory);
void UnregisterDevice(const std::string& name);

DeviceHandle OpenDevice(const std::string& name);
// False when the handle is not open or the device refused the request.
bool ControlDevice(DeviceHandle handle, uint32_t code, const uint8_t* in, uint32_t inSize,
                   uint8_t* out, uint32_t outSize, uint32_t* bytesReturned);
void CloseDevice(DeviceHandle handle);
// The open device's ErrorText; empty for a handle that is not open.
std::string DeviceErrorText(DeviceHandle handle);

}  // namespace platform
