// What the part commands say when the programmer or the part does not answer.
#include <sstream>

#include "cli/commands.h"
#include "platform/platform_value.h"
#include "promtool_harness.h"
#include "sim/simulated_station.h"

namespace {

class PartFaultTest : public ::testing::Test {
protected:
    void InsertPart(uint8_t manufacturerCode = 0xC9) {
        sim::SimulatedProm part;
        part.type = *programmer.FindByName("XC1765D");
        part.contents.assign(part.type.sizeBits / 8, 0xFF);
        part.manufacturerCode = manufacturerCode;
        station.programmer.InsertPart(part);
    }

    sim::SimulatedStation station;
    Programmer programmer{platform::kDirectPortFamilyVersion, &station.programmer};
    std::ostringstream out;
    std::ostringstream err;
    cli::Console console{out, err};
};

TEST_F(PartFaultTest, TheTwoPresenceCheckFailuresAreReportedInTheStationsWords) {
    InsertPart();
    station.programmer.SetFault(sim::ProgrammerFault::Absent);
    EXPECT_EQ(cli::RunIdentify(programmer, console), 1);
    station.programmer.SetFault(sim::ProgrammerFault::NoPulseAnswer);
    EXPECT_EQ(cli::RunBlank(programmer, console), 1);
    EXPECT_EQ(err.str(),
              "error: Programmer not present. If programmer is connected, check battery and cable (if used)\n"
              "error: Programmer micro controller error, pulse not found.\n");
    EXPECT_EQ(out.str(), "");
}

TEST_F(PartFaultTest, AnEmptySocketOrAPartOfAnotherMakerIsNoDevice) {
    EXPECT_EQ(cli::RunIdentify(programmer, console), 1);
    InsertPart(0x9C);
    EXPECT_EQ(cli::RunRead(programmer, "never-written.bin", console), 1);
    EXPECT_EQ(err.str(), "error: No Device found\nerror: No Device found\n");
    EXPECT_EQ(out.str(), "");
    EXPECT_FALSE(std::filesystem::exists("never-written.bin"));
}

TEST(RealHardwareTest, WithoutParallelPortSupportTheDriverSaysWhyAndNothingElseIsPrinted) {
    if (std::filesystem::exists("/proc/sys/dev/parport")) {
        GTEST_SKIP() << "this machine has parallel ports: the test would drive one";
    }
    ::testing::internal::CaptureStdout();
    const PromtoolRun run = Promtool({"--port", "0x278", "identify"});
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("error: the port driver cannot use the parallel port at 0x278: ", 0), 0u) << run.err;
    EXPECT_EQ(Lines(run.err).size(), 1u);
}

}  // namespace
