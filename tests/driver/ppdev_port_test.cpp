// The ppdev port: finding /dev/parportN for a base, and every way opening it can fail.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "driver/ppdev_port.h"

namespace {

namespace fs = std::filesystem;

// A made-up /proc/sys/dev/parport and /dev under a temporary folder.
class FakeParportTree {
public:
    FakeParportTree() : root(fs::temp_directory_path() / ("ppdev-test-" + std::to_string(::getpid()))) {
        fs::remove_all(root);
        fs::create_directories(root / "proc");
        fs::create_directories(root / "dev");
        paths.procRoot = (root / "proc").string();
        paths.devRoot = (root / "dev").string();
    }
    ~FakeParportTree() { fs::remove_all(root); }

    void ListPort(const std::string& name, const std::string& baseAddr) {
        fs::create_directories(root / "proc" / name);
        std::ofstream(root / "proc" / name / "base-addr") << baseAddr;
    }
    // A plain file stands in for the device node: it opens, but refuses the port ioctls.
    void AddNode(const std::string& name) { std::ofstream(root / "dev" / name) << ""; }

    fs::path root;
    driver::ParportPaths paths;
};

TEST(PpdevPort, FindsTheNodeWhoseBaseAddressMatches) {
    FakeParportTree tree;
    tree.ListPort("parport0", "888\t1912\n");
    tree.ListPort("parport1", "632\t1656\n");
    tree.ListPort("parport12", "0x3bc\n");
    fs::create_directories(tree.root / "proc" / "default");   // the kernel's settings folder

    std::string error;
    EXPECT_EQ(driver::FindParportDevice(0x278, tree.paths, error), (tree.root / "dev" / "parport1").string());
    EXPECT_EQ(driver::FindParportDevice(0x378, tree.paths, error), (tree.root / "dev" / "parport0").string());
    EXPECT_EQ(driver::FindParportDevice(0x3BC, tree.paths, error), (tree.root / "dev" / "parport12").string());

    // Only the first number counts: 1912 is the port's upper range.
    EXPECT_EQ(driver::FindParportDevice(1912, tree.paths, error), "");
    EXPECT_EQ(error, "no parallel port at 0x778 (the kernel lists 0x378, 0x278, 0x3BC)");
}

TEST(PpdevPort, EveryMissingPieceIsAClearOpenFailure) {
    FakeParportTree tree;
    std::string error;

    driver::ParportPaths noModule = tree.paths;
    noModule.procRoot = (tree.root / "proc" / "missing").string();
    EXPECT_EQ(driver::PpdevPort::Open(0x378, noModule, error), nullptr);
    EXPECT_NE(error.find("no parallel-port support"), std::string::npos) << error;

    EXPECT_EQ(driver::PpdevPort::Open(0x378, tree.paths, error), nullptr);
    EXPECT_EQ(error, "no parallel port at 0x378 (the kernel lists none)");

    tree.ListPort("parport0", "garbage");
    EXPECT_EQ(driver::PpdevPort::Open(0x378, tree.paths, error), nullptr);
    EXPECT_EQ(error, "no parallel port at 0x378 (the kernel lists none)");

    tree.ListPort("parport1", "888 1912");
    EXPECT_EQ(driver::PpdevPort::Open(0x378, tree.paths, error), nullptr);
    EXPECT_NE(error.find("parport1 is missing: the ppdev module is not loaded"), std::string::npos) << error;

    fs::create_directories(tree.root / "dev" / "parport1");   // cannot be opened for writing
    EXPECT_EQ(driver::PpdevPort::Open(0x378, tree.paths, error), nullptr);
    EXPECT_NE(error.find("cannot open"), std::string::npos) << error;

    fs::remove(tree.root / "dev" / "parport1");
    tree.AddNode("parport1");
    EXPECT_EQ(driver::PpdevPort::Open(0x378, tree.paths, error), nullptr);
    EXPECT_NE(error.find("cannot claim"), std::string::npos) << error;
}

TEST(PpdevPort, HardwareOpenerAnswersWithAPortOrAReason) {
    // Whatever this machine has, the opener neither crashes nor fails silently.
    std::string error;
    auto port = driver::OpenHardwarePort(0x3BC, error);
    EXPECT_TRUE(port != nullptr || !error.empty());
}

}  // namespace
