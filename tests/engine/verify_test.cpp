#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "link/operator_notice.h"
#include "programming_fixture.h"
#include "recording_port.h"
#include "virtual_time.h"

using namespace port_driver;

namespace {

TEST(VerifyTest, WithoutCurrentDeviceNothingIsTouched) {
    VirtualTime time;
    RecordingPort port;
    Programmer programmer(platform::kDirectPortFamilyVersion, &port);
    port.log.clear();
    programmer.failureText = "left from before";
    uint16_t progress = 55;
    EXPECT_EQ(programmer.VerifyDevice(&progress, nullptr), 0);
    EXPECT_EQ(progress, 0);
    EXPECT_EQ(programmer.failureText, "");
    EXPECT_TRUE(port.log.empty());
}

TEST(VerifyTest, SerialPathFailsWhenChipEnableStaysHigh) {
    VirtualTime time;
    RecordingPort port;   // every status read gives 0xFF: all data bits 1 and /CEO high
    Programmer programmer(platform::kDirectPortFamilyVersion, &port);
    programmer.currentDevice = programmer.FindByName("XC1718D");
    programmer.ResizeBuffer(2268);
    uint16_t progress = 0;
    EXPECT_EQ(programmer.VerifyDevice(&progress, programmer.buffer.get()), 1);
    EXPECT_EQ(programmer.failureText, "/CEO did not go Low after successful Margin Verify Part Compare");
    EXPECT_EQ(progress, 100);
    EXPECT_EQ(programmer.powerMode, POWER_OFF);
}

using VerifyOnStation = SimulatedStationTest;

TEST_P(VerifyOnStation, EqualPartsPassWithFullProgress) {
    // Read mode (serial) and programming mode (word by word).
    for (const char* name : {"XC1765D", "XC1765X or XC1765EL"}) {
        SCOPED_TRACE(name);
        sim::SimulatedProm& part = InsertAndIdentify(name);
        const std::vector<uint8_t> image = RandomImage(part.contents.size(), 7);
        part.contents = image;
        LoadBuffer(image);
        programmer.failureText = "left from before";
        RecordingStatusLine statusLine;
        uint16_t progress = 0;
        EXPECT_EQ(programmer.VerifyDevice(&progress, programmer.buffer.get()), 0);
        EXPECT_EQ(progress, 100);
        EXPECT_EQ(programmer.failureText, "");
        EXPECT_EQ(programmer.powerMode, POWER_OFF);
        EXPECT_EQ(station.programmer.PowerModeHistory().back(), 1);
        ASSERT_GE(statusLine.texts.size(), 5u);
        EXPECT_EQ(statusLine.texts[0], "Power On - Part Verify");
        EXPECT_EQ(statusLine.texts[1], "Part Verify");
        EXPECT_THAT(statusLine.texts[2], testing::MatchesRegex("Part Verify: [0-9]+% complete"));
        EXPECT_EQ(statusLine.texts.end()[-2], "Power Off - Part Verify");
        EXPECT_EQ(statusLine.texts.back(), "(hidden)");
    }
}

TEST_P(VerifyOnStation, WordPathNamesTheFirstDifference) {
    sim::SimulatedProm& part = InsertAndIdentify("XC1765X or XC1765EL");   // 4-byte words
    const std::vector<uint8_t> image = RandomImage(part.contents.size(), 8);
    part.contents = image;
    LoadBuffer(image);
    uint16_t progress = 0;

    programmer.buffer[0] ^= 0x01;
    EXPECT_EQ(programmer.VerifyDevice(&progress, programmer.buffer.get()), 1);
    EXPECT_EQ(programmer.failureText, Direct() ? "Failed Margin Verify at byte location 0 "
                                               : "Failed Margin Verify in the data word beginning at byte location 0 ");
    // Direct mode ends the pass it failed in as if it were the last one.
    EXPECT_EQ(progress, Direct() ? 100 : 0);
    programmer.buffer[0] ^= 0x01;

    programmer.buffer[0x1235] ^= 0x40;
    EXPECT_EQ(programmer.VerifyDevice(&progress, programmer.buffer.get()), 1);
    // The driver names the word, direct mode the byte.
    EXPECT_EQ(programmer.failureText, Direct() ? "Failed Margin Verify at byte location 1235 "
                                               : "Failed Margin Verify in the data word beginning at byte location 1234 ");
    EXPECT_EQ(programmer.powerMode, POWER_OFF);
}

TEST_P(VerifyOnStation, SerialPathNamesTheFirstDifferingBit) {
    InsertAndIdentify("XC1765D").contents[0x123] = 0xF3;   // bits 2 and 3 programmed
    uint16_t progress = 0;
    EXPECT_EQ(programmer.VerifyDevice(&progress, programmer.buffer.get()), 1);
    EXPECT_EQ(programmer.failureText, Direct() ? "Failed Margin Verify at bit location 2330 "
                                               : "Failed Margin Verify in the data word beginning at byte location 123 ");
    EXPECT_EQ(programmer.powerMode, POWER_OFF);
}

TEST_P(VerifyOnStation, PartLargerThanTheBufferMustBeErasedBeyondIt) {
    // The program command re-identifies without resizing the buffer, so a bigger type may
    // become current than the buffer was made for.
    InsertAndIdentify("XC1765D");
    const std::vector<uint8_t> image = RandomImage(8192, 9);
    LoadBuffer(image);
    sim::SimulatedProm bigger;
    bigger.type = *programmer.FindByName("XC17128D");   // 16384 bytes
    bigger.contents.assign(16384, 0xFF);
    std::copy(image.begin(), image.end(), bigger.contents.begin());
    station.programmer.InsertPart(bigger);
    ASSERT_TRUE(programmer.Identify(false));
    ASSERT_EQ(programmer.currentDevice->name, "XC17128D");
    ASSERT_EQ(programmer.bufferLength, 8192u);

    uint16_t progress = 0;
    EXPECT_EQ(programmer.VerifyDevice(&progress, programmer.buffer.get()), 0) << programmer.failureText;
    EXPECT_EQ(progress, 100);

    station.programmer.Part()->contents[10000] = 0x7F;
    EXPECT_EQ(programmer.VerifyDevice(&progress, programmer.buffer.get()), 1);
    EXPECT_EQ(programmer.failureText, Direct() ? "Failed Margin Verify at bit location 80007 "
                                               : "Failed Margin Verify in the data word beginning at byte location 2710 ");
}

INSTANTIATE_TEST_SUITE_P(BothModes, VerifyOnStation,
                         testing::Values(StationMode::Direct, StationMode::Driver), StationModeName);

TEST(VerifyOnStationTest, ChipEnableStillHighFailsAnEqualPart) {
    // A bigger part behind a smaller type: the compared bytes match but /CEO never falls.
    sim::SimulatedStation station;
    Programmer programmer(platform::kDirectPortFamilyVersion, &station.programmer);
    station.programmer.InsertBlankPart(*programmer.FindByName("XC17128D"));
    programmer.currentDevice = programmer.FindByName("XC1765D");
    programmer.ResizeBuffer(8192);
    uint16_t progress = 0;
    EXPECT_EQ(programmer.VerifyDevice(&progress, programmer.buffer.get()), 1);
    EXPECT_EQ(programmer.failureText, "/CEO did not go Low after successful Margin Verify Part Compare");
}

class VerifyOverDriverTest : public testing::Test {
protected:
    VirtualTime time;
    RecordingDriver driver;
    Programmer programmer{platform::kDriverFamilyVersion};

    void UseType(const char* name) {
        programmer.currentDevice = programmer.FindByName(name);
        programmer.ResizeBuffer(programmer.currentDevice->sizeBits / 8);
        const std::vector<uint8_t> image = RandomImage(programmer.bufferLength, 10);
        std::copy(image.begin(), image.end(), programmer.buffer.get());
    }
};

TEST_F(VerifyOverDriverTest, LargestPartGoesInThirtyTwoChunks) {
    UseType("XC17V16");
    uint16_t progress = 0;
    EXPECT_EQ(programmer.VerifyDevice(&progress, programmer.buffer.get()), 0);
    EXPECT_EQ(progress, 100);
    const auto chunks = driver.Chunks(kVerifyChunk);
    ASSERT_EQ(chunks.size(), 32u);
    for (size_t i = 0; i < chunks.size(); ++i) {
        EXPECT_EQ(chunks[i].Argument(), 65536u);
        EXPECT_EQ(chunks[i].inSize, 2097152u + 10);
        EXPECT_EQ(chunks[i].outSize, 4194304u);
        EXPECT_EQ(Get16(&chunks[i].header[4]), 33);   // read supply
        EXPECT_EQ(Get16(&chunks[i].header[6]), 3);    // word by word in programming mode
        EXPECT_EQ(chunks[i].header[8], 4);            // S
        EXPECT_EQ(chunks[i].header[9], 1);            // reset polarity
        EXPECT_TRUE(std::equal(chunks[i].data.begin(), chunks[i].data.end(), programmer.buffer.get() + i * 65536));
    }
}

TEST_F(VerifyOverDriverTest, SmallestPartGoesInThirtyFourChunks) {
    UseType("XC1718L");
    programmer.resetPolarity = 0;
    uint16_t progress = 0;
    EXPECT_EQ(programmer.VerifyDevice(&progress, programmer.buffer.get()), 0);
    const auto chunks = driver.Chunks(kVerifyChunk);
    ASSERT_EQ(chunks.size(), 34u);
    EXPECT_EQ(chunks[0].Argument(), 68u);
    EXPECT_EQ(chunks[33].Argument(), 24u);
    EXPECT_EQ(chunks[33].inSize, 2268u + 10);
    EXPECT_EQ(Get16(&chunks[0].header[6]), 2);   // serially in read mode
    EXPECT_EQ(chunks[0].header[8], 0);
    EXPECT_EQ(chunks[0].header[9], 0);
    EXPECT_TRUE(std::equal(chunks[33].data.begin(), chunks[33].data.end(), programmer.buffer.get() + 2244));
}

TEST_F(VerifyOverDriverTest, UnansweredChunkFailsTheVerify) {
    UseType("XC1765D");
    driver.answerChunks = false;
    uint16_t progress = 0;
    EXPECT_EQ(programmer.VerifyDevice(&progress, programmer.buffer.get()), 1);
    EXPECT_EQ(programmer.failureText, "Margin Verify got no answer from the port driver at byte location 0 ");
    EXPECT_EQ(driver.Chunks(kVerifyChunk).size(), 1u);
    EXPECT_EQ(progress, 0);
}

TEST(VerifyWithoutDriverTest, NothingIsSentAndProgressStaysZero) {
    VirtualTime time;
    SetWarningHook([](const std::string&, const std::string&) {});
    Programmer programmer(platform::kDriverFamilyVersion);
    SetWarningHook({});
    programmer.currentDevice = programmer.FindByName("XC1765D");
    programmer.ResizeBuffer(8192);
    uint16_t progress = 0;
    EXPECT_EQ(programmer.VerifyDevice(&progress, programmer.buffer.get()), 0);
    EXPECT_EQ(progress, 0);
}

}  // namespace
