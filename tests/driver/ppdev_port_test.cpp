// The ppdev port: finding /dev/parportN for a base, every way opening it can fail, and the real
// port class end to end against a fake kernel over the simulated programmer.
#include <gtest/gtest.h>

#include <linux/parport.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "catalog_type.h"
#include "driver/port_driver.h"
#include "driver/ppdev_port.h"
#include "engine/programmer.h"
#include "fake_kernel.h"
#include "platform/platform_value.h"
#include "protocol/port_driver_protocol.h"
#include "random_image.h"
#include "recording_port.h"
#include "station/simulated_station.h"

namespace {

namespace fs = std::filesystem;

TEST(PpdevPort, FindsTheNodeWhoseBaseAddressMatches) {
    FakeParportTree tree;
    tree.ListPort("parport0", "888\t1912\n");
    tree.ListPort("parport1", "632\t1656\n");
    tree.ListPort("parport12", "0x3bc\n");
    fs::create_directories(tree.root / "proc" / "default");   // the kernel's settings folder

    std::string error;
    EXPECT_EQ(driver::FindParportDevice(0x278, tree.paths, error), tree.Node("parport1"));
    EXPECT_EQ(driver::FindParportDevice(0x378, tree.paths, error), tree.Node("parport0"));
    EXPECT_EQ(driver::FindParportDevice(0x3BC, tree.paths, error), tree.Node("parport12"));

    // Only the first number counts: 1912 is the port's upper range.
    EXPECT_EQ(driver::FindParportDevice(1912, tree.paths, error), "");
    EXPECT_EQ(error, "no parallel port at 0x778 (the kernel lists 0x378, 0x278, 0x3BC)");
}

TEST(PpdevPort, ListsEveryPortWithItsAccessAndHolders) {
    FakeParportTree tree;
    tree.ListPort("parport10", "53264\n");   // a PCI Express card at 0xD010
    tree.ListPort("parport0", "888\t1912\n");
    tree.AddNode("parport0");
    fs::create_directories(tree.root / "proc" / "parport0" / "devices" / "lp");
    std::ofstream(tree.root / "proc" / "parport0" / "devices" / "active") << "lp\n";

    const std::vector<driver::ParallelPort> ports = driver::ListParallelPorts(tree.paths);
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[0].device, tree.Node("parport0"));
    EXPECT_EQ(ports[0].base, 0x378);
    EXPECT_TRUE(ports[0].nodeExists);
    EXPECT_TRUE(ports[0].mayOpen);
    EXPECT_EQ(ports[0].activeHolder, "lp");
    EXPECT_EQ(ports[0].sharingDrivers, std::vector<std::string>{"lp"});
    EXPECT_EQ(ports[1].base, 0xD010);
    EXPECT_FALSE(ports[1].nodeExists);
    EXPECT_EQ(ports[1].activeHolder, "");
}

TEST(PpdevPort, EveryMissingPieceIsAClearOpenFailure) {
    FakeParportTree tree;
    RecordingPort nothing;
    FakeKernel kernel(nothing, 0x378);
    std::string error;
    const auto open = [&] { return driver::PpdevPort::Open(0x378, tree.paths, kernel, error); };

    driver::ParportPaths noModule = tree.paths;
    noModule.procRoot = (tree.root / "proc" / "missing").string();
    EXPECT_EQ(driver::PpdevPort::Open(0x378, noModule, kernel, error), nullptr);
    EXPECT_NE(error.find("modprobe parport_pc"), std::string::npos) << error;

    EXPECT_EQ(open(), nullptr);
    EXPECT_NE(error.find("no parallel port at 0x378 (the kernel lists none"), std::string::npos) << error;

    tree.ListPort("parport1", "888 1912");
    tree.AddNode("parport1");
    kernel.openErrno = ENOENT;
    EXPECT_EQ(open(), nullptr);
    EXPECT_NE(error.find("parport1 is missing: the ppdev module is not loaded (load it: sudo modprobe ppdev)"),
              std::string::npos) << error;

    kernel.openErrno = EACCES;
    EXPECT_EQ(open(), nullptr);
    struct stat node {};
    ASSERT_EQ(::stat(tree.Node("parport1").c_str(), &node), 0);
    const std::string group = driver::GroupName(node.st_gid);
    EXPECT_NE(error.find("no permission to open " + tree.Node("parport1")), std::string::npos) << error;
    EXPECT_NE(error.find("sudo usermod -aG " + group + " $USER"), std::string::npos) << error;

    kernel.openErrno = 0;
    kernel.claimErrno = EBUSY;
    EXPECT_EQ(open(), nullptr);
    EXPECT_EQ(error, "The parallel port " + tree.Node("parport1") + " is in use by another program");
    kernel.claimErrno = ENXIO;
    EXPECT_EQ(open(), nullptr);
    EXPECT_NE(error.find("in use by another program or driver"), std::string::npos) << error;
    EXPECT_EQ(kernel.events.back().what, 'X') << "a port that could not be claimed is closed";

    kernel.claimErrno = 0;
    EXPECT_NE(open(), nullptr);
    EXPECT_TRUE(kernel.exclusive);
    EXPECT_EQ(kernel.mode, IEEE1284_MODE_COMPAT);
    EXPECT_EQ(kernel.direction, 0) << "the data lines are driven";
}

TEST(PpdevPort, HardwareOpenerAnswersWithAPortOrAReason) {
    // Whatever this machine has, the opener neither crashes nor fails silently.
    std::string error;
    auto port = driver::OpenHardwarePort(0x3BC, error);
    EXPECT_TRUE(port != nullptr || !error.empty());
}

enum class Mode { Direct, Driver };

// A Programmer on the simulated programmer behind the real ppdev port class and a fake kernel.
struct PpdevStation {
    explicit PpdevStation(Mode mode, const char* typeName) {
        tree.ListPort("parport0", "888\t1912\n");
        tree.AddNode("parport0");
        station.programmer.InsertBlankPart(CatalogType(typeName));
        std::string error;
        if (mode == Mode::Direct) {
            port = driver::PpdevPort::Open(0x378, tree.paths, kernel, error);
            EXPECT_NE(port, nullptr) << error;
            programmer = std::make_unique<Programmer>(platform::kDirectPortFamilyVersion, port.get());
        } else {
            driver::InstallPortDriver(port_driver::kDeviceName, [this](uint16_t base, std::string& openError) {
                return std::unique_ptr<platform::RegisterPort>(
                    driver::PpdevPort::Open(base, tree.paths, kernel, openError));
            });
            programmer = std::make_unique<Programmer>(platform::kDriverFamilyVersion);
        }
    }
    ~PpdevStation() { Close(); }
    // Closes the station as it ends: the port is given back, while the fake kernel still lives.
    void Close() {
        programmer.reset();
        port.reset();
        driver::RemovePortDriver(port_driver::kDeviceName);
    }
    std::string LostText() const { return "Lost access to the parallel port " + tree.Node("parport0") + ": " +
                                          std::strerror(EIO); }

    FakeParportTree tree;
    sim::SimulatedStation station;
    FakeKernel kernel{station.programmer, 0x378};
    std::unique_ptr<driver::PpdevPort> port;
    std::unique_ptr<Programmer> programmer;
};

const std::vector<KernelEvent> kPowerOffPattern = {{'D', 0x02}, {'C', 0x0B}};

class PpdevEndToEnd : public testing::TestWithParam<std::tuple<Mode, const char*>> {};

TEST_P(PpdevEndToEnd, IdentifiesProgramsReadsAndVerifiesThroughThePort) {
    const auto [mode, typeName] = GetParam();
    PpdevStation real(mode, typeName);
    Programmer& programmer = *real.programmer;
    ASSERT_TRUE(programmer.Identify(true));
    ASSERT_EQ(programmer.currentDevice->name, typeName);

    // Data at both ends, erased between: erased words cost no pulses.
    std::vector<uint8_t> image(programmer.bufferLength, 0xFF);
    const std::vector<uint8_t> data = RandomImage(1024, 17);
    std::copy(data.begin(), data.end(), image.begin());
    std::copy(data.begin(), data.end(), image.end() - static_cast<long>(data.size()));
    std::copy(image.begin(), image.end(), programmer.buffer.get());
    uint16_t progress = 0;
    EXPECT_EQ(programmer.ProgramDevice(&progress, PROGRAM_ARRAY, 0, 0), 0) << programmer.failureText;
    EXPECT_EQ(real.station.programmer.Part()->contents, image);

    std::fill_n(programmer.buffer.get(), programmer.bufferLength, 0);
    programmer.ReadPart();
    EXPECT_TRUE(std::equal(image.begin(), image.end(), programmer.buffer.get()));
    EXPECT_EQ(programmer.failureText, "");

    real.Close();
    EXPECT_EQ(real.kernel.WritesBeforeRelease(), kPowerOffPattern);
    EXPECT_FALSE(real.kernel.claimed);
}

INSTANTIATE_TEST_SUITE_P(BothModes, PpdevEndToEnd,
                         testing::Combine(testing::Values(Mode::Direct, Mode::Driver),
                                          testing::Values("XC1765D", "XC17V04")));

enum class Operation { Read, Program };

class PpdevLostMidway : public testing::TestWithParam<std::tuple<Mode, Operation>> {
protected:
    // Identifies, then runs the operation; true when it reports success.
    static bool Run(PpdevStation& real, Operation operation) {
        Programmer& programmer = *real.programmer;
        if (operation == Operation::Read) {
            programmer.ReadPart();
            return programmer.failureText.empty();
        }
        const std::vector<uint8_t> image = RandomImage(programmer.bufferLength, 5);
        std::copy(image.begin(), image.end(), programmer.buffer.get());
        uint16_t progress = 0;
        return programmer.ProgramDevice(&progress, PROGRAM_ARRAY, 0, 0) == 0 && progress == 100;
    }
};

TEST_P(PpdevLostMidway, EndsWithTheSystemsReasonAndLeavesTheProgrammerOff) {
    const auto [mode, operation] = GetParam();
    uint64_t accesses = 0;
    {
        PpdevStation clean(mode, "XC1765D");
        ASSERT_TRUE(clean.programmer->Identify(true));
        const uint64_t before = clean.kernel.registerCalls;
        ASSERT_TRUE(Run(clean, operation)) << clean.programmer->failureText;
        accesses = clean.kernel.registerCalls - before;
    }
    for (const double point : {0.02, 0.5, 0.98}) {
        PpdevStation real(mode, "XC1765D");
        ASSERT_TRUE(real.programmer->Identify(true));
        real.kernel.failAtCall = real.kernel.registerCalls + static_cast<uint64_t>(point * accesses);
        const uint64_t timeBefore = real.station.clock.NowMicroseconds();
        EXPECT_FALSE(Run(real, operation)) << point;
        EXPECT_NE(real.programmer->failureText.find(real.LostText()), std::string::npos)
            << point << ": " << real.programmer->failureText;
        // Ended promptly: far less than the minute a lost port could otherwise keep busy.
        EXPECT_LT(real.station.clock.NowMicroseconds() - timeBefore, 30'000'000u) << point;
        real.Close();
        EXPECT_EQ(real.kernel.WritesBeforeRelease(), kPowerOffPattern) << point;
        EXPECT_FALSE(real.kernel.claimed);
    }
}

INSTANTIATE_TEST_SUITE_P(BothModes, PpdevLostMidway,
                         testing::Combine(testing::Values(Mode::Direct, Mode::Driver),
                                          testing::Values(Operation::Read, Operation::Program)));

}  // namespace
