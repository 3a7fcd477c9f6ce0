// "-" as a file name: standard input and standard output, in the format --format names.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "json_reader.h"
#include "promtool_harness.h"

namespace {

class StandardStreamTest : public PromtoolTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(StandardStreamTest, EveryPathThroughStandardInputAndOutputKeepsTheDataExactly) {
    const std::string format = GetParam();
    const std::vector<uint8_t> image = RandomImage(8192, 31);
    const std::string in = WriteFile("image.bin", image);
    ASSERT_EQ(Promtool({"convert", in, PathOf("image." + format), "--size", "8192"}).status, 0);
    const std::string file = ReadFile(PathOf("image." + format));

    // The data alone on standard output; the checksum line moves to standard error.
    const PromtoolRun toOutput = Promtool({"convert", in, "-", "--size", "8192", "--format", format});
    EXPECT_EQ(toOutput.status, 0) << toOutput.err;
    EXPECT_EQ(toOutput.out, file);
    EXPECT_EQ(toOutput.err.rfind("Checksum: 0x", 0), 0u);

    ASSERT_EQ(PromtoolWithInput({"convert", "-", PathOf("back.bin"), "--size", "8192", "--format", format}, file).status, 0);
    EXPECT_EQ(ReadBytes(PathOf("back.bin")), image);
    EXPECT_EQ(PromtoolWithInput({"convert", "-", "-", "--size", "8192", "--format", format}, file).out, file);

    const std::string chip = "XC1765D:" + PathOf("chip.prom");
    const PromtoolRun program = PromtoolWithInput({"--sim", chip, "program", "-", "--format", format}, file);
    EXPECT_EQ(program.status, 0) << program.err;
    const PromtoolRun read = Promtool({"--sim", chip, "read", "-", "--format", format});
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out, file);
    EXPECT_EQ(read.err, toOutput.err);
}

INSTANTIATE_TEST_SUITE_P(Formats, StandardStreamTest, ::testing::Values("mcs", "hex", "exo", "bin"));

TEST_F(PromtoolTest, BinaryOnStandardInputIsReadToItsEnd) {
    const std::string bytes("\x00\x0A\x0D\x1A\xFF\x0D\x0A\x00", 8);
    EXPECT_EQ(PromtoolWithInput({"checksum", "-", "--size", "8", "--format", "bin"}, bytes).out,
              Promtool({"checksum", WriteFile("eight.bin", bytes), "--size", "8"}).out);
    const PromtoolRun longer = PromtoolWithInput({"checksum", "-", "--size", "7", "--format", "bin"}, bytes);
    EXPECT_EQ(longer.status, 3);
    EXPECT_NE(longer.err.find("truncated"), std::string::npos);
}

struct ProgramRun {
    int status = -1;
    std::string out;
};

// The program itself, for what only its real standard output shows.
ProgramRun RunProgram(std::vector<std::string> args) {
    int output[2];
    if (pipe(output) != 0) {
        return {};
    }
    const pid_t child = fork();
    if (child == 0) {
        dup2(output[1], STDOUT_FILENO);
        dup2(open("/dev/null", O_WRONLY), STDERR_FILENO);
        close(output[0]);
        args.insert(args.begin(), "promtool");
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        execv(PROMTOOL_PROGRAM, argv.data());
        _exit(127);
    }
    close(output[1]);
    ProgramRun run;
    char block[65536];
    for (ssize_t got; (got = read(output[0], block, sizeof block)) > 0;) {
        run.out.append(block, static_cast<size_t>(got));
    }
    close(output[0]);
    int status = 0;
    waitpid(child, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST_F(PromtoolTest, TheProgramsStandardOutputCarriesTheJsonOrTheDataAlone) {
    // A port lost in driver mode makes the engine print "Error: DeviceIoControl" on standard
    // output for each failed write.
    const std::vector<std::string> lost = {"--sim", "XC1718L", "--fault", "port-lost", "identify"};
    EXPECT_NE(RunProgram(lost).out.find("Error: DeviceIoControl"), std::string::npos);
    std::vector<std::string> json = lost;
    json.insert(json.begin(), "--json");
    const ProgramRun run = RunProgram(json);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(JsonReader::Read(run.out)) << run.out;

    const std::vector<uint8_t> image = RandomImage(2268, 32);
    const std::string chip = "XC1718L:" + PathOf("chip.prom");
    ASSERT_EQ(Promtool({"--sim", chip, "program", WriteFile("image.bin", image)}).status, 0);
    const ProgramRun read = RunProgram({"--sim", chip, "read", "-", "--format", "bin"});
    EXPECT_EQ(read.status, 0);
    EXPECT_EQ(read.out, std::string(image.begin(), image.end()));
}

}  // namespace
