// Exact register sequences of the identification, option, array and programming requests.
#include <gtest/gtest.h>

#include <algorithm>

#include "driver/program_chunk.h"
#include "driver_harness.h"

namespace {

using namespace port_driver;

constexpr uint8_t kBitOne = 0x90;    // PROM output 1, no pulse running
constexpr uint8_t kBitZero = 0x80;   // PROM output 0, no pulse running

// Status reads that present `value` most significant bit first.
std::vector<uint8_t> MsbFirst(uint8_t value) {
    std::vector<uint8_t> statuses;
    for (int bit = 7; bit >= 0; --bit) {
        statuses.push_back(value >> bit & 1 ? kBitOne : kBitZero);
    }
    return statuses;
}

// Status reads that present the bytes bit 0 first.
std::vector<uint8_t> LsbFirst(const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> statuses;
    for (uint8_t value : bytes) {
        for (int bit = 0; bit < 8; ++bit) {
            statuses.push_back(value >> bit & 1 ? kBitOne : kBitZero);
        }
    }
    return statuses;
}

void Script(RecordingPort& port, const std::vector<uint8_t>& statuses) {
    port.statusScript.insert(port.statusScript.end(), statuses.begin(), statuses.end());
}

// A pulse the programmer answers at once: 32 reads low, then high.
std::vector<uint8_t> GoodPulse() {
    std::vector<uint8_t> statuses(1 + 32 + 1024, 0x80);
    std::fill_n(statuses.begin() + 1, 32, uint8_t{0x00});
    return statuses;
}

size_t Count(const AccessList& log, RecordingPort::Access access) {
    return static_cast<size_t>(std::count(log.begin(), log.end(), access));
}

// Teaches the driver the part in the socket by an identification read answering 0xC9.
void Identify(DriverHarness& driver, uint8_t deviceCode) {
    Script(driver.port, MsbFirst(0xC9));
    Script(driver.port, MsbFirst(deviceCode));
    ASSERT_TRUE(driver.Send(kIdentifierRead, CommandPacket(0, 50, 3, 0, 1), kSmallOutputSize));
    driver.port.log.clear();
}

TEST(PortDriverSequences, IdentifierReadClocksThenShiftsOutBothCodes) {
    DriverHarness driver;
    Script(driver.port, MsbFirst(0xC9));
    Script(driver.port, MsbFirst(0xCE));
    ASSERT_TRUE(driver.Send(kIdentifierRead, CommandPacket(2, 50, 3, 4, 1), kSmallOutputSize));

    AccessList expected = ProgrammingModeClock(4);
    Append(expected, ProgrammingModeClock(4));
    Append(expected, {D(0xDC), D(0xCC), S()});
    for (int bit = 0; bit < 15; ++bit) {
        Append(expected, {D(0xCC), D(0xCC), D(0xCD), S()});
    }
    EXPECT_EQ(driver.port.log, expected);
    EXPECT_EQ(Get16(driver.buffer.data()), 0xC9);
    EXPECT_EQ(Get16(driver.buffer.data() + 2), 0xCE);
    EXPECT_GT(driver.returned, 0u);
    EXPECT_GE(driver.clock.NowMicroseconds(), 1000u);   // the 1 ms settling wait
}

TEST(PortDriverSequences, OptionReadAnswersOneForAnUnprogrammedBit) {
    DriverHarness driver;
    driver.port.statusScript = {0x00};
    ASSERT_TRUE(driver.Send(kOptionBitRead, CommandPacket(1, 33, 3, 4, 1), kSmallOutputSize));
    AccessList expected = {D(0xDD), D(0xD5)};
    Append(expected, ProgrammingModeClock(4));
    Append(expected, {D(0xDD), D(0xCD), S(), D(0xDD)});
    EXPECT_EQ(driver.port.log, expected);
    EXPECT_EQ(driver.buffer[0], 1);

    driver.port.statusScript = {0x20};
    ASSERT_TRUE(driver.Send(kOptionBitRead, CommandPacket(1, 33, 3, 4, 1), kSmallOutputSize));
    EXPECT_EQ(driver.buffer[0], 0);
}

TEST(PortDriverSequences, SerialReadPieceSamplesThenClocksEachBit) {
    DriverHarness driver;
    Script(driver.port, {kBitOne, kBitZero, kBitZero, kBitZero, kBitZero, kBitZero, kBitZero, kBitZero});
    Script(driver.port, LsbFirst({0xA5}));
    ASSERT_TRUE(driver.Send(kReadChunk, CommandPacket(2, 33, 2, 4, 0), kRequestBufferSize, 4096));

    AccessList expected;
    for (int bit = 0; bit < 16; ++bit) {
        Append(expected, {S(), D(0xED), D(0xEC)});
    }
    EXPECT_EQ(driver.port.log, expected);
    EXPECT_EQ(driver.returned, 2u);
    EXPECT_EQ(driver.buffer[0], 0x01);   // the first bit delivered is bit 0
    EXPECT_EQ(driver.buffer[1], 0xA5);
    // A 4 MiB output size does not mean 4 MiB may be written.
    EXPECT_TRUE(std::all_of(driver.buffer.begin() + 10, driver.buffer.end(), [](uint8_t b) { return b == 0xEE; }));
}

TEST(PortDriverSequences, WordReadPieceNeedsAKnownExtendedPart) {
    DriverHarness driver;
    EXPECT_FALSE(driver.Send(kReadChunk, CommandPacket(8, 33, 3, 0, 1), kRequestBufferSize));
    Identify(driver, 0xCE);   // a part that is read serially
    EXPECT_FALSE(driver.Send(kReadChunk, CommandPacket(8, 33, 3, 0, 1), kRequestBufferSize));
    EXPECT_FALSE(driver.Send(kBlankCheck, CommandPacket(8, 33, 3, 0, 1), kSmallOutputSize));
    EXPECT_TRUE(driver.port.log.empty());
}

TEST(PortDriverSequences, WordReadPieceShiftsOutEachWordThenClocksTheAddress) {
    DriverHarness driver;
    Identify(driver, 0xFC);   // 32-bit words
    const std::vector<uint8_t> words = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0};
    Script(driver.port, LsbFirst(words));
    ASSERT_TRUE(driver.Send(kReadChunk, CommandPacket(8, 33, 3, 0, 1), kRequestBufferSize));

    AccessList oneWord = {D(0xC8)};
    for (int bit = 0; bit < 32; ++bit) {
        Append(oneWord, {D(0xC8), S(), D(0xC9)});
    }
    Append(oneWord, {D(0xD9)});
    Append(oneWord, ProgrammingModeClock(0));
    AccessList expected = oneWord;
    Append(expected, oneWord);
    EXPECT_EQ(driver.port.log, expected);
    EXPECT_EQ(std::vector<uint8_t>(driver.buffer.begin(), driver.buffer.begin() + 8), words);
}

TEST(PortDriverSequences, WordBlankCheckStopsAtTheFirstByteThatIsNotErased) {
    DriverHarness driver;
    Identify(driver, 0xFC);
    Script(driver.port, LsbFirst({0xFF, 0xFE}));
    ASSERT_TRUE(driver.Send(kBlankCheck, CommandPacket(8, 33, 3, 0, 1), kSmallOutputSize));
    EXPECT_EQ(driver.buffer[0], 0);

    AccessList expected = {D(0xC8)};
    for (int bit = 0; bit < 16; ++bit) {
        Append(expected, {S(), D(0xC8), D(0xC9)});
    }
    EXPECT_EQ(driver.port.log, expected);

    driver.port.idleStatus = kBitOne;
    ASSERT_TRUE(driver.Send(kBlankCheck, CommandPacket(8, 33, 3, 0, 1), kSmallOutputSize));
    EXPECT_EQ(driver.buffer[0], 1);
    ASSERT_TRUE(driver.Send(kBlankCheck, CommandPacket(8, 50, 2, 0, 1), kSmallOutputSize));
    EXPECT_EQ(driver.buffer[0], 1);
}

TEST(PortDriverSequences, VerifyAnswersTheOffsetOfTheFailingWordOrByte) {
    DriverHarness driver;
    Identify(driver, 0xFC);
    const std::vector<uint8_t> expectedData = {1, 2, 3, 4, 5, 6, 7, 8};
    Script(driver.port, LsbFirst({1, 2, 3, 4, 5, 0x66}));
    ASSERT_TRUE(driver.Send(kVerifyChunk, CommandPacket(8, 33, 3, 0, 1, expectedData), kRequestBufferSize));
    EXPECT_EQ(driver.AnswerField(), 4u);   // the word that starts at byte 4
    // The failing word is left the way a finished one is.
    AccessList tail = {D(0xD9)};
    Append(tail, ProgrammingModeClock(0));
    ASSERT_GE(driver.port.log.size(), tail.size());
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), driver.port.log.end() - tail.size()));

    Script(driver.port, LsbFirst(expectedData));
    ASSERT_TRUE(driver.Send(kVerifyChunk, CommandPacket(8, 33, 3, 0, 1, expectedData), kRequestBufferSize));
    EXPECT_EQ(driver.AnswerField(), 8u);

    Script(driver.port, LsbFirst({1, 2, 0x33}));
    ASSERT_TRUE(driver.Send(kVerifyChunk, CommandPacket(8, 50, 2, 0, 1, expectedData), kRequestBufferSize));
    EXPECT_EQ(driver.AnswerField(), 2u);   // serial parts: the byte itself
}

// Variant A: shift in, pulse, read back, up to three pulses.
AccessList ProgramWordWithReadBack(const std::vector<uint8_t>& word, int pulses, uint8_t control) {
    AccessList expected = {C(2), D(0xD8)};
    for (uint8_t value : word) {
        for (int bit = 0; bit < 8; ++bit) {
            Append(expected, value >> bit & 1 ? AccessList{D(0xD8), D(0xD9)} : AccessList{D(0xDA), D(0xDB)});
        }
    }
    for (int pulse = 0; pulse < pulses; ++pulse) {
        Append(expected, {D(0xD8), D(0x58)});
        expected.insert(expected.end(), 33, S());
        Append(expected, {D(0xD8)});
        expected.insert(expected.end(), 1024, S());
        Append(expected, {D(0xC8)});
        for (size_t bit = 0; bit < word.size() * 8; ++bit) {
            Append(expected, {D(0xC8), S(), D(0xC9)});
        }
        Append(expected, {C(control)});
    }
    Append(expected, {D(0xD9)});
    return expected;
}

TEST(PortDriverSequences, ProgramWordPulsesReadsBackAndClocksOn) {
    DriverHarness driver;
    const std::vector<uint8_t> word = {0xFE, 0xFF, 0x00, 0x7F};
    Script(driver.port, GoodPulse());
    Script(driver.port, LsbFirst(word));
    ASSERT_TRUE(driver.Send(kProgramChunk, ProgramPacket(1, 50, 0, 32, 0xF8, word), kRequestBufferSize));
    EXPECT_EQ(driver.AnswerField(), 1u);

    AccessList expected = ProgramWordWithReadBack(word, 1, 0);
    Append(expected, ProgrammingModeClock(0));
    EXPECT_EQ(driver.port.log, expected);
}

TEST(PortDriverSequences, ProgramWordGivesAtMostThreePulses) {
    DriverHarness driver;
    const std::vector<uint8_t> word = {0x00, 0x00, 0x00, 0x00};
    const std::vector<uint8_t> weak = {0x00, 0x01, 0x00, 0x00};
    // Needs a third pulse: programmed. Extended-family parts keep CTRL 2 after the read-back.
    for (int i = 0; i < 2; ++i) {
        Script(driver.port, GoodPulse());
        Script(driver.port, LsbFirst(weak));
    }
    Script(driver.port, GoodPulse());
    Script(driver.port, LsbFirst(word));
    ASSERT_TRUE(driver.Send(kProgramChunk, ProgramPacket(1, 33, 0, 32, 0xFC, word), kRequestBufferSize));
    EXPECT_EQ(driver.AnswerField(), 1u);
    AccessList expected = ProgramWordWithReadBack(word, 3, 2);
    Append(expected, ProgrammingModeClock(0));
    EXPECT_EQ(driver.port.log, expected);

    // Still wrong after the third: the chunk stops at that word, with no address clock.
    driver.port.log.clear();
    for (int i = 0; i < 3; ++i) {
        Script(driver.port, GoodPulse());
        Script(driver.port, LsbFirst(weak));
    }
    const std::vector<uint8_t> twoWords = {0, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(driver.Send(kProgramChunk, ProgramPacket(2, 33, 0, 32, 0xFC, twoWords), kRequestBufferSize));
    EXPECT_EQ(driver.AnswerField(), 0u);
    EXPECT_EQ(driver.port.log, ProgramWordWithReadBack(word, 3, 2));
}

TEST(PortDriverSequences, PartsWithoutReadBackGetOnePulse) {
    DriverHarness driver;
    const std::vector<uint8_t> word = {0x00, 0xFF, 0xFF, 0xFF};
    driver.port.statusScript = {0x80, 0x00, 0x00, 0x80};
    ASSERT_TRUE(driver.Send(kProgramChunk, ProgramPacket(1, 33, 0, 32, 0xCE, word), kRequestBufferSize));
    EXPECT_EQ(driver.AnswerField(), 1u);

    AccessList expected = {C(5), D(0xD8)};
    for (int bit = 0; bit < 32; ++bit) {
        Append(expected, bit < 8 ? AccessList{D(0xDA), D(0xDB)} : AccessList{D(0xD8), D(0xD9)});
    }
    Append(expected, {D(0xD8), D(0x58), S(), S(), D(0xD8), S(), S(), D(0xD9)});
    Append(expected, ProgrammingModeClock(0));
    EXPECT_EQ(driver.port.log, expected);
}

TEST(PortDriverSequences, ErasedWordsGetNoPulse) {
    DriverHarness driver;
    const std::vector<uint8_t> erased(4, 0xFF);
    ASSERT_TRUE(driver.Send(kProgramChunk, ProgramPacket(1, 33, 0, 32, 0xF8, erased), kRequestBufferSize));
    EXPECT_EQ(driver.AnswerField(), 1u);
    AccessList expected = {D(0xD9)};
    Append(expected, ProgrammingModeClock(0));
    EXPECT_EQ(driver.port.log, expected);

    // An extended part still has its output register clocked through the word.
    driver.port.log.clear();
    ASSERT_TRUE(driver.Send(kProgramChunk, ProgramPacket(1, 33, 4, 32, 0xFC, erased), kRequestBufferSize));
    expected = {D(0xCD)};
    for (int bit = 0; bit < 32; ++bit) {
        Append(expected, {D(0xCC), D(0xCD)});
    }
    Append(expected, {D(0xDD)});
    Append(expected, ProgrammingModeClock(4));
    EXPECT_EQ(driver.port.log, expected);
}

TEST(PortDriverSequences, PulseWaitsAreBounded) {
    const std::vector<uint8_t> words(12, 0x00);
    struct Case {
        const char* what;
        uint8_t idle;      // status once the script is spent
        uint8_t idCode;
    };
    const Case cases[] = {
        {"pulse never comes, read-back part", 0x80, 0xF8},
        {"pulse never ends, read-back part", 0x00, 0xF8},
        {"pulse never comes, one-pulse part", 0x80, 0xCE},
        {"pulse never ends, one-pulse part", 0x00, 0xCE},
    };
    for (const Case& c : cases) {
        DriverHarness driver;
        driver.port.idleStatus = c.idle;
        ASSERT_TRUE(driver.Send(kProgramChunk, ProgramPacket(3, 50, 0, 32, c.idCode, words), kRequestBufferSize))
            << c.what;
        EXPECT_EQ(driver.AnswerField(), 0u) << c.what;
        EXPECT_EQ(Count(driver.port.log, D(0x58)), 1u) << c.what;   // a dead pulse is not retried
        EXPECT_LE(driver.port.reads, 2 * uint64_t{driver::kPulseWaitReads}) << c.what;
        EXPECT_EQ(driver.port.log.back(), D(0xD9)) << c.what;       // data bit 7 back up
    }
}

}  // namespace
