// Every catalogue type, in both modes, through every operation against the strict simulator:
// blank, program with every option bit it has, verify, read back, blank again.
#include <gtest/gtest.h>

#include <tuple>

#include "programming_fixture.h"

namespace {

class EveryTypeEndToEnd : public testing::TestWithParam<std::tuple<StationMode, size_t>> {};

// Random words at both ends of the array, erased between: every path runs over the whole
// part while pulses stay few.
std::vector<uint8_t> EndsImage(const PromDevice& type, uint32_t seed) {
    std::vector<uint8_t> image(type.sizeBits / 8, 0xFF);
    const size_t span = std::min<size_t>(image.size() / 2, 64 * type.wordSize / 8);
    const std::vector<uint8_t> random = RandomImage(2 * span, seed);
    std::copy(random.begin(), random.begin() + span, image.begin());
    std::copy(random.begin() + span, random.end(), image.end() - span);
    return image;
}

TEST_P(EveryTypeEndToEnd, ProgramsVerifiesAndReadsBack) {
    const auto [mode, index] = GetParam();
    sim::SimulatedStation station;
    Programmer programmer(mode == StationMode::Direct ? platform::kDirectPortFamilyVersion
                                                      : platform::kDriverFamilyVersion,
                          &station.programmer);
    const PromDevice& type = programmer.GetAt(index);
#if defined(__SANITIZE_ADDRESS__)
    // Ten times slower under the sanitizers; the largest parts have tests of their own.
    if (type.sizeBits >= 8388608) {
        GTEST_SKIP() << type.name << " is left to its own tests in a sanitizer build";
    }
#endif
    station.programmer.InsertBlankPart(type);
    ASSERT_TRUE(programmer.Identify(true));
    ASSERT_EQ(programmer.currentDevice, &type);
    EXPECT_EQ(programmer.BlankCheck(), 1);

    const std::vector<uint8_t> image = EndsImage(type, static_cast<uint32_t>(index));
    std::copy(image.begin(), image.end(), programmer.buffer.get());
    uint32_t options = PROGRAM_ARRAY | PROGRAM_RESET_LOW;
    if (IsExtended(type)) {
        options |= PROGRAM_EXPRESS_PARALLEL | PROGRAM_BUSY_PULLDOWN;
    }
    uint16_t progress = 0;
    ASSERT_EQ(programmer.ProgramDevice(&progress, options, 0, 0), 0) << programmer.failureText;
    EXPECT_EQ(progress, 100);
    const sim::SimulatedProm& part = *station.programmer.Part();
    EXPECT_TRUE(part.contents == image);
    EXPECT_TRUE(part.resetProgrammed);
    EXPECT_EQ(part.expressProgrammed, IsExtended(type));
    EXPECT_EQ(part.busyProgrammed, IsExtended(type));
    const sim::RefusedPulses& refused = station.programmer.Refused();
    EXPECT_EQ(refused.overVoltage + refused.underVoltage + refused.wrongProfile + refused.disturbed +
                  refused.releasedEarly,
              0u);

    std::fill_n(programmer.buffer.get(), programmer.bufferLength, 0x00);
    programmer.ReadPart();
    EXPECT_TRUE(std::equal(image.begin(), image.end(), programmer.buffer.get()));
    EXPECT_EQ(programmer.BlankCheck(), 0);
    EXPECT_EQ(station.programmer.PowerModeHistory().back(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    AllTypes, EveryTypeEndToEnd,
    testing::Combine(testing::Values(StationMode::Direct, StationMode::Driver), testing::Range<size_t>(0, 46)),
    [](const auto& info) {
        return std::string(std::get<0>(info.param) == StationMode::Direct ? "Direct" : "Driver") + "_" +
               std::to_string(std::get<1>(info.param));
    });

}  // namespace
