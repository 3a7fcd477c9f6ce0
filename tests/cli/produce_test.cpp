// promtool produce: rehearsals on the simulator, the run over scripted parts, the operator's prompt.
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <thread>

#include "cli/operator_prompt.h"
#include "cli/production_run.h"
#include "platform/platform_value.h"
#include "promtool_harness.h"
#include "station/simulated_station.h"

namespace {

// ISO 8601 local time with its offset: 2026-12-08T14:03:27+01:00.
bool IsIsoTime(const std::string& text) {
    const std::string shape = "dddd-dd-ddTdd:dd:dd+dd:dd";
    if (text.size() != shape.size()) {
        return false;
    }
    for (size_t i = 0; i < shape.size(); ++i) {
        const char c = text[i];
        const bool fits = shape[i] == 'd'   ? std::isdigit(static_cast<unsigned char>(c)) != 0
                          : shape[i] == '+' ? c == '+' || c == '-'
                                            : c == shape[i];
        if (!fits) {
            return false;
        }
    }
    return true;
}

TEST_F(PromtoolTest, ARehearsalAppendsOneRowPerPartUnderOneHeader) {
    const std::string image = WriteFile("odd \"name\", v2.bin", RandomImage(8192, 71));
    const std::string log = PathOf("log.csv");
    const std::string checksum = Promtool({"checksum", image, "--device", "XC1765D"}).out.substr(10, 6);
    const std::string field = "\"" + folder.string() + "/odd \"\"name\"\", v2.bin\"";
    std::vector<std::string> expectedRows{"time,part,type,image,checksum,option bits,result,failure,seconds"};
    for (const char* reset : {"high", "low"}) {
        const PromtoolRun run =
            Promtool({"--sim", "XC1765D", "produce", image, "--count", "3", "--log", log, "--reset", reset});
        EXPECT_EQ(run.status, 0) << run.err;
        const std::vector<std::string> lines = Lines(run.out);
        ASSERT_EQ(lines.size(), 4u) << run.out;
        for (int part = 1; part <= 3; ++part) {
            const std::string start = "Part " + std::to_string(part) + ": XC1765D passed in ";
            ASSERT_EQ(lines[part - 1].rfind(start, 0), 0u) << lines[part - 1];
            const std::string seconds = lines[part - 1].substr(start.size(), lines[part - 1].size() - start.size() - 2);
            expectedRows.push_back("," + std::to_string(part) + ",XC1765D," + field + "," + checksum + ",reset=" +
                                   reset + ",passed,," + seconds);
        }
        EXPECT_EQ(lines[3], "3 passed, 0 failed");
    }
    // A failure text with a comma is quoted; a part of no type leaves the type and checksum empty.
    const PromtoolRun failing =
        Promtool({"--sim", "XC1765D", "--fault", "absent", "produce", image, "--count", "1", "--log", log});
    EXPECT_EQ(failing.status, 1);
    const std::string absent = "Programmer not present. If programmer is connected, check battery and cable (if used)";
    EXPECT_EQ(failing.out, "Part 1: failed: " + absent + "\n0 passed, 1 failed\n");
    expectedRows.push_back(",1,," + field + ",,reset=high,failed,\"" + absent + "\",1.1");   // the presence check's time

    const std::vector<std::string> rows = Lines(ReadFile(log));
    ASSERT_EQ(rows.size(), expectedRows.size());
    EXPECT_EQ(rows[0], expectedRows[0]);
    for (size_t i = 1; i < rows.size(); ++i) {
        EXPECT_TRUE(IsIsoTime(rows[i].substr(0, 25))) << rows[i];
        EXPECT_EQ(rows[i].substr(25), expectedRows[i]);
    }
}

TEST_F(PromtoolTest, APartOfAnotherTypeThanTheDeviceFailsAndABadImageFailsBeforeAnyPart) {
    const std::string image = WriteFile("image.bin", RandomImage(8192, 72));
    const PromtoolRun other = Promtool({"--sim", "XC1765D", "produce", image, "--device", "XC1765E", "--count", "1"});
    EXPECT_EQ(other.status, 1);
    EXPECT_EQ(other.out, "Part 1: XC1765D failed: the PROM is of type XC1765D, not XC1765E\n0 passed, 1 failed\n");
    const PromtoolRun tooLong = Promtool({"--sim", "XC1736E", "produce", image, "--device", "XC1736E", "--count", "1"});
    EXPECT_EQ(tooLong.status, 1);
    EXPECT_EQ(tooLong.out, "");
    EXPECT_NE(tooLong.err.find(image + " did not load whole: no part was programmed"), std::string::npos);
    const PromtoolRun noLog = Promtool({"--sim", "XC1765D", "produce", image, "--count", "1", "--log", folder.string()});
    EXPECT_EQ(noLog.status, 1);
    EXPECT_EQ(noLog.out, "");
}

// The run over parts a script puts into the simulated socket, as an operator would.
TEST(ProductionRunTest, APartHoldingTheImagePassesWithoutAPulseAndOtherPartsFail) {
    sim::SimulatedStation station;
    Programmer programmer{platform::kDirectPortFamilyVersion, &station.programmer};
    std::ostringstream out;
    std::ostringstream err;
    const cli::Console console{out, err};
    const std::string image = (std::filesystem::temp_directory_path() / "production-run-image.bin").string();
    std::ofstream(image, std::ios::binary) << std::string(8192, '\x5A');
    sim::SimulatedProm otherContents;
    otherContents.type = *programmer.FindByName("XC1765D");
    otherContents.contents.assign(8192, 0xA5);
    std::vector<uint64_t> pulsesBefore{0};   // before part 1, 2, ...
    const cli::NextPart nextPart = [&](uint32_t number) {
        pulsesBefore.push_back(station.programmer.PulsesGiven());
        switch (number) {
        case 1:
            station.programmer.InsertBlankPart(otherContents.type);
            return true;
        case 2:
            return true;   // the part programmed just now, inserted again
        case 3:
            station.programmer.InsertPart(otherContents);
            return true;
        case 4:
            station.programmer.InsertBlankPart(*programmer.FindByName("XC1736E"));
            return true;
        default:
            return false;
        }
    };
    cli::ProductionLog noLog;
    EXPECT_EQ(cli::RunProduction(programmer, {image, nullptr, {}, 0}, nextPart, noLog, console), 1);
    std::filesystem::remove(image);
    const std::vector<std::string> lines = Lines(out.str());
    ASSERT_EQ(lines.size(), 5u) << out.str() << err.str();
    EXPECT_EQ(lines[0].rfind("Part 1: XC1765D passed in ", 0), 0u);
    EXPECT_EQ(lines[1].rfind("Part 2: XC1765D passed in ", 0), 0u);
    EXPECT_EQ(lines[2], "Part 3: XC1765D failed: the PROM is not blank and does not hold this image");
    EXPECT_EQ(lines[3], "Part 4: XC1736E failed: the PROM is of type XC1736E, not XC1765D");
    EXPECT_EQ(lines[4], "2 passed, 2 failed");
    // Only the blank part had pulses.
    EXPECT_GT(pulsesBefore[2], pulsesBefore[1]);
    EXPECT_EQ(pulsesBefore[5], pulsesBefore[2]);
}

TEST(OperatorPromptTest, EnterGoesOnWhileQTheEndOfInputAndCtrlCStop) {
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    ASSERT_EQ(write(pipeEnds[1], "\nnext\n q \n", 10), 10);
    std::ostringstream prompt;
    std::atomic<bool> stop{false};
    EXPECT_TRUE(cli::AskForPart(1, pipeEnds[0], stop, prompt));
    EXPECT_TRUE(cli::AskForPart(2, pipeEnds[0], stop, prompt));
    EXPECT_FALSE(cli::AskForPart(3, pipeEnds[0], stop, prompt));
    EXPECT_EQ(prompt.str(), "Insert part 1 and press Enter (q to stop): Insert part 2 and press Enter (q to stop): "
                            "Insert part 3 and press Enter (q to stop): ");
    // Ctrl-C while nothing is typed ends the wait.
    std::thread ctrlC([&stop] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        stop = true;
    });
    EXPECT_FALSE(cli::AskForPart(4, pipeEnds[0], stop, prompt));
    ctrlC.join();
    stop = false;
    close(pipeEnds[1]);
    EXPECT_FALSE(cli::AskForPart(5, pipeEnds[0], stop, prompt));
    close(pipeEnds[0]);
}

}  // namespace
