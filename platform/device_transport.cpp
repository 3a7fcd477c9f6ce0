#include "platform/device_transport.h"

#include <map>

namespace platform {
namespace {

struct Registry {
    std::map<std::string, DeviceFactory> factories;
    std::map<DeviceHandle, std::unique_ptr<DeviceSession>> sessions;
    DeviceHandle nextHandle = 1;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

}  // namespace

void RegisterDevice(const std::string& name, DeviceFactory factory) {
    TheRegistry().factories[name] = std::move(factory);
}

void UnregisterDevice(const std::string& name) {
    TheRegistry().factories.erase(name);
}

DeviceHandle OpenDevice(const std::string& name) {
    Registry& registry = TheRegistry();
    auto found = registry.factories.find(name);
    if (found == registry.factories.end() || !found->second) {
        return kNoDevice;
    }
    std::unique_ptr<DeviceSession> session = found->second();
    if (!session) {
        return kNoDevice;
    }
    DeviceHandle handle = registry.nextHandle++;
    registry.sessions.emplace(handle, std::move(session));
    return handle;
}

bool ControlDevice(DeviceHandle handle, uint32_t code, const uint8_t* in, uint32_t inSize,
                   uint8_t* out, uint32_t outSize, uint32_t* bytesReturned) {
    if (bytesReturned) {
        *bytesReturned = 0;
    }
    auto& sessions = TheRegistry().sessions;
    auto found = sessions.find(handle);
    if (found == sessions.end()) {
        return false;
    }
    uint32_t returned = 0;
    bool ok = found->second->Control(code, in, inSize, out, outSize, &returned);
    if (bytesReturned) {
        *bytesReturned = returned;
    }
    return ok;
}

void CloseDevice(DeviceHandle handle) {
    TheRegistry().sessions.erase(handle);
}

std::string DeviceErrorText(DeviceHandle handle) {
    auto& sessions = TheRegistry().sessions;
    auto found = sessions.find(handle);
    return found == sessions.end() ? std::string() : found->second->ErrorText();
}

}  // namespace platform
