// What keeps a one-time part safe from the operator's side: the check that a part can take the
// buffer before any pulse, and an operation the operator stops.
#include <gtest/gtest.h>

#include <tuple>

#include "programming_fixture.h"

namespace {

using PartCheck = SimulatedStationTest;

TEST_P(PartCheck, BlankAndCompatiblePartsTakeTheBufferAConflictingOneIsNeverPulsed) {
    for (const char* name : {"XC1765D", "XC1765X or XC1765EL"}) {
        SCOPED_TRACE(name);
        sim::SimulatedProm& part = InsertAndIdentify(name);
        std::vector<uint8_t> image = RandomImage(part.contents.size(), 31);
        LoadBuffer(image);
        ProgramConflicts conflicts;
        EXPECT_TRUE(programmer.CheckPartTakesBuffer(conflicts)) << "blank";

        // Already holding some of the buffer's zeros: fine, the rest can still be programmed.
        for (size_t i = 0; i < image.size(); i += 3) {
            part.contents[i] = image[i];
        }
        EXPECT_TRUE(programmer.CheckPartTakesBuffer(conflicts)) << programmer.failureText;
        EXPECT_EQ(conflicts.bytes, 0u);

        // Zeros the buffer does not have, in 37 bytes from 0x1A2 on.
        const std::vector<uint8_t> before = part.contents;
        for (size_t i = 0x1A2; i < 0x1A2 + 37; ++i) {
            image[i] = 0xFF;
            part.contents[i] = 0x7F;
        }
        LoadBuffer(image);
        const uint64_t pulses = station.programmer.PulsesGiven();
        EXPECT_FALSE(programmer.CheckPartTakesBuffer(conflicts));
        EXPECT_EQ(conflicts.firstByte, 0x1A2u);
        EXPECT_EQ(conflicts.bytes, 37u);
        EXPECT_EQ(programmer.failureText,
                  "The PROM already holds data that this buffer cannot overwrite: first conflict at byte 0x1A2, "
                  "37 bytes conflict. Nothing was programmed.");
        EXPECT_EQ(station.programmer.PulsesGiven(), pulses);
        EXPECT_EQ(station.programmer.PowerModeHistory().back(), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(BothModes, PartCheck, testing::Values(StationMode::Direct, StationMode::Driver),
                         StationModeName);

enum class Operation { Read, BlankCheck, Verify, Program, PartCheck };

// Asks to stop once the operation has shown a number of progress steps, as the window does
// when the operator says Yes to its question.
class StoppingStatusLine final : public StatusLineWindow {
public:
    StoppingStatusLine(Programmer& programmer, int afterSteps) : programmer(programmer), afterSteps(afterSteps) {
        SetStatusLineWindow(this);
    }
    ~StoppingStatusLine() override { SetStatusLineWindow(nullptr); }
    void SetStatusLineVisible(bool) override {}
    void SetStatusLineText(const std::string& text) override {
        if (text.find("% complete") != std::string::npos && ++steps == afterSteps) {
            programmer.stopRequested = true;
        }
    }
    void SetStatusLineProgress(int) override {}
    void RepaintStatusLine() override {}

private:
    Programmer& programmer;
    int afterSteps;
    int steps = 0;
};

class OperatorStop : public testing::TestWithParam<std::tuple<StationMode, Operation>> {};

TEST_P(OperatorStop, EndsAtTheNextBoundaryWithTheSocketOff) {
    const auto [mode, operation] = GetParam();
    sim::SimulatedStation station;
    Programmer programmer(mode == StationMode::Direct ? platform::kDirectPortFamilyVersion
                                                      : platform::kDriverFamilyVersion,
                          &station.programmer);
    const PromDevice& type = *programmer.FindByName("XC1765E");   // 2048 words with read-back
    station.programmer.InsertBlankPart(type);
    ASSERT_TRUE(programmer.Identify(true));
    const std::vector<uint8_t> image = RandomImage(type.sizeBits / 8, 32);
    std::copy(image.begin(), image.end(), programmer.buffer.get());
    if (operation == Operation::Verify) {
        station.programmer.Part()->contents = image;
    }

    StoppingStatusLine statusLine(programmer, 4);
    uint16_t progress = 0;
    ProgramConflicts conflicts;
    switch (operation) {
    case Operation::Read:
        programmer.ReadPart();
        EXPECT_EQ(programmer.bufferStateText, "Buffer State: XC1765E contents, read stopped by the operator");
        break;
    case Operation::BlankCheck:
        EXPECT_EQ(programmer.BlankCheck(), 0) << "a part not looked at in full is not called blank";
        break;
    case Operation::Verify:
        EXPECT_EQ(programmer.VerifyDevice(&progress, programmer.buffer.get()), 1);
        break;
    case Operation::Program: {
        EXPECT_EQ(programmer.ProgramDevice(&progress, PROGRAM_ARRAY | PROGRAM_RESET_LOW, 0, 0), 1);
        // Only the words before the stop were pulsed, and nothing after it.
        const std::string prefix = "Stopped by the operator. ";
        ASSERT_EQ(programmer.failureText.rfind(prefix, 0), 0u) << programmer.failureText;
        const uint32_t done = std::stoul(programmer.failureText.substr(prefix.size()));
        EXPECT_EQ(programmer.failureText, prefix + std::to_string(done) + " of 2048 words were programmed.");
        EXPECT_GT(done, 0u);
        EXPECT_LT(done, 2048u);
        const std::vector<uint8_t>& contents = station.programmer.Part()->contents;
        EXPECT_TRUE(std::equal(contents.begin(), contents.begin() + done * 4, image.begin()));
        EXPECT_TRUE(std::all_of(contents.begin() + done * 4, contents.end(), [](uint8_t b) { return b == 0xFF; }));
        EXPECT_FALSE(station.programmer.Part()->resetProgrammed);
        break;
    }
    case Operation::PartCheck:
        EXPECT_FALSE(programmer.CheckPartTakesBuffer(conflicts));
        break;
    }
    if (operation != Operation::Program) {
        EXPECT_EQ(programmer.failureText, kStoppedText);
    }
    EXPECT_EQ(programmer.powerMode, POWER_OFF);
    EXPECT_EQ(station.programmer.PowerModeHistory().back(), 1);
}

std::string OperatorStopName(const testing::TestParamInfo<std::tuple<StationMode, Operation>>& info) {
    static const char* const names[] = {"Read", "BlankCheck", "Verify", "Program", "PartCheck"};
    return std::string(std::get<0>(info.param) == StationMode::Direct ? "Direct" : "Driver") +
           names[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(BothModes, OperatorStop,
                         testing::Combine(testing::Values(StationMode::Direct, StationMode::Driver),
                                          testing::Values(Operation::Read, Operation::BlankCheck, Operation::Verify,
                                                          Operation::Program, Operation::PartCheck)),
                         OperatorStopName);

}  // namespace
