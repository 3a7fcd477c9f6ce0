#include "driver/port_driver.h"

#include <map>

#include "driver/port_driver_service.h"
#include "platform/device_transport.h"

namespace driver {
namespace {

// A handle on the installed driver.
class DriverSession final : public platform::DeviceSession {
public:
    explicit DriverSession(std::shared_ptr<PortDriverService> service) : service(std::move(service)) {}
    bool Control(uint32_t code, const uint8_t* in, uint32_t inSize, uint8_t* out, uint32_t outSize,
                 uint32_t* bytesReturned) override {
        return service->Handle(code, in, inSize, out, outSize, bytesReturned);
    }
    std::string ErrorText() const override { return service->PortError(); }

private:
    std::shared_ptr<PortDriverService> service;
};

class BorrowedPort final : public platform::RegisterPort {
public:
    explicit BorrowedPort(platform::RegisterPort& owner) : owner(owner) {}
    void Write(uint16_t address, uint8_t value) override { owner.Write(address, value); }
    uint8_t Read(uint16_t address) override { return owner.Read(address); }
    bool AccessLost() const override { return owner.AccessLost(); }
    std::string LostAccessText() const override { return owner.LostAccessText(); }

private:
    platform::RegisterPort& owner;
};

std::map<std::string, std::shared_ptr<PortDriverService>>& InstalledDrivers() {
    static std::map<std::string, std::shared_ptr<PortDriverService>> drivers;
    return drivers;
}

}  // namespace

void InstallPortDriver(const std::string& deviceName, PortOpener opener, const std::string& baseStorePath) {
    RemovePortDriver(deviceName);
    auto service = std::make_shared<PortDriverService>(std::move(opener), baseStorePath);
    service->OpenPort();
    InstalledDrivers()[deviceName] = service;
    platform::RegisterDevice(deviceName, [service]() -> std::unique_ptr<platform::DeviceSession> {
        // A port that was missing may have come since; without one the handle still opens, and
        // a set-base request may find one.
        service->OpenPort();
        return std::make_unique<DriverSession>(service);
    });
}

void RemovePortDriver(const std::string& deviceName) {
    auto found = InstalledDrivers().find(deviceName);
    if (found == InstalledDrivers().end()) {
        return;
    }
    platform::UnregisterDevice(deviceName);
    // Handles still open fail from now on instead of reaching a port that may be gone.
    found->second->Unload();
    InstalledDrivers().erase(found);
}

std::string PortDriverError(const std::string& deviceName) {
    auto found = InstalledDrivers().find(deviceName);
    if (found == InstalledDrivers().end()) {
        return "no port driver is installed as " + deviceName;
    }
    return found->second->PortError();
}

std::unique_ptr<platform::RegisterPort> BorrowPort(platform::RegisterPort& port) {
    return std::make_unique<BorrowedPort>(port);
}

}  // namespace driver
