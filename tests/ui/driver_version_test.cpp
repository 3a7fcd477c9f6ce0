// The port driver's version, judged when the window starts: an old, silent or foreign driver
// is reported before the window shows.
#include <gtest/gtest.h>

#include <optional>

#include "buffer/record_file.h"
#include "engine/programmer.h"
#include "link/operator_notice.h"
#include "protocol/port_driver_protocol.h"
#include "platform/device_transport.h"
#include "platform/platform_value.h"
#include "scripted_operator.h"
#include "ui/main_dialog.h"
#include "virtual_time.h"

namespace {

// A driver that answers only the version request: with `version`, or by leaving the packet as
// it came when there is none.
class VersionOnlyDriver : public platform::DeviceSession {
public:
    explicit VersionOnlyDriver(std::optional<uint8_t> version) : version(version) {}
    bool Control(uint32_t code, const uint8_t*, uint32_t inSize, uint8_t* out, uint32_t,
                 uint32_t* bytesReturned) override {
        if (code != port_driver::kVersion) {
            return false;
        }
        if (version) {
            out[0] = *version;
        }
        *bytesReturned = inSize;
        return true;
    }

private:
    std::optional<uint8_t> version;
};

class DriverVersionBox : public ::testing::Test {
protected:
    void TearDown() override {
        platform::UnregisterDevice(port_driver::kDeviceName);
        SetWarningHook(nullptr);
    }

    // Opens the window over a driver that answers `version` (none: no driver at all).
    void OpenWindow(std::optional<std::optional<uint8_t>> driver) {
        if (driver) {
            platform::RegisterDevice(port_driver::kDeviceName, [version = *driver] {
                return std::make_unique<VersionOnlyDriver>(version);
            });
        }
        SetWarningHook([this](const std::string& text, const std::string&) { driverWarnings.push_back(text); });
        Programmer programmer(platform::kDriverFamilyVersion);
        RecordFile recordFile;
        std::string pattern = "*.mcs";
        MainDialog window(programmer, recordFile, pattern, operatorScript);
    }

    std::string Expected(const std::string& firstLine) {
        return firstLine +
               "\nPlease download latest version of\nDriver and TOBRANE.exe from\n"
               "       http://www.kvaldev.com/downloads";
    }
    void ExpectOneBox(const std::string& firstLine) {
        ASSERT_EQ(operatorScript.messages.size(), 1u);
        EXPECT_EQ(operatorScript.messages[0].text, Expected(firstLine));
        EXPECT_EQ(operatorScript.messages[0].caption, "Xilinx Serial PROM Programmer - Version 4.1 - 8/21/04");
        EXPECT_EQ(operatorScript.messages[0].icon, MessageIcon::Information);
        EXPECT_EQ(operatorScript.messages[0].buttons, MessageButtons::Ok);
    }

    VirtualTime time;   // the power-off waits cost nothing
    ScriptedOperator operatorScript;
    std::vector<std::string> driverWarnings;
};

TEST_F(DriverVersionBox, ExpectedVersionShowsNothing) {
    OpenWindow(std::optional<uint8_t>(8));
    EXPECT_TRUE(operatorScript.messages.empty());
    EXPECT_TRUE(driverWarnings.empty());
}

TEST_F(DriverVersionBox, DriverThatCannotBeOpenedIsVeryOld) {
    OpenWindow(std::nullopt);
    EXPECT_EQ(driverWarnings.size(), 1u);   // the open failure, before the window
    ExpectOneBox("NT or Win2K Driver is VERY OLD or not working");
}

TEST_F(DriverVersionBox, DriverThatDoesNotAnswerTheVersion) {
    OpenWindow(std::optional<uint8_t>());
    ExpectOneBox("NT or Win2K Driver is NOT returning version");
}

TEST_F(DriverVersionBox, AnyOtherVersionIsIncompatible) {
    OpenWindow(std::optional<uint8_t>(7));
    ExpectOneBox("Incompatible NT or Win2K Driver Version");
}

TEST_F(DriverVersionBox, DirectModeAsksNoDriver) {
    Programmer programmer(platform::kDirectPortFamilyVersion);
    RecordFile recordFile;
    std::string pattern = "*.mcs";
    MainDialog window(programmer, recordFile, pattern, operatorScript);
    EXPECT_TRUE(operatorScript.messages.empty());
}

}  // namespace
