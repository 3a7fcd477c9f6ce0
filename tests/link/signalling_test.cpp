#include <gtest/gtest.h>

#include "engine/programmer.h"
#include "platform/platform_value.h"
#include "recording_port.h"
#include "virtual_time.h"

namespace {

using Writes = std::vector<RecordingPort::Access>;

class DirectSignallingTest : public ::testing::Test {
protected:
    VirtualTime time;
    RecordingPort port;
    Programmer programmer{platform::kDirectPortFamilyVersion, &port};

    void UseDevice(const char* name) {
        programmer.currentDevice = programmer.FindByName(name);
        ASSERT_NE(programmer.currentDevice, nullptr);
    }
};

TEST_F(DirectSignallingTest, ConstructionPowersTheSocketOff) {
    EXPECT_EQ(port.Writes(), (Writes{D(0xC0), D(0x02), C(0x0B)}));
    EXPECT_EQ(programmer.powerMode, POWER_OFF);
    EXPECT_GE(time.clock.NowMicroseconds(), 1010000u);
}

TEST_F(DirectSignallingTest, PowerOffCarriesTheSupplySelect) {
    port.log.clear();
    programmer.SetPowerMode(POWER_OFF, 33);
    EXPECT_EQ(port.Writes(), (Writes{D(0xC4), D(0x02), C(0x0B)}));
}

TEST_F(DirectSignallingTest, ProgrammingPowerUpSequence) {
    port.log.clear();
    uint64_t start = time.clock.NowMicroseconds();
    programmer.SetPowerMode(POWER_PROGRAM, 33);
    EXPECT_EQ(port.Writes(), (Writes{D(0x1C), C(0x01), D(0xDC), D(0x9C), D(0x9D), D(0x9C), D(0x9D),
                                     D(0xDD), D(0xDC), D(0xDD), D(0xDC)}));
    EXPECT_GE(time.clock.NowMicroseconds() - start, 280000u);
    EXPECT_EQ(programmer.powerMode, POWER_PROGRAM);
}

TEST_F(DirectSignallingTest, ReadPowerUpFor33VoltPartWithResetActiveLow) {
    UseDevice("XC1718L");   // read 3.3 V, programmed at 5 V: S = 0
    programmer.resetPolarity = 0;
    port.log.clear();
    programmer.SetPowerMode(POWER_READ, 50);
    EXPECT_EQ(port.Writes(), (Writes{D(0xD4), C(0x01), D(0xE0), D(0xE8), D(0xE0), D(0xE8)}));
}

TEST_F(DirectSignallingTest, ReadPowerUpPulsesResetWithTheProgrammingSupplySelect) {
    UseDevice("XC17V04");   // 3.3 V for both: S = 4 in the reset pulse
    port.log.clear();
    programmer.SetPowerMode(POWER_READ, 33);
    EXPECT_EQ(port.Writes(), (Writes{D(0xDC), C(0x01), D(0xE0), D(0xE4), D(0xEC), D(0xE4)}));
}

TEST_F(DirectSignallingTest, ReadPowerUpWithoutDeviceFallsBackToTheOffPattern) {
    port.log.clear();
    programmer.SetPowerMode(POWER_READ, 50);
    EXPECT_EQ(port.Writes(), (Writes{D(0xDC), C(0x01), D(0x02), C(0x0B), D(0x02), C(0x0B)}));
}

TEST_F(DirectSignallingTest, UnknownModeIsRecordedWithoutSignal) {
    port.log.clear();
    programmer.SetPowerMode(7, 50);
    EXPECT_TRUE(port.Writes().empty());
    EXPECT_EQ(programmer.powerMode, 7);
}

TEST_F(DirectSignallingTest, AddressClockByPowerMode) {
    UseDevice("XC1765D");
    port.log.clear();
    programmer.ClockAddress(50);
    EXPECT_TRUE(port.Writes().empty()) << "no clock while the socket is off";

    programmer.powerMode = POWER_PROGRAM;
    programmer.ClockAddress(33);
    EXPECT_EQ(port.Writes(), (Writes{D(0xDD), D(0xD4), D(0xD4), D(0xD5), D(0xDD)}));

    port.log.clear();
    programmer.powerMode = POWER_READ;
    programmer.ClockAddress(50);
    EXPECT_EQ(port.Writes(), (Writes{D(0xC1), D(0xC0)}));

    port.log.clear();
    programmer.resetPolarity = 0;
    programmer.ClockAddress(50);
    EXPECT_EQ(port.Writes(), (Writes{D(0xC9), D(0xC8)}));
}

TEST(DelayTest, WaitsAtLeastTheGivenMilliseconds) {
    VirtualTime time;
    time.clock.Advance(1500);   // 1.5 ms into the run
    Delay(3);
    EXPECT_GE(time.clock.NowMicroseconds(), 4000u);
    uint64_t before = time.clock.NowMicroseconds();
    Delay(0);
    Delay(-5);
    EXPECT_EQ(time.clock.NowMicroseconds(), before);
}

}  // namespace
