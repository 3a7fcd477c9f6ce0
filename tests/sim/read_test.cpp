// Serial reading in read mode and word reading in programming mode.
#include <gtest/gtest.h>

#include "sequences.h"

namespace {

sim::SimulatedProm PartWithImage(const std::string& typeName, uint32_t seed) {
    sim::SimulatedProm part;
    part.type = CatalogType(typeName);
    part.contents = RandomImage(part.type.sizeBits / 8, seed);
    return part;
}

TEST(SerialRead, ReadsARandomImageBitExactAndCeoFallsAtTheEnd) {
    for (const char* name : {"XC1736D", "XC1765L", "XC17S05XL"}) {   // 5.0 V and 3.3 V reads
        SimBench bench;
        const sim::SimulatedProm part = PartWithImage(name, 7);
        bench.programmer.InsertPart(part);
        bool ceoHigh = true;
        EXPECT_EQ(bench.port.ReadSerial(part.type, true, &ceoHigh), part.contents) << name;
        EXPECT_FALSE(ceoHigh) << name;
    }
}

TEST(SerialRead, FirstBitDeliveredIsBitZeroOfByteZero) {
    sim::SimulatedProm part;
    part.type = CatalogType("XC1718D");
    part.contents.assign(part.type.sizeBits / 8, 0xFF);
    part.contents[0] = 0x01;
    SimBench bench;
    bench.programmer.InsertPart(part);
    bench.port.PowerRead(part.type, true);
    std::vector<bool> bits;
    for (int i = 0; i < 8; ++i) {
        bits.push_back(bench.port.Status() & 0x10);
        bench.port.ClockRead(part.type, true);
    }
    EXPECT_EQ(bits, (std::vector<bool>{true, false, false, false, false, false, false, false}));
}

TEST(SerialRead, CeoStaysHighUntilTheLastClockAndRisesAgainOnReset) {
    SimBench bench("XC1718D");
    const PromDevice& type = CatalogType("XC1718D");
    bench.port.PowerRead(type, true);
    for (uint32_t i = 0; i + 1 < type.sizeBits; ++i) {
        bench.port.ClockRead(type, true);
    }
    EXPECT_TRUE(bench.port.Status() & 0x20);
    bench.port.ClockRead(type, true);
    EXPECT_FALSE(bench.port.Status() & 0x20);
    bench.port.ResetAddressCounter(type, true);
    EXPECT_TRUE(bench.port.Status() & 0x20);
}

TEST(SerialRead, ResetPolarityMustMatchTheProgrammedBit) {
    sim::SimulatedProm part = PartWithImage("XC1765D", 11);
    part.resetProgrammed = true;   // reset active low
    SimBench bench;
    bench.programmer.InsertPart(part);
    bool ceoHigh = false;
    EXPECT_EQ(bench.port.ReadSerial(part.type, false, &ceoHigh), part.contents);
    EXPECT_FALSE(ceoHigh);
    // Driven as if active high, the part sits in reset and gives 1s.
    EXPECT_EQ(bench.port.ReadSerial(part.type, true, &ceoHigh), std::vector<uint8_t>(part.contents.size(), 0xFF));
    EXPECT_TRUE(ceoHigh);
}

TEST(SerialRead, WrongReadSupplyLevelGivesNoValidHigh) {
    const sim::SimulatedProm part = PartWithImage("XC1765L", 3);   // read at 3.3 V
    SimBench bench;
    bench.programmer.InsertPart(part);
    PromDevice asIfFiveVolt = part.type;
    asIfFiveVolt.readSupply = 50;
    EXPECT_EQ(bench.port.ReadSerial(asIfFiveVolt, true), std::vector<uint8_t>(part.contents.size(), 0x00));
}

TEST(SerialRead, PartRemovedMidReadGivesOnes) {
    const sim::SimulatedProm part = PartWithImage("XC1718D", 5);
    SimBench bench;
    bench.programmer.InsertPart(part);
    // Power-off (3 accesses), power-up and reset (6), then 100 bytes of 3 accesses per bit.
    bench.programmer.RemovePartAfter(3 + 6 + 100 * 8 * 3);
    const std::vector<uint8_t> read = bench.port.ReadSerial(part.type, true);
    EXPECT_EQ(std::vector<uint8_t>(read.begin(), read.begin() + 100),
              std::vector<uint8_t>(part.contents.begin(), part.contents.begin() + 100));
    EXPECT_EQ(std::vector<uint8_t>(read.begin() + 100, read.end()), std::vector<uint8_t>(read.size() - 100, 0xFF));
    EXPECT_EQ(bench.programmer.Part(), nullptr);
}

TEST(WordRead, ReadsExtendedPartsBitExact) {
    for (const char* name : {"XC1765X or XC1765EL", "XC17128X or XC17128EL"}) {   // 32- and 64-bit words
        SimBench bench;
        const sim::SimulatedProm part = PartWithImage(name, 13);
        bench.programmer.InsertPart(part);
        EXPECT_EQ(bench.port.ReadWords(part.type), part.contents) << name;
    }
}

TEST(WordRead, ReadsWideWordsInBufferLayout) {
    const sim::SimulatedProm part = PartWithImage("XC17V16", 17);
    SimBench bench;
    bench.programmer.InsertPart(part);
    const std::vector<uint8_t> first = bench.port.ReadWords(part.type, 64);
    EXPECT_EQ(first, std::vector<uint8_t>(part.contents.begin(), part.contents.begin() + 64 * 16));
}

}  // namespace
