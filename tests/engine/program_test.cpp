#include <gtest/gtest.h>

#include <chrono>

#include "link/operator_notice.h"
#include "link/wait_bounds.h"
#include "programming_fixture.h"
#include "recording_port.h"
#include "virtual_time.h"

using namespace port_driver;
using Writes = std::vector<RecordingPort::Access>;

namespace {

// --- ProgramWord's register sequences, against a port that answers from a script.

class ProgramWordSequenceTest : public testing::Test {
protected:
    VirtualTime time;
    RecordingPort port;
    Programmer programmer{platform::kDirectPortFamilyVersion, &port};

    void UseType(const char* name, std::vector<uint8_t> firstWord) {
        programmer.currentDevice = programmer.FindByName(name);
        programmer.ResizeBuffer(programmer.currentDevice->sizeBits / 8);
        std::copy(firstWord.begin(), firstWord.end(), programmer.buffer.get());
        port.log.clear();
    }
    // A pulse as the programmer gives it: starts after one read, runs, ends.
    void ScriptPulse() {
        port.statusScript.push_back(0x80);
        port.statusScript.insert(port.statusScript.end(), 32, 0x00);
        port.statusScript.insert(port.statusScript.end(), 1024, 0x80);
    }
    // The part reads back these word bits (status bit 4).
    void ScriptReadBack(const std::vector<uint8_t>& word) {
        for (uint8_t byte : word) {
            for (int bit = 0; bit < 8; ++bit) {
                port.statusScript.push_back((byte >> bit & 1) ? 0x90 : 0x80);
            }
        }
    }
    static void AppendShift(Writes& writes, const std::vector<uint8_t>& word, uint8_t s) {
        for (uint8_t byte : word) {
            for (int bit = 0; bit < 8; ++bit) {
                const bool one = (byte >> bit & 1) != 0;
                writes.push_back(D(one ? 0xD8 + s : 0xDA + s));
                writes.push_back(D(one ? 0xD9 + s : 0xDB + s));
            }
        }
    }
    static void AppendPulseAndReadBack(Writes& writes, uint32_t wordSize, uint8_t controlAfter) {
        writes.insert(writes.end(), {D(0xD8), D(0x58), D(0xD8), D(0xC8)});
        for (uint32_t k = 0; k < wordSize; ++k) {
            writes.insert(writes.end(), {D(0xC8), D(0xC9)});
        }
        writes.push_back(C(controlAfter));
    }
    size_t Reads() const {
        return std::count_if(port.log.begin(), port.log.end(), [](auto& a) { return a.kind == 'R'; });
    }
};

TEST_F(ProgramWordSequenceTest, ReadBackVariantShiftsPulsesAndReadsBack) {
    const std::vector<uint8_t> word{0xFE, 0xFF, 0xFF, 0x7F};
    UseType("XC17S05", word);   // 32-bit words, code 0xF8
    ScriptPulse();
    ScriptReadBack(word);
    WordProgramFault fault;
    EXPECT_FALSE(programmer.ProgramWord(0, 50, fault));

    Writes expected{C(2), D(0xD8)};
    AppendShift(expected, word, 0);
    AppendPulseAndReadBack(expected, 32, 0);
    expected.push_back(D(0xD9));
    EXPECT_EQ(port.Writes(), expected);
    EXPECT_EQ(Reads(), 1 + 32 + 1024 + 32u);
}

TEST_F(ProgramWordSequenceTest, RetryPulsesAgainWithoutShiftingTheWordIn) {
    const std::vector<uint8_t> word{0x00, 0x11, 0x22, 0x33};
    UseType("XC1765X or XC1765EL", word);   // code 0xFC keeps the control at 2
    ScriptPulse();
    ScriptReadBack({0xFF, 0xFF, 0xFF, 0xFF});
    ScriptPulse();
    ScriptReadBack(word);
    WordProgramFault fault;
    EXPECT_FALSE(programmer.ProgramWord(0, 50, fault));

    Writes expected{C(2), D(0xD8)};
    AppendShift(expected, word, 0);
    AppendPulseAndReadBack(expected, 32, 2);
    AppendPulseAndReadBack(expected, 32, 2);
    expected.push_back(D(0xD9));
    EXPECT_EQ(port.Writes(), expected);
}

TEST_F(ProgramWordSequenceTest, WordFailsAfterThreePulsesWithItsFirstWrongBit) {
    UseType("XC17S05", {0xFF, 0x00, 0xFF, 0xFF});
    for (int attempt = 0; attempt < 3; ++attempt) {
        ScriptPulse();
        ScriptReadBack({0xFF, 0xF0, 0xFF, 0xFF});   // bits 8 to 11 programmed, 12 to 15 not
    }
    WordProgramFault fault;
    EXPECT_TRUE(programmer.ProgramWord(0, 50, fault));
    EXPECT_EQ(fault.pulse, PulseAnswer::Complete);
    EXPECT_EQ(fault.firstDifferingBit, 12u);
    EXPECT_EQ(fault.differingBits, 4u);
    const Writes writes = port.Writes();
    EXPECT_EQ(std::count(writes.begin(), writes.end(), D(0x58)), 3);
    EXPECT_EQ(writes.back(), D(0xD9));
}

TEST_F(ProgramWordSequenceTest, SinglePulseVariantHasNoReadBack) {
    const std::vector<uint8_t> word{0x12, 0x34, 0x56, 0x78};
    UseType("XC1765D", word);   // code 0xFF
    port.statusScript = {0x00};
    WordProgramFault fault;
    EXPECT_FALSE(programmer.ProgramWord(0, 50, fault));

    Writes expected{C(5), D(0xD8)};
    AppendShift(expected, word, 0);
    expected.insert(expected.end(), {D(0xD8), D(0x58), D(0xD8), D(0xD9)});
    EXPECT_EQ(port.Writes(), expected);
    EXPECT_EQ(Reads(), 2u);
}

TEST_F(ProgramWordSequenceTest, ErasedWordGetsNoPulse) {
    UseType("XC1765X or XC1765EL", {});
    WordProgramFault fault;
    EXPECT_FALSE(programmer.ProgramWord(3, 50, fault));
    Writes expected{D(0xC9)};
    for (int k = 0; k < 32; ++k) {
        expected.insert(expected.end(), {D(0xC8), D(0xC9)});
    }
    expected.push_back(D(0xD9));
    EXPECT_EQ(port.Writes(), expected) << "an extended part has its output register clocked through";

    UseType("XC17S05", {});
    EXPECT_FALSE(programmer.ProgramWord(3, 50, fault));
    EXPECT_EQ(port.Writes(), (Writes{D(0xD9)}));
    EXPECT_EQ(Reads(), 0u);
}

TEST_F(ProgramWordSequenceTest, PulseWaitsAreBounded) {
    UseType("XC17S05", {0x00});
    port.idleStatus = 0x80;   // the pulse never starts
    WordProgramFault fault;
    EXPECT_TRUE(programmer.ProgramWord(0, 50, fault));
    EXPECT_EQ(fault.pulse, PulseAnswer::NeverStarted);
    EXPECT_EQ(Reads(), kProgrammingPulseReads);
    const Writes writes = port.Writes();
    EXPECT_EQ(Writes(writes.end() - 3, writes.end()), (Writes{D(0x58), D(0xD8), D(0xD9)}));

    UseType("XC1765D", {0x00});
    port.idleStatus = 0x00;   // the pulse never ends
    EXPECT_TRUE(programmer.ProgramWord(0, 50, fault));
    EXPECT_EQ(fault.pulse, PulseAnswer::NeverEnded);
    EXPECT_EQ(Reads(), 1 + kProgrammingPulseReads);
}

// --- ProgramDevice against the simulated programmer, directly and through the port driver.

using ProgramOnStation = SimulatedStationTest;

TEST_P(ProgramOnStation, RandomImagesProgramAndVerify) {
    // Each word size, parts with and without read-back, serial and extended parts.
    for (const char* name : {"XC1765D", "XC1765L", "XC17S05", "XC17128D", "XC17S10",
                             "XC1765X or XC1765EL", "XC17128X or XC17128EL"}) {
        SCOPED_TRACE(name);
        sim::SimulatedProm& part = InsertAndIdentify(name);
        const std::vector<uint8_t> image = RandomImage(part.contents.size(), 11);
        LoadBuffer(image);
        uint16_t progress = 0;
        EXPECT_EQ(programmer.ProgramDevice(&progress, PROGRAM_ARRAY, 0, 0), 0) << programmer.failureText;
        EXPECT_EQ(progress, 100);
        EXPECT_EQ(programmer.failureText, "");
        EXPECT_TRUE(PartContents() == image);
        EXPECT_EQ(programmer.powerMode, POWER_OFF);
    }
}

TEST_P(ProgramOnStation, LargestPartProgramsAndVerifies) {
    sim::SimulatedProm& part = InsertAndIdentify("XC17V16");
    const std::vector<uint8_t> image = RandomImage(part.contents.size(), 12);
    LoadBuffer(image);
    RecordingStatusLine statusLine;
    uint16_t progress = 0;
    EXPECT_EQ(programmer.ProgramDevice(&progress, PROGRAM_ARRAY, 0, 0), 0) << programmer.failureText;
    EXPECT_EQ(progress, 100);
    EXPECT_TRUE(PartContents() == image);
    ASSERT_GE(statusLine.texts.size(), 3u);
    EXPECT_EQ(statusLine.texts[0], "Power On - Programming");
    EXPECT_EQ(statusLine.texts[1], "Programming");
    EXPECT_TRUE(statusLine.Shows("Power Off - Programming"));
    EXPECT_TRUE(statusLine.Shows("Part Verify"));
    // Word by word the line moves every 100 words, by driver once per chunk.
    EXPECT_EQ(statusLine.Count("Programming: 100% complete"), Direct() ? 0u : 1u);
    EXPECT_TRUE(statusLine.Shows("Programming: 99% complete") || !Direct());
}

TEST_P(ProgramOnStation, WeakWordsTakeMorePulses) {
    sim::SimulatedProm& part = InsertAndIdentify("XC17S05");
    part.weakWords = {{3, 2}, {7, 3}};
    station.programmer.InsertPart(sim::SimulatedProm(part));
    const std::vector<uint8_t> image(part.contents.size(), 0x5A);
    LoadBuffer(image);
    const uint64_t pulsesBefore = station.programmer.PulsesGiven();
    uint16_t progress = 0;
    EXPECT_EQ(programmer.ProgramDevice(&progress, PROGRAM_ARRAY, 0, 0), 0) << programmer.failureText;
    EXPECT_TRUE(PartContents() == image);
    EXPECT_EQ(station.programmer.PulsesGiven() - pulsesBefore, 2048u + 1 + 2);
}

TEST_P(ProgramOnStation, DeadBitFailsItsWordAndNothingAfterIt) {
    sim::SimulatedProm& part = InsertAndIdentify("XC17S05");
    part.deadBits = {0x1A * 32 + 3};
    station.programmer.InsertPart(sim::SimulatedProm(part));
    std::vector<uint8_t> image = RandomImage(part.contents.size(), 13);
    image[0x1A * 4] &= 0xF7;   // the dead bit is to be programmed
    LoadBuffer(image);
    uint16_t progress = 0;
    EXPECT_EQ(programmer.ProgramDevice(&progress, PROGRAM_ARRAY, 0, 0), 1);
    EXPECT_EQ(programmer.failureText, Direct() ? "Write Word Failed; 1a\n3, 1" : "Device Failed To Program");
    const std::vector<uint8_t>& contents = PartContents();
    EXPECT_TRUE(std::equal(image.begin(), image.begin() + 0x1A * 4, contents.begin()));
    EXPECT_TRUE(std::all_of(contents.begin() + 0x1B * 4, contents.end(), [](uint8_t b) { return b == 0xFF; }));
    EXPECT_EQ(programmer.powerMode, POWER_OFF);
    EXPECT_EQ(station.programmer.PowerModeHistory().back(), 1);
}

TEST_P(ProgramOnStation, DeadBitWithoutReadBackShowsInTheVerify) {
    sim::SimulatedProm& part = InsertAndIdentify("XC1765D");
    part.deadBits = {100 * 8 + 5};
    station.programmer.InsertPart(sim::SimulatedProm(part));
    LoadBuffer(std::vector<uint8_t>(part.contents.size(), 0x00));
    uint16_t progress = 0;
    EXPECT_EQ(programmer.ProgramDevice(&progress, PROGRAM_ARRAY, 0, 0), 1);
    EXPECT_EQ(progress, 100) << "the array stage itself saw nothing wrong";
    EXPECT_EQ(programmer.failureText, Direct() ? "Failed Margin Verify at bit location 805 "
                                               : "Failed Margin Verify in the data word beginning at byte location 64 ");
}

TEST_P(ProgramOnStation, RangeProgramsOnlyItsWords) {
    InsertAndIdentify("XC17S05");   // 2048 words of 4 bytes
    std::vector<uint8_t> image(8192, 0xFF);
    const std::vector<uint8_t> words = RandomImage(11 * 4, 14);
    std::copy(words.begin(), words.end(), image.begin() + 10 * 4);
    LoadBuffer(image);
    uint16_t progress = 0;
    EXPECT_EQ(programmer.ProgramDevice(&progress, PROGRAM_ARRAY | PROGRAM_RANGE, 10, 20), 0)
        << programmer.failureText;
    EXPECT_EQ(progress, 100);
    EXPECT_TRUE(PartContents() == image);

    // One word: no division by an empty span.
    InsertAndIdentify("XC17S05");
    LoadBuffer(image);
    EXPECT_EQ(programmer.ProgramDevice(&progress, PROGRAM_ARRAY | PROGRAM_RANGE, 12, 12), 1);
    EXPECT_EQ(progress, 100);
    EXPECT_TRUE(std::equal(PartContents().begin() + 48, PartContents().begin() + 52, image.begin() + 48));
    EXPECT_EQ(PartContents()[40], 0xFF);
    EXPECT_EQ(PartContents()[52], 0xFF);
}

TEST_P(ProgramOnStation, RangeMustLieBelowTheLastWord) {
    InsertAndIdentify("XC17S05");
    LoadBuffer(RandomImage(8192, 15));
    for (auto [start, end] : {std::pair{2047u, 10u}, {10u, 2047u}, {20u, 10u}}) {
        programmer.failureText.clear();
        uint16_t progress = 0;
        EXPECT_EQ(programmer.ProgramDevice(&progress, PROGRAM_ARRAY | PROGRAM_RANGE, start, end), 1);
        EXPECT_EQ(programmer.failureText, "Start Address Out of Range");
        EXPECT_EQ(progress, 0);
        EXPECT_EQ(programmer.powerMode, POWER_OFF);
    }
    EXPECT_EQ(station.programmer.PulsesGiven(), 0u);
}

TEST_P(ProgramOnStation, PulseThatNeverEndsFailsInBoundedTime) {
    InsertAndIdentify("XC17S05");
    LoadBuffer(RandomImage(8192, 16));
    station.programmer.SetFault(sim::ProgrammerFault::EndlessPulse);
    const auto start = std::chrono::steady_clock::now();
    uint16_t progress = 0;
    EXPECT_EQ(programmer.ProgramDevice(&progress, PROGRAM_ARRAY, 0, 0), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(programmer.failureText,
              Direct() ? "Write Word Failed; 0\nProgramming pulse did not end" : "Device Failed To Program");
    EXPECT_EQ(progress, 0);
    EXPECT_EQ(programmer.powerMode, POWER_OFF);
    EXPECT_EQ(station.programmer.PowerModeHistory().back(), 1);
}

TEST_P(ProgramOnStation, PulseThatNeverStartsFailsTheWord) {
    InsertAndIdentify("XC1765D");
    LoadBuffer(RandomImage(8192, 17));
    station.programmer.SetFault(sim::ProgrammerFault::NoPulseAnswer);
    uint16_t progress = 0;
    EXPECT_EQ(programmer.ProgramDevice(&progress, PROGRAM_ARRAY, 0, 0), 1);
    EXPECT_EQ(programmer.failureText, Direct() ? "Write Word Failed; 0\nNo programming pulse from the programmer"
                                               : "Device Failed To Program");
    EXPECT_EQ(station.programmer.PowerModeHistory().back(), 1);
}

TEST_P(ProgramOnStation, PartLargerThanTheBufferIsLeftErasedBeyondIt) {
    InsertAndIdentify("XC1765D");
    const std::vector<uint8_t> image = RandomImage(8192, 18);
    LoadBuffer(image);
    station.programmer.InsertBlankPart(*programmer.FindByName("XC17128D"));
    ASSERT_TRUE(programmer.Identify(false));
    uint16_t progress = 0;
    EXPECT_EQ(programmer.ProgramDevice(&progress, PROGRAM_ARRAY, 0, 0), 0) << programmer.failureText;
    EXPECT_TRUE(std::equal(image.begin(), image.end(), PartContents().begin()));
    EXPECT_TRUE(std::all_of(PartContents().begin() + 8192, PartContents().end(), [](uint8_t b) { return b == 0xFF; }));
}

TEST_P(ProgramOnStation, NothingHappensWithoutPartTypeOrBuffer) {
    InsertAndIdentify("XC1765D");
    const uint64_t accesses = station.programmer.RegisterAccesses();
    uint16_t progress = 55;
    programmer.buffer.reset();
    programmer.bufferLength = 0;
    EXPECT_EQ(programmer.ProgramDevice(&progress, PROGRAM_ARRAY, 0, 0), 0);
    EXPECT_EQ(progress, 0);
    programmer.currentDevice = nullptr;
    programmer.ResizeBuffer(8192);
    EXPECT_EQ(programmer.ProgramDevice(&progress, PROGRAM_ARRAY, 0, 0), 0);
    EXPECT_EQ(station.programmer.RegisterAccesses(), accesses);
}

INSTANTIATE_TEST_SUITE_P(BothModes, ProgramOnStation,
                         testing::Values(StationMode::Direct, StationMode::Driver), StationModeName);

// --- The chunk requests, seen by a driver that records them.

class ProgramOverDriverTest : public testing::Test {
protected:
    VirtualTime time;
    RecordingDriver driver;
    Programmer programmer{platform::kDriverFamilyVersion};

    void UseType(const char* name) {
        programmer.currentDevice = programmer.FindByName(name);
        programmer.ResizeBuffer(programmer.currentDevice->sizeBits / 8);
        const std::vector<uint8_t> image = RandomImage(programmer.bufferLength, 19);
        std::copy(image.begin(), image.end(), programmer.buffer.get());
    }
};

TEST_F(ProgramOverDriverTest, SmallestPartGoesInThirtyFourChunks) {
    UseType("XC1718L");
    RecordingStatusLine statusLine;
    uint16_t progress = 0;
    EXPECT_EQ(programmer.ProgramDevice(&progress, PROGRAM_ARRAY, 0, 0), 0);
    EXPECT_EQ(progress, 100);
    const auto chunks = driver.Chunks(kProgramChunk);
    ASSERT_EQ(chunks.size(), 34u);
    uint32_t offset = 0;
    for (const auto& chunk : chunks) {
        EXPECT_EQ(chunk.inSize, 2268u + 12);
        EXPECT_EQ(chunk.outSize, 4194304u);
        EXPECT_EQ(Get16(&chunk.header[4]), 33);   // read supply
        EXPECT_EQ(Get16(&chunk.header[6]), 3);
        EXPECT_EQ(chunk.header[8], 0);            // programmed at 5 V
        EXPECT_EQ(chunk.header[10], 32);          // word size
        EXPECT_EQ(chunk.header[11], 0xCE);        // device code
        EXPECT_TRUE(std::equal(chunk.data.begin(), chunk.data.end(), programmer.buffer.get() + offset));
        offset += static_cast<uint32_t>(chunk.data.size());
    }
    EXPECT_EQ(chunks[0].Argument(), 17u);
    EXPECT_EQ(chunks[33].Argument(), 6u);
    EXPECT_EQ(offset, 2268u);
    EXPECT_EQ(statusLine.Count("Programming: 100% complete"), 1u);
    EXPECT_EQ(driver.Chunks(kVerifyChunk).size(), 34u) << "the verify follows";
}

TEST_F(ProgramOverDriverTest, LargestPartGoesInThirtyTwoChunks) {
    UseType("XC17V16");
    uint16_t progress = 0;
    EXPECT_EQ(programmer.ProgramDevice(&progress, PROGRAM_ARRAY, 0, 0), 0);
    const auto chunks = driver.Chunks(kProgramChunk);
    ASSERT_EQ(chunks.size(), 32u);
    for (const auto& chunk : chunks) {
        EXPECT_EQ(chunk.Argument(), 4096u);
        EXPECT_EQ(chunk.data.size(), 65536u);
        EXPECT_EQ(chunk.inSize, 2097152u + 12);
        EXPECT_EQ(chunk.header[8], 4);
        EXPECT_EQ(chunk.header[10], 128);
        EXPECT_EQ(chunk.header[11], 0x7C);
    }
}

TEST_F(ProgramOverDriverTest, FailedRequestEndsTheChunks) {
    UseType("XC1765D");
    driver.answerChunks = false;
    uint16_t progress = 0;
    EXPECT_EQ(programmer.ProgramDevice(&progress, PROGRAM_ARRAY, 0, 0), 1);
    EXPECT_EQ(progress, 0);
    EXPECT_EQ(driver.Chunks(kProgramChunk).size(), 1u);
    EXPECT_EQ(programmer.failureText, "Margin Verify got no answer from the port driver at byte location 0 ");
}

TEST(ProgramWithoutDriverTest, NothingIsSentAndProgressStaysZero) {
    VirtualTime time;
    SetWarningHook([](const std::string&, const std::string&) {});
    Programmer programmer(platform::kDriverFamilyVersion);
    SetWarningHook({});
    programmer.currentDevice = programmer.FindByName("XC1765D");
    programmer.ResizeBuffer(8192);
    uint16_t progress = 0;
    EXPECT_EQ(programmer.ProgramDevice(&progress, PROGRAM_ARRAY, 0, 0), 0);
    EXPECT_EQ(progress, 0);
}

}  // namespace
