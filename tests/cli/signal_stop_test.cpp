// Ctrl-C on a running part command: the program itself, as a shell runs it.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>
#include <vector>

#include "promtool_harness.h"

namespace {

// Runs the program with `stream` written to `path`, sends it SIGINT well past start-up (and well
// before an XC17V16 is programmed) and returns its wait status; -1 if it could not be started.
int RunAndInterrupt(const std::vector<std::string>& args, int stream, const std::string& path) {
    std::vector<char*> argv{const_cast<char*>("promtool")};
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child < 0) {
        return -1;
    }
    if (child == 0) {
        dup2(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), stream);
        execv(PROMTOOL_PROGRAM, argv.data());
        _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    kill(child, SIGINT);
    int status = -1;
    return waitpid(child, &status, 0) == child ? status : -1;
}

TEST_F(PromtoolTest, CtrlCStopsAProgramRunWithTheSocketOffAndExitStatus130) {
    const std::string image = WriteFile("image.bin", RandomImage(2097152, 61));
    const std::string chip = PathOf("chip.prom");
    const std::string errors = PathOf("errors.txt");
    const int status =
        RunAndInterrupt({"--sim", "XC17V16:" + chip, "program", image}, STDERR_FILENO, errors);
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
    const int status = RunAndInterrupt({"--sim", "XC17V16", "produce", image, "--count", "3", "--log", log},
                                       STDOUT_FILENO, output);
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
