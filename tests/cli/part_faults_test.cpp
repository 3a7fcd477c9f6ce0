// What the part commands say when the programmer or the part does not answer.
#include <algorithm>
#include <sstream>

#include "cli/commands.h"
#include "platform/platform_value.h"
#include "promtool_harness.h"
#include "station/simulated_station.h"

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

namespace {

// Rehearsals: every injected fault, from the start, ends every part command in a failure that
// says why, and leaves the chip file's PROM as it was.
struct FaultCase {
    const char* fault;
    const char* message;
};

class InjectedFaultTest : public PromtoolTest, public testing::WithParamInterface<FaultCase> {};

TEST_P(InjectedFaultTest, EveryPartCommandFailsAndTheChipIsUntouched) {
    const FaultCase& c = GetParam();
    const std::string chip = PathOf("chip.prom");
    const std::string image = WriteFile("image.bin", RandomImage(8192, 51));
    ASSERT_EQ(Promtool({"--sim", "XC1765D:" + chip, "blank"}).status, 0);
    const std::string blankChip = ReadFile(chip);
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"identify"}, {"blank"}, {"read", PathOf("out.bin")}, {"verify", image},
          {"program", image, "--reset", "low"}}) {
        std::vector<std::string> args{"--sim", "XC1765D:" + chip, "--fault", c.fault};
        args.insert(args.end(), command.begin(), command.end());
        const PromtoolRun run = Promtool(args);
        EXPECT_EQ(run.status, 1) << c.fault << " " << command[0];
        EXPECT_EQ(run.err, std::string("error: ") + c.message + "\n") << command[0];
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(ReadFile(chip), blankChip);
    EXPECT_FALSE(std::filesystem::exists(PathOf("out.bin")));
}

INSTANTIATE_TEST_SUITE_P(
    Promtool, InjectedFaultTest,
    testing::Values(
        FaultCase{"absent", "Programmer not present. If programmer is connected, check battery and cable (if used)"},
        FaultCase{"flat-battery",
                  "Programmer not present. If programmer is connected, check battery and cable (if used)"},
        FaultCase{"no-pulse", "Programmer micro controller error, pulse not found."},
        FaultCase{"endless-pulse", "Programmer micro controller error, pulse not found."},
        FaultCase{"pulled", "No Device found"},
        FaultCase{"port-lost", "Lost access to the parallel port at 0x378: Input/output error"}),
    [](const testing::TestParamInfo<FaultCase>& info) {
        std::string name = info.param.fault;
        name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
        return name;
    });

TEST_F(PromtoolTest, AFaultMidProgramIsAFailureAndAConflictingPartIsNeverPulsed) {
    const std::string chip = PathOf("chip.prom");
    const std::vector<uint8_t> first = RandomImage(8192, 52);
    const std::string image = WriteFile("image.bin", first);
    // The cable comes loose well inside the programming pass.
    PromtoolRun run = Promtool({"--sim", "XC1765E:" + chip, "--fault", "absent@1500000", "program", image});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("error: Device did not program correctly: ", 0), 0u) << run.err;

    // Another image over what the first left: refused before any pulse.
    std::vector<uint8_t> second = first;
    second[0x1A2] = 0xFF;
    second[0x1A3] = 0xFF;
    const std::string other = WriteFile("other.bin", second);
    ASSERT_EQ(Promtool({"--sim", "XC1765E:" + chip, "program", image}).status, 0);
    const std::string programmed = ReadFile(chip);
    run = Promtool({"--sim", "XC1765E:" + chip, "program", other});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "error: The PROM already holds data that this buffer cannot overwrite: first conflict at byte 0x1A2, "
              "2 bytes conflict. Nothing was programmed.\n");
    EXPECT_EQ(ReadFile(chip), programmed);
}

TEST_F(PromtoolTest, FaultNeedsTheSimulatorAndANameItKnows) {
    EXPECT_EQ(Promtool({"--fault", "absent", "identify"}).status, 2);
    EXPECT_EQ(Promtool({"--sim", "XC1765D", "--fault", "smoke", "identify"}).status, 2);
    EXPECT_EQ(Promtool({"--sim", "XC1765D", "--fault", "pulled@x", "identify"}).status, 2);
}

}  // namespace
