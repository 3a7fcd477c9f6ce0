#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/programmer.h"
#include "link/operator_notice.h"
#include "protocol/port_driver_protocol.h"
#include "platform/platform_value.h"
#include "virtual_time.h"

namespace {

using namespace port_driver;

// A stand-in driver that records the requests it gets and answers from fixed values.
struct FakeDriver {
    struct Request {
        uint32_t code;
        std::vector<uint8_t> input;
    };
    std::vector<Request> requests;
    bool refuse = false;
    uint8_t statusAnswer = 0x5A;
    uint8_t versionAnswer = kDriverVersion;
    bool answerVersion = true;
    int opens = 0;
    bool openFails = false;
};

class FakeSession : public platform::DeviceSession {
public:
    explicit FakeSession(FakeDriver& driver) : driver(driver) {}
    bool Control(uint32_t code, const uint8_t* in, uint32_t inSize, uint8_t* out, uint32_t,
                 uint32_t* bytesReturned) override {
        driver.requests.push_back({code, std::vector<uint8_t>(in, in + inSize)});
        if (driver.refuse) {
            return false;
        }
        if (code == kReadRegister) {
            out[0] = driver.statusAnswer;
        } else if (code == kVersion && driver.answerVersion) {
            out[0] = driver.versionAnswer;
        }
        *bytesReturned = 1;
        return true;
    }
    FakeDriver& driver;
};

class DriverLinkTest : public ::testing::Test {
protected:
    DriverLinkTest() {
        platform::RegisterDevice(kDeviceName, [this]() -> std::unique_ptr<platform::DeviceSession> {
            ++driver.opens;
            if (driver.openFails) {
                return nullptr;
            }
            return std::make_unique<FakeSession>(driver);
        });
        SetWarningHook([this](const std::string& text, const std::string& caption) {
            warnings.push_back(caption + "|" + text);
        });
    }
    ~DriverLinkTest() override {
        platform::UnregisterDevice(kDeviceName);
        SetWarningHook(nullptr);
    }

    std::vector<FakeDriver::Request> RequestsWithCode(uint32_t code) const {
        std::vector<FakeDriver::Request> found;
        for (const auto& r : driver.requests) {
            if (r.code == code) {
                found.push_back(r);
            }
        }
        return found;
    }

    VirtualTime time;
    FakeDriver driver;
    std::vector<std::string> warnings;
};

TEST_F(DriverLinkTest, RegisterWritesAndReadsTravelAsPackets) {
    Programmer programmer(platform::kDriverFamilyVersion);
    ASSERT_TRUE(programmer.link.driverOpened);
    EXPECT_TRUE(warnings.empty());
    // The power-off at construction: DATA 0xC0, DATA 0x02, CTRL 0x0B as offset + value packets.
    auto writes = RequestsWithCode(kWriteRegister);
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_EQ(writes[0].input, (std::vector<uint8_t>{0, 0, 0, 0, 0xC0}));
    EXPECT_EQ(writes[1].input, (std::vector<uint8_t>{0, 0, 0, 0, 0x02}));
    EXPECT_EQ(writes[2].input, (std::vector<uint8_t>{2, 0, 0, 0, 0x0B}));

    EXPECT_EQ(programmer.ReadPort(programmer.portBase + 1), 0x5A);
    auto reads = RequestsWithCode(kReadRegister);
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(reads[0].input, (std::vector<uint8_t>{1, 0, 0, 0}));
}

TEST_F(DriverLinkTest, FirstOpenSendsNoBaseButReopenDoes) {
    Programmer programmer(platform::kDriverFamilyVersion);
    EXPECT_TRUE(RequestsWithCode(kSetPortBase).empty());
    programmer.portBase = 0x278;
    programmer.CloseDriver();
    programmer.OpenDriver();
    auto bases = RequestsWithCode(kSetPortBase);
    ASSERT_EQ(bases.size(), 1u);
    EXPECT_EQ(bases[0].input, (std::vector<uint8_t>{0x78, 0x02, 0, 0}));
    EXPECT_EQ(driver.opens, 2);
}

TEST_F(DriverLinkTest, FailedOpenWarnsAndSkipsEveryRequest) {
    driver.openFails = true;
    Programmer programmer(platform::kDriverFamilyVersion);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0],
              "Kvaldev Device Error|Device driver not installed or not operating properly. Please "
              "verify device 'Kvaldev' is installed and started in the Control Panel -- Devices applet");
    EXPECT_FALSE(programmer.link.driverOpened);
    EXPECT_EQ(programmer.ReadPort(programmer.portBase + 1), 0);
    EXPECT_TRUE(driver.requests.empty());
    EXPECT_EQ(programmer.GetDriverVersion(), 126u);
}

TEST_F(DriverLinkTest, VersionAnswers) {
    Programmer programmer(platform::kDriverFamilyVersion);
    EXPECT_EQ(programmer.GetDriverVersion(), 8u);
    driver.versionAnswer = 3;
    EXPECT_EQ(programmer.GetDriverVersion(), 3u);
    driver.answerVersion = false;   // the packet comes back as sent
    EXPECT_EQ(programmer.GetDriverVersion(), 127u);
    driver.refuse = true;
    EXPECT_EQ(programmer.GetDriverVersion(), 126u);
    programmer.CloseDriver();
    EXPECT_EQ(programmer.GetDriverVersion(), 126u);

    VirtualTime directTime;
    Programmer direct(platform::kDirectPortFamilyVersion);
    EXPECT_EQ(direct.GetDriverVersion(), 125u);
}

TEST_F(DriverLinkTest, FailedWriteReportsOnStandardOutputAndReadGivesZero) {
    Programmer programmer(platform::kDriverFamilyVersion);
    driver.refuse = true;
    testing::internal::CaptureStdout();
    programmer.WritePort(programmer.portBase, 0x12);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error: DeviceIoControl\n");
    EXPECT_FALSE(programmer.link.lastResult);
    EXPECT_EQ(programmer.ReadPort(programmer.portBase + 1), 0);
}

TEST_F(DriverLinkTest, AddressClockIsOneRequestWithTheHeader) {
    Programmer programmer(platform::kDriverFamilyVersion);
    programmer.currentDevice = programmer.FindByName("XC1718L");
    programmer.resetPolarity = 0;
    programmer.powerMode = POWER_PROGRAM;
    driver.requests.clear();
    programmer.ClockAddress(33);
    ASSERT_EQ(driver.requests.size(), 1u);
    EXPECT_EQ(driver.requests[0].code, kAddressClock);
    EXPECT_EQ(driver.requests[0].input, (std::vector<uint8_t>{1, 0, 0, 0, 33, 0, 3, 0, 4, 0}));
}

}  // namespace
