#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/programmer.h"
#include "link/operator_notice.h"
#include "platform/platform_value.h"
#include "recording_port.h"
#include "station/simulated_station.h"
#include "virtual_time.h"

namespace {

using Writes = std::vector<RecordingPort::Access>;

class ScriptedPresenceTest : public ::testing::Test {
protected:
    ScriptedPresenceTest() { port.log.clear(); }
    // Loop-back answers that pass: bit 4 set while data bit 1 is clear, then clear.
    void PassLoopBack() { port.statusScript = {0x10, 0x00}; }
    size_t Reads() const {
        return std::count_if(port.log.begin(), port.log.end(), [](auto& a) { return a.kind == 'R'; });
    }
    Writes LastWrites() const {
        Writes writes = port.Writes();
        return Writes(writes.end() - 3, writes.end());
    }

    VirtualTime time;
    RecordingPort port;
    Programmer programmer{platform::kDirectPortFamilyVersion, &port};
};

TEST_F(ScriptedPresenceTest, PulseSeenAndEndedMeansPresent) {
    PassLoopBack();
    for (uint8_t status : {0x80, 0x80, 0x80, 0x00, 0x00, 0x80}) port.statusScript.push_back(status);
    EXPECT_EQ(programmer.CheckProgrammer(), 0);
    EXPECT_EQ(port.Writes(), (Writes{D(0xF4), C(0x01), D(0xF6), C(0x05), D(0xD4), D(0x54), D(0xD4),
                                     D(0xC4), D(0x02), C(0x0B)}));
    EXPECT_EQ(Reads(), 8u);
    EXPECT_EQ(programmer.powerMode, POWER_OFF);
}

TEST_F(ScriptedPresenceTest, LoopBackStuckAtEitherLevelAsksForNoPulse) {
    for (uint8_t stuck : {0x00, 0xFF}) {
        port.log.clear();
        port.idleStatus = stuck;
        EXPECT_EQ(programmer.CheckProgrammer(), 1) << int{stuck};
        EXPECT_EQ(port.Writes(), (Writes{D(0xF4), C(0x01), D(0xF6), D(0xC4), D(0x02), C(0x0B)}));
    }
}

TEST_F(ScriptedPresenceTest, PulseAlreadyLowAtTheFirstReadIsNotAPulse) {
    PassLoopBack();
    port.statusScript.push_back(0x00);
    EXPECT_EQ(programmer.CheckProgrammer(), 2);
    EXPECT_EQ(LastWrites(), (Writes{D(0xC4), D(0x02), C(0x0B)}));
}

TEST_F(ScriptedPresenceTest, PulseThatNeverStartsGivesUpAfterSixThousandReads) {
    PassLoopBack();
    port.idleStatus = 0x80;
    EXPECT_EQ(programmer.CheckProgrammer(), 2);
    EXPECT_EQ(Reads(), 2u + 6000u);
    EXPECT_EQ(LastWrites(), (Writes{D(0xC4), D(0x02), C(0x0B)}));
}

TEST_F(ScriptedPresenceTest, PulseFallingJustBeforeTheBoundCounts) {
    PassLoopBack();
    port.statusScript.insert(port.statusScript.end(), 5999, 0x80);
    port.statusScript.push_back(0x00);
    EXPECT_EQ(programmer.CheckProgrammer(), 0);   // then the default 0xFF ends it
}

TEST_F(ScriptedPresenceTest, PulseThatNeverEndsIsBounded) {
    PassLoopBack();
    port.statusScript.push_back(0x80);
    port.idleStatus = 0x00;
    EXPECT_EQ(programmer.CheckProgrammer(), 2);
    EXPECT_LE(Reads(), 2u + 2u + 6000u);
    EXPECT_EQ(LastWrites(), (Writes{D(0xC4), D(0x02), C(0x0B)}));
}

TEST(DriverPresenceTest, DriverNotOpenMeansNotPresent) {
    VirtualTime time;
    SetWarningHook([](const std::string&, const std::string&) {});
    Programmer programmer(platform::kDriverFamilyVersion);   // no driver registered
    SetWarningHook(nullptr);
    EXPECT_EQ(programmer.CheckProgrammer(), 1);
    EXPECT_EQ(programmer.powerMode, POWER_OFF);
}

// --- Against the simulated programmer, both modes ------------------------------------------

enum class Mode { Direct, Driver };

struct FaultCase {
    Mode mode;
    sim::ProgrammerFault fault;
    int32_t expected;
    const char* name;
};

class SimulatedPresenceTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(SimulatedPresenceTest, ResultUnderFault) {
    const FaultCase& c = GetParam();
    sim::SimulatedStation station;
    std::unique_ptr<Programmer> programmer =
        c.mode == Mode::Direct
            ? std::make_unique<Programmer>(platform::kDirectPortFamilyVersion, &station.programmer)
            : std::make_unique<Programmer>(platform::kDriverFamilyVersion);
    // A part in the socket must not disturb the loop-back, and the check's pulse programs nothing.
    station.programmer.InsertBlankPart(*programmer->FindByName("XC1765D"));
    station.programmer.SetFault(c.fault);
    const uint64_t start = station.clock.NowMicroseconds();

    EXPECT_EQ(programmer->CheckProgrammer(), c.expected);

    EXPECT_EQ(programmer->powerMode, POWER_OFF);
    // About a second of power-off wait plus the reads: never stuck on the programmer.
    EXPECT_LT(station.clock.NowMicroseconds() - start, 1'200'000u);
    EXPECT_EQ(station.programmer.PulsesGiven(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SimulatedPresenceTest,
    ::testing::Values(FaultCase{Mode::Direct, sim::ProgrammerFault::None, 0, "DirectPresent"},
                      FaultCase{Mode::Direct, sim::ProgrammerFault::Absent, 1, "DirectAbsent"},
                      FaultCase{Mode::Direct, sim::ProgrammerFault::FlatBattery, 1, "DirectFlatBattery"},
                      FaultCase{Mode::Direct, sim::ProgrammerFault::NoPulseAnswer, 2, "DirectNoPulse"},
                      FaultCase{Mode::Direct, sim::ProgrammerFault::EndlessPulse, 2, "DirectEndlessPulse"},
                      FaultCase{Mode::Driver, sim::ProgrammerFault::None, 0, "DriverPresent"},
                      FaultCase{Mode::Driver, sim::ProgrammerFault::Absent, 1, "DriverAbsent"},
                      FaultCase{Mode::Driver, sim::ProgrammerFault::FlatBattery, 1, "DriverFlatBattery"},
                      FaultCase{Mode::Driver, sim::ProgrammerFault::NoPulseAnswer, 2, "DriverNoPulse"},
                      FaultCase{Mode::Driver, sim::ProgrammerFault::EndlessPulse, 2, "DriverEndlessPulse"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
