// identify, blank, read, program and verify against the simulated programmer, in direct mode
// and through the port driver.
#include <cstdio>

#include "promtool_harness.h"

namespace {

class PartCommandTest : public PromtoolTest, public ::testing::WithParamInterface<bool> {
protected:
    // promtool with the simulator of `type` (TYPE or TYPE:CHIPFILE) in the mode under test.
    PromtoolRun OnSimulator(const std::string& type, std::vector<std::string> command) {
        std::vector<std::string> args = {"--sim", type};
        if (GetParam()) {
            args.push_back("--direct");
        }
        args.insert(args.end(), command.begin(), command.end());
        return Promtool(args);
    }
    std::string Chip(const std::string& type) { return type + ":" + PathOf("chip.prom"); }
};

TEST_P(PartCommandTest, IdentifyShowsThePartItsOptionBitsAndCodes) {
    const PromtoolRun plain = OnSimulator("XC1718L", {"identify"});
    EXPECT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.out,
              "PROM name: XC1718L\n"
              "PROM size: 18144 x 1 bit\n"
              "Word size: 32 bits\n"
              "Reset active: High\n"
              "Manufacturer Code: FF FF FF C9\n"
              "Device ID or Product Code: FF FF FF CE\n");
    EXPECT_EQ(plain.err, "");
    // Either name of a shared entry finds it; extended parts show their two further bits.
    const PromtoolRun extended = OnSimulator("xc1765el", {"identify"});
    EXPECT_EQ(extended.status, 0) << extended.err;
    EXPECT_EQ(extended.out,
              "PROM name: XC1765X or XC1765EL\n"
              "PROM size: 65536 x 1 bit\n"
              "Word size: 32 bits\n"
              "Reset active: High\n"
              "Express Output: Serial\n"
              "Busy Pin: Floating\n"
              "Manufacturer Code: FF FF FF C9\n"
              "Device ID or Product Code: FF FF FF FC\n");
}

TEST_P(PartCommandTest, ProgramThenReadGivesBackTheImageThroughTheChipFile) {
    const std::vector<uint8_t> image = RandomImage(2268, 11);
    ASSERT_EQ(Promtool({"convert", WriteFile("image.bin", image), PathOf("image.mcs"), "--device", "XC1718L"}).status, 0);

    const PromtoolRun blank = OnSimulator(Chip("XC1718L"), {"blank"});
    EXPECT_EQ(blank.status, 0) << blank.err;
    EXPECT_EQ(blank.out, "PROM blank: Yes\n");
    ASSERT_TRUE(std::filesystem::exists(PathOf("chip.prom")));

    const PromtoolRun program = OnSimulator(Chip("XC1718L"), {"program", PathOf("image.mcs")});
    EXPECT_EQ(program.status, 0) << program.err;
    EXPECT_EQ(program.out, "PROM programmed and verified successfully\n");

    const PromtoolRun read = OnSimulator(Chip("XC1718L"), {"read", PathOf("back.mcs")});
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(ReadFile(PathOf("back.mcs")), ReadFile(PathOf("image.mcs")));
    EXPECT_EQ(read.out, Promtool({"checksum", PathOf("image.mcs"), "--device", "XC1718L"}).out);

    const PromtoolRun verify = OnSimulator(Chip("XC1718L"), {"verify", PathOf("image.mcs")});
    EXPECT_EQ(verify.status, 0) << verify.err;
    EXPECT_EQ(verify.out, "Device and Buffer compared succesfully\n");

    const PromtoolRun notBlank = OnSimulator(Chip("XC1718L"), {"blank"});
    EXPECT_EQ(notBlank.status, 1);
    EXPECT_EQ(notBlank.out, "PROM blank: No\n");
}

TEST_P(PartCommandTest, ASecondProgramFailsOnlyWhereAZeroWouldHaveToBecomeOne) {
    const std::vector<uint8_t> first = RandomImage(4536, 5);
    ASSERT_EQ(OnSimulator(Chip("XC1736E"), {"program", WriteFile("first.bin", first)}).status, 0);

    // Clearing more bits is what a PROM can do: the second program passes.
    std::vector<uint8_t> fewerOnes = first;
    for (size_t i = 0; i < fewerOnes.size(); i += 7) {
        fewerOnes[i] &= 0x5A;
    }
    const PromtoolRun cleared = OnSimulator(Chip("XC1736E"), {"program", WriteFile("cleared.bin", fewerOnes)});
    EXPECT_EQ(cleared.status, 0) << cleared.err;

    // One bit back to 1 cannot be done.
    std::vector<uint8_t> oneMore = fewerOnes;
    size_t zeroAt = 100;
    while (oneMore[zeroAt] == 0xFF) {
        ++zeroAt;
    }
    oneMore[zeroAt] = 0xFF;
    const std::string oneMoreFile = WriteFile("one-more.bin", oneMore);
    const PromtoolRun refused = OnSimulator(Chip("XC1736E"), {"program", oneMoreFile});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    // Refused before any pulse: the part is read and compared with the image first.
    char expected[200];
    std::snprintf(expected, sizeof expected,
                  "error: The PROM already holds data that this buffer cannot overwrite: first conflict at byte "
                  "0x%zX, 1 byte conflicts. Nothing was programmed.\n",
                  zeroAt);
    EXPECT_EQ(refused.err, expected);

    const PromtoolRun verify = OnSimulator(Chip("XC1736E"), {"verify", oneMoreFile});
    EXPECT_EQ(verify.status, 1);
    EXPECT_EQ(verify.err.rfind("error: Device and Buffer compare FAILED!!: Failed Margin Verify", 0), 0u) << verify.err;
    // The part still holds what was programmed before.
    EXPECT_EQ(OnSimulator(Chip("XC1736E"), {"verify", PathOf("cleared.bin")}).status, 0);
}

TEST_P(PartCommandTest, ProgramsTheOptionBitsAskedForAndOnlyThose) {
    const std::string image = WriteFile("image.bin", RandomImage(8192, 9));
    const PromtoolRun program = OnSimulator(
        Chip("XC1765X"), {"program", image, "--reset", "low", "--busy", "pulldown", "--output", "parallel"});
    EXPECT_EQ(program.status, 0) << program.err;
    const std::vector<std::string> identified = Lines(OnSimulator(Chip("XC1765X"), {"identify"}).out);
    ASSERT_EQ(identified.size(), 8u);
    EXPECT_EQ(identified[3], "Reset active: Low");
    EXPECT_EQ(identified[4], "Express Output: Parallel");
    EXPECT_EQ(identified[5], "Busy Pin: Pulled Down");

    // A bit already programmed that this run does not ask for fails the run, in the station's words.
    const PromtoolRun again = OnSimulator(Chip("XC1765X"), {"program", image, "--reset", "low", "--busy", "pulldown"});
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.err,
              "error: Device did not program correctly: Device programmed. Express Mode Bit Already Set Parallel "
              "(Bit is active low)\n");
}

TEST_P(PartCommandTest, BusyAndOutputChoicesOnAPartWithoutThoseBitsAreUsageErrors) {
    const std::string image = WriteFile("image.bin", RandomImage(2268, 2));
    for (const char* option : {"--busy", "--output"}) {
        const PromtoolRun run = OnSimulator(Chip("XC1718L"), {"program", image, option,
                                                              option == std::string("--busy") ? "floating" : "serial"});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, "error: the XC1718L has no busy-pin or express-output bit: leave out --busy and --output\n");
    }
    EXPECT_EQ(OnSimulator(Chip("XC1718L"), {"blank"}).status, 0);
    // The reset bit is there on every part.
    EXPECT_EQ(OnSimulator(Chip("XC1718L"), {"program", image, "--reset", "low"}).status, 0);
    EXPECT_EQ(Lines(OnSimulator(Chip("XC1718L"), {"identify"}).out)[3], "Reset active: Low");
}

TEST_P(PartCommandTest, AFileThatLoadsWithAWarningIsNotProgrammedOrCompared) {
    const std::string tooLong = WriteFile("long.bin", RandomImage(2269, 4));
    const PromtoolRun program = OnSimulator(Chip("XC1718L"), {"program", tooLong});
    EXPECT_EQ(program.status, 1);
    EXPECT_EQ(program.err,
              "warning: Program File is larger than device buffer. The file was truncated to fit into the buffer\n"
              "error: " + tooLong + " did not load whole: the PROM was not programmed\n");
    EXPECT_EQ(OnSimulator(Chip("XC1718L"), {"blank"}).out, "PROM blank: Yes\n");
    EXPECT_EQ(OnSimulator(Chip("XC1718L"), {"verify", tooLong}).status, 1);
}

TEST_P(PartCommandTest, FileNamesAreCheckedBeforeThePartIsTouched) {
    const PromtoolRun read = OnSimulator("XC1718L", {"read", PathOf("out.txt")});
    EXPECT_EQ(read.status, 1);
    EXPECT_EQ(read.err, "error: Valid filetypes are [mcs], [hex], [exo], or [bin]\n");
    const PromtoolRun program = OnSimulator("XC1718L", {"program", PathOf("in.txt")});
    EXPECT_EQ(program.err, "error: Valid filetypes are [mcs], [exo] and [bin]\n");
    const PromtoolRun verify = OnSimulator("XC1718L", {"verify", PathOf("missing.bin")});
    EXPECT_EQ(verify.status, 1);
    EXPECT_EQ(verify.err.rfind("error: File could not be Opened: ", 0), 0u);
}

TEST_P(PartCommandTest, AChipFileOfAnotherTypeIsAnErrorAndStaysAsItWas) {
    ASSERT_EQ(OnSimulator(Chip("XC1765D"), {"program", WriteFile("image.bin", RandomImage(8192, 6))}).status, 0);
    const std::string before = ReadFile(PathOf("chip.prom"));
    const PromtoolRun run = OnSimulator(Chip("XC1718L"), {"identify"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "error: chip file " + PathOf("chip.prom") + " holds a PROM of type XC1765D, not XC1718L\n");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(ReadFile(PathOf("chip.prom")), before);
}

TEST_P(PartCommandTest, VerifyOfAnErasedPartFailsAtTheFirstDifference) {
    std::vector<uint8_t> image(2268, 0xFF);
    image[0] = 0xFE;
    const PromtoolRun run = OnSimulator("XC1718D", {"verify", WriteFile("image.bin", image)});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("error: Device and Buffer compare FAILED!!: Failed Margin Verify", 0), 0u) << run.err;
}

TEST_P(PartCommandTest, TheSimulatedProgrammerMayStandOnAnotherPort) {
    // In driver mode this needs the port base to reach the driver.
    const PromtoolRun run = Promtool(GetParam() ? std::vector<std::string>{"--sim", "XC1765D", "--direct", "--port", "0x278", "identify"}
                                                : std::vector<std::string>{"--sim", "XC1765D", "--port", "0x3BC", "identify"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Lines(run.out).front(), "PROM name: XC1765D");
}

INSTANTIATE_TEST_SUITE_P(Modes, PartCommandTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& mode) { return mode.param ? "Direct" : "Driver"; });

class LargePartTest : public PromtoolTest {};

TEST_F(LargePartTest, AnErasedXC17V16ReadsAsTwoMebibytesOfFF) {
    const PromtoolRun run = Promtool({"--sim", "XC17V16", "read", PathOf("v16.bin")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Checksum: 0x0000\n");
    EXPECT_EQ(ReadBytes(PathOf("v16.bin")), std::vector<uint8_t>(2097152, 0xFF));
}

}  // namespace
