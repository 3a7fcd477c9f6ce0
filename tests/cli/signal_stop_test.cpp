// Ctrl-C on a running part command: the program itself, as a shell runs it.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "promtool_harness.h"

namespace {

TEST_F(PromtoolTest, CtrlCStopsAProgramRunWithTheSocketOffAndExitStatus130) {
    const std::string image = WriteFile("image.bin", RandomImage(2097152, 61));
    const std::string chip = PathOf("chip.prom");
    const std::string errors = PathOf("errors.txt");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(err, STDERR_FILENO);
        const std::string sim = "XC17V16:" + chip;
        execl(PROMTOOL_PROGRAM, "promtool", "--sim", sim.c_str(), "program", image.c_str(), nullptr);
        _exit(127);
    }
    // Well past start-up, well before an XC17V16 is programmed.
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    kill(child, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by the signal itself";
    EXPECT_EQ(WEXITSTATUS(status), 130);
    EXPECT_NE(ReadFile(errors).find("Stopped by the operator"), std::string::npos) << ReadFile(errors);
    // The chip file still came back: whatever was programmed stays programmed.
    EXPECT_TRUE(std::filesystem::exists(chip));
}

TEST_F(PromtoolTest, CtrlCEndsAProductionRunWithTheSummaryAndTheLogOfThePartUnderWay) {
    const std::string image = WriteFile("image.bin", RandomImage(2097152, 62));
    const std::string log = PathOf("log.csv");
    const std::string output = PathOf("output.txt");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out, STDOUT_FILENO);
        execl(PROMTOOL_PROGRAM, "promtool", "--sim", "XC17V16", "produce", image.c_str(), "--count", "3", "--log",
              log.c_str(), nullptr);
        _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    kill(child, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by the signal itself";
    EXPECT_EQ(WEXITSTATUS(status), 130);
    const std::vector<std::string> lines = Lines(ReadFile(output));
    ASSERT_EQ(lines.size(), 2u) << ReadFile(output);
    EXPECT_EQ(lines[0].rfind("Part 1: XC17V16 failed: ", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("Stopped by the operator"), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1], "0 passed, 1 failed");
    EXPECT_EQ(Lines(ReadFile(log)).size(), 2u) << "the header and the stopped part";
}

}  // namespace
