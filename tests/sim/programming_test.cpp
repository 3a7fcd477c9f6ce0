// Programming words and option bits, and the part's faults.
#include <gtest/gtest.h>

#include "sequences.h"

namespace {

using Option = PortSequences::Option;

size_t WordsToProgram(const std::vector<uint8_t>& image, size_t wordBytes) {
    size_t count = 0;
    for (size_t at = 0; at < image.size(); at += wordBytes) {
        for (size_t b = 0; b < wordBytes; ++b) {
            if (image[at + b] != 0xFF) {
                ++count;
                break;
            }
        }
    }
    return count;
}

TEST(ArrayProgramming, VariantAProgramsEveryWordAndSkipsErasedOnes) {
    const PromDevice& type = CatalogType("XC1765X or XC1765EL");   // extended, read back by words
    std::vector<uint8_t> image = RandomImage(type.sizeBits / 8, 21);
    std::fill(image.begin() + 12, image.begin() + 16, 0xFF);   // word 3 stays erased
    SimBench bench(type.name);
    EXPECT_EQ(bench.port.ProgramArray(type, image), -1);
    EXPECT_EQ(bench.programmer.PulsesGiven(), WordsToProgram(image, 4));
    EXPECT_EQ(bench.port.ReadWords(type), image);
}

TEST(ArrayProgramming, VariantAAtThreeVoltsReadsBackSerially) {
    const PromDevice& type = CatalogType("XC17S15A");   // 64-bit words, supply select set
    const std::vector<uint8_t> image = RandomImage(type.sizeBits / 8, 22);
    SimBench bench(type.name);
    EXPECT_EQ(bench.port.ProgramArray(type, image), -1);
    bool ceoHigh = true;
    EXPECT_EQ(bench.port.ReadSerial(type, true, &ceoHigh), image);
    EXPECT_FALSE(ceoHigh);
}

TEST(ArrayProgramming, VariantBProgramsWithoutReadBack) {
    const PromDevice& type = CatalogType("XC1718L");
    const std::vector<uint8_t> image = RandomImage(type.sizeBits / 8, 23);
    SimBench bench(type.name);
    EXPECT_EQ(bench.port.ProgramArray(type, image), -1);
    EXPECT_EQ(bench.port.ReadSerial(type, true), image);
}

TEST(ArrayProgramming, ProgrammedBitsNeverReturnToOne) {
    const PromDevice& type = CatalogType("XC1736E");
    SimBench bench(type.name);
    const uint8_t first[4] = {0x0F, 0xFF, 0x5A, 0x00};
    const uint8_t second[4] = {0xF0, 0xFF, 0xA5, 0xFF};
    bench.port.PowerProgramming(50);
    EXPECT_EQ(bench.port.ProgramWord(type, first), 1);
    EXPECT_EQ(bench.port.ProgramWord(type, second), 0);   // same word: the read-back keeps failing
    bench.port.PowerOff(50);
    const std::vector<uint8_t> read = bench.port.ReadSerial(type, true);
    EXPECT_EQ(std::vector<uint8_t>(read.begin(), read.begin() + 5), (std::vector<uint8_t>{0x00, 0xFF, 0x00, 0x00, 0xFF}));
}

TEST(ArrayProgramming, PulseOutsideProgrammingModeProgramsNothing) {
    const PromDevice& type = CatalogType("XC1736E");
    SimBench bench(type.name);
    const uint8_t zeros[4] = {0, 0, 0, 0};
    bench.port.PowerRead(type, true);
    EXPECT_EQ(bench.port.ProgramWord(type, zeros), 0);
    EXPECT_GT(bench.programmer.PulseRequests(), 0u);
    EXPECT_EQ(bench.programmer.PulsesGiven(), 0u);
    EXPECT_EQ(bench.programmer.Part()->contents, std::vector<uint8_t>(type.sizeBits / 8, 0xFF));
}

TEST(PartFaults, WeakWordsTakeTwoOrThreePulsesAndAFourthIsTooMany) {
    sim::SimulatedProm part;
    part.type = CatalogType("XC1736E");
    part.weakWords = {{0, 2}, {1, 3}, {2, 4}};
    SimBench bench;
    bench.programmer.InsertPart(part);
    const uint8_t word[4] = {0x12, 0x34, 0x56, 0x78};
    bench.port.PowerProgramming(50);
    EXPECT_EQ(bench.port.ProgramWord(part.type, word), 2);
    bench.port.ClockProgramming(50);
    EXPECT_EQ(bench.port.ProgramWord(part.type, word), 3);
    bench.port.ClockProgramming(50);
    EXPECT_EQ(bench.port.ProgramWord(part.type, word), 0);
    bench.port.PowerOff(50);
    const std::vector<uint8_t>& stored = bench.programmer.Part()->contents;
    EXPECT_EQ(std::vector<uint8_t>(stored.begin(), stored.begin() + 12),
              (std::vector<uint8_t>{0x12, 0x34, 0x56, 0x78, 0x12, 0x34, 0x56, 0x78, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(bench.programmer.PulsesGiven(), 8u);
}

TEST(PartFaults, WeakWordEscapesVariantBUntilTheVerify) {
    sim::SimulatedProm part;
    part.type = CatalogType("XC1718L");
    part.weakWords = {{5, 2}};
    SimBench bench;
    bench.programmer.InsertPart(part);
    const std::vector<uint8_t> image(part.type.sizeBits / 8, 0x00);
    EXPECT_EQ(bench.port.ProgramArray(part.type, image), -1);
    std::vector<uint8_t> expected = image;
    std::fill(expected.begin() + 20, expected.begin() + 24, 0xFF);
    EXPECT_EQ(bench.port.ReadSerial(part.type, true), expected);
}

TEST(PartFaults, DeadBitNeverPrograms) {
    sim::SimulatedProm part;
    part.type = CatalogType("XC1736E");
    part.deadBits = {37};   // word 1, bit 5
    SimBench bench;
    bench.programmer.InsertPart(part);
    const std::vector<uint8_t> image(part.type.sizeBits / 8, 0x00);
    EXPECT_EQ(bench.port.ProgramArray(part.type, image), 1);
    const std::vector<uint8_t>& stored = bench.programmer.Part()->contents;
    EXPECT_EQ(std::vector<uint8_t>(stored.begin(), stored.begin() + 9),
              (std::vector<uint8_t>{0, 0, 0, 0, 0x20, 0, 0, 0, 0xFF}));
}

TEST(PartFaults, PartRemovedMidProgrammingFailsTheReadBack) {
    const PromDevice& type = CatalogType("XC1736E");
    SimBench bench(type.name);
    bench.programmer.RemovePartAfter(20000);
    const int64_t failed = bench.port.ProgramArray(type, std::vector<uint8_t>(type.sizeBits / 8, 0x00));
    EXPECT_GT(failed, 0);
    EXPECT_EQ(bench.programmer.Part(), nullptr);
    EXPECT_EQ(bench.port.ReadIdentifier(0x808, 50).manufacturer, 0xFF);
}

TEST(OptionBits, ResetBitProgramsAndTurnsTheResetActiveLow) {
    for (const char* name : {"XC1765D", "XC17S15A"}) {   // 5.0 V and 3.3 V programming
        const PromDevice& type = CatalogType(name);
        SimBench bench(name);
        EXPECT_TRUE(bench.port.ProgramOption(type, Option::Reset)) << name;
        EXPECT_TRUE(bench.port.ReadOptionBits(type).resetProgrammed) << name;
        EXPECT_TRUE(bench.programmer.Part()->resetProgrammed);
        bool ceoHigh = true;
        EXPECT_EQ(bench.port.ReadSerial(type, false, &ceoHigh), bench.programmer.Part()->contents) << name;
        EXPECT_FALSE(ceoHigh);
    }
}

TEST(OptionBits, ExpressAndBusyProgramOnExtendedParts) {
    for (const char* name : {"XC1765X or XC1765EL", "XC17V08"}) {
        const PromDevice& type = CatalogType(name);
        SimBench bench(name);
        EXPECT_TRUE(bench.port.ProgramOption(type, Option::Express)) << name;
        auto bits = bench.port.ReadOptionBits(type);
        EXPECT_FALSE(bits.resetProgrammed);
        EXPECT_TRUE(bits.expressProgrammed);
        EXPECT_FALSE(bits.busyProgrammed);
        EXPECT_TRUE(bench.port.ProgramOption(type, Option::Busy)) << name;
        bits = bench.port.ReadOptionBits(type);
        EXPECT_TRUE(bits.expressProgrammed);
        EXPECT_TRUE(bits.busyProgrammed);
        EXPECT_EQ(bench.programmer.Part()->contents, std::vector<uint8_t>(type.sizeBits / 8, 0xFF));
    }
}

TEST(OptionBits, OptionNeedsAnAllZeroInputRegister) {
    const PromDevice& type = CatalogType("XC17128X or XC17128EL");
    SimBench bench(type.name);
    EXPECT_FALSE(bench.port.ProgramOption(type, Option::Reset, true));
    EXPECT_FALSE(bench.port.ProgramOption(type, Option::Busy, true));
    const auto bits = bench.port.ReadOptionBits(type);
    EXPECT_FALSE(bits.resetProgrammed);
    EXPECT_FALSE(bits.busyProgrammed);
    EXPECT_EQ(bench.programmer.PulsesGiven(), 2u);
}

TEST(OptionBits, NonExtendedPartHasNoExpressLocation) {
    const PromDevice& type = CatalogType("XC1765D");
    SimBench bench(type.name);
    bench.port.ProgramOption(type, Option::Express);
    const sim::SimulatedProm& part = *bench.programmer.Part();
    EXPECT_FALSE(part.expressProgrammed);
    EXPECT_FALSE(part.resetProgrammed);
    EXPECT_EQ(part.contents, std::vector<uint8_t>(type.sizeBits / 8, 0xFF));
}

}  // namespace
