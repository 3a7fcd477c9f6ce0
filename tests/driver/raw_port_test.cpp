// Raw port access: direct mode on a real port through ioperm and port instructions, here
// answered by a fake kernel over the simulated programmer.
#include <gtest/gtest.h>

#include <algorithm>

#include "catalog_type.h"
#include "driver/raw_port.h"
#include "engine/programmer.h"
#include "fake_kernel.h"
#include "platform/platform_value.h"
#include "random_image.h"
#include "station/simulated_station.h"

namespace {

// Counts what reaches the programmer, so that a refused access can be seen not to.
class CountingPort final : public platform::RegisterPort {
public:
    explicit CountingPort(platform::RegisterPort& hardware) : hardware(hardware) {}
    void Write(uint16_t address, uint8_t value) override {
        touched.push_back(address);
        hardware.Write(address, value);
    }
    uint8_t Read(uint16_t address) override {
        touched.push_back(address);
        return hardware.Read(address);
    }
    std::vector<uint16_t> touched;

private:
    platform::RegisterPort& hardware;
};

TEST(RawPort, ProgramsAndReadsAPartInDirectModeAndLeavesThePortOff) {
    sim::SimulatedStation station(0xD010);
    station.programmer.InsertBlankPart(CatalogType("XC1765D"));
    FakeKernel kernel(station.programmer, 0xD010);
    std::string error;
    auto port = driver::RawPort::Open(0xD010, {0xD010}, kernel, error);
    ASSERT_NE(port, nullptr) << error;
    {
        Programmer programmer(platform::kDirectPortFamilyVersion, port.get());
        programmer.portBase = 0xD010;
        EXPECT_EQ(programmer.CheckProgrammer(), 0);
        ASSERT_TRUE(programmer.Identify(true));
        const std::vector<uint8_t> image = RandomImage(programmer.bufferLength, 3);
        std::copy(image.begin(), image.end(), programmer.buffer.get());
        uint16_t progress = 0;
        EXPECT_EQ(programmer.ProgramDevice(&progress, PROGRAM_ARRAY, 0, 0), 0) << programmer.failureText;
        EXPECT_EQ(station.programmer.Part()->contents, image);
        EXPECT_FALSE(port->AccessLost());
    }
    port.reset();
    ASSERT_GE(kernel.events.size(), 2u);
    EXPECT_EQ(kernel.events[kernel.events.size() - 2], (KernelEvent{'D', 0x02}));
    EXPECT_EQ(kernel.events.back(), (KernelEvent{'C', 0x0B}));
    ASSERT_EQ(kernel.ioperms.size(), 2u);
    EXPECT_EQ(kernel.ioperms.front().turnOn, 1);
    EXPECT_EQ(kernel.ioperms.back().turnOn, 0);
    EXPECT_EQ(kernel.ioperms.back().from, 0xD010u);
}

TEST(RawPort, TouchesNoAddressItWasNotGranted) {
    sim::SimulatedStation station;
    CountingPort hardware(station.programmer);
    FakeKernel kernel(hardware, 0x378);
    std::string error;

    EXPECT_EQ(driver::RawPort::Open(0x2F8, {0x378}, kernel, error), nullptr);
    EXPECT_NE(error.find("0x2F8 is not a parallel port of this machine"), std::string::npos) << error;
    kernel.iopermErrno = EPERM;
    EXPECT_EQ(driver::RawPort::Open(0x378, {0x378}, kernel, error), nullptr);
    EXPECT_NE(error.find("needs root or the CAP_SYS_RAWIO capability"), std::string::npos) << error;
    kernel.iopermErrno = 0;

    auto port = driver::RawPort::Open(0x378, {0x378, 0x278}, kernel, error);
    ASSERT_NE(port, nullptr) << error;
    port->Write(0x80, 0x55);   // not a port register at all
    EXPECT_TRUE(port->AccessLost());
    EXPECT_NE(port->LostAccessText().find("0x80 is not a register of a parallel port"), std::string::npos);
    kernel.iopermErrno = EPERM;
    EXPECT_EQ(port->Read(0x279), 0xFF);   // a listed base that ioperm refuses
    EXPECT_TRUE(port->AccessLost());
    EXPECT_TRUE(hardware.touched.empty());

    port->Write(0x378, 0x02);   // the granted base answers again
    EXPECT_FALSE(port->AccessLost());
    EXPECT_EQ(hardware.touched, std::vector<uint16_t>{0x378});
}

}  // namespace
