// Identifier and option-bit reads in programming mode.
#include <gtest/gtest.h>

#include "sequences.h"

namespace {

TEST(Identification, EveryCatalogueTypeIdentifiesOnItsOwnProbe) {
    for (const PromDevice* type : CatalogTypes()) {
        SimBench bench;
        bench.programmer.InsertBlankPart(*type);
        EXPECT_EQ(bench.port.Identify(), type->name);
    }
}

TEST(Identification, IdentifierAnswersOnlyAtItsClockCountAndSupply) {
    SimBench bench("XC1718L");   // 0x808 clocks, programmed at 5.0 V
    const auto right = bench.port.ReadIdentifier(0x808, 50);
    EXPECT_EQ(right.manufacturer, 0xC9);
    EXPECT_EQ(right.device, 0xCE);
    for (const auto& [clocks, supply] : {std::pair<uint32_t, int16_t>{0x807, 50}, {0x809, 50}}) {
        const auto wrong = bench.port.ReadIdentifier(clocks, supply);
        EXPECT_EQ(wrong.manufacturer, 0xFF) << clocks;
        EXPECT_EQ(wrong.device, 0xFF);
    }
    // At the other supply the output never reaches a valid high level.
    const auto underSupplied = bench.port.ReadIdentifier(0x808, 33);
    EXPECT_EQ(underSupplied.manufacturer, 0x00);
    EXPECT_EQ(underSupplied.device, 0x00);
}

TEST(Identification, ThreeVoltPartAnswersWithSupplySelect) {
    SimBench bench("XC17V16");
    EXPECT_NE(bench.port.ReadIdentifier(0x20060, 50).manufacturer, 0xC9);
    const auto id = bench.port.ReadIdentifier(0x20060, 33);
    EXPECT_EQ(id.manufacturer, 0xC9);
    EXPECT_EQ(id.device, 0x7C);
}

TEST(Identification, UnknownMakerAndEmptySocketGiveNoMatch) {
    SimBench bench;
    EXPECT_EQ(bench.port.ReadIdentifier(0x808, 50).manufacturer, 0xFF);
    EXPECT_EQ(bench.port.Identify(), "");

    sim::SimulatedProm foreign;
    foreign.type = CatalogType("XC1765D");
    foreign.manufacturerCode = 0x12;
    bench.programmer.InsertPart(foreign);
    const auto id = bench.port.ReadIdentifier(0x808, 50);
    EXPECT_EQ(id.manufacturer, 0x12);
    EXPECT_EQ(id.device, 0xFF);
    EXPECT_EQ(bench.port.Identify(), "");
}

TEST(Identification, OptionBitsReadErasedOnABlankPart) {
    SimBench bench("XC17V16");
    const auto bits = bench.port.ReadOptionBits(CatalogType("XC17V16"));
    EXPECT_FALSE(bits.resetProgrammed);
    EXPECT_FALSE(bits.expressProgrammed);
    EXPECT_FALSE(bits.busyProgrammed);
}

TEST(Identification, OptionBitsReadBackEachOnItsOwn) {
    for (int which = 0; which < 3; ++which) {
        sim::SimulatedProm part;
        part.type = CatalogType("XC17256X or XC17256EL");
        part.resetProgrammed = which == 0;
        part.expressProgrammed = which == 1;
        part.busyProgrammed = which == 2;
        SimBench bench;
        bench.programmer.InsertPart(part);
        const auto bits = bench.port.ReadOptionBits(part.type);
        EXPECT_EQ(bits.resetProgrammed, which == 0);
        EXPECT_EQ(bits.expressProgrammed, which == 1);
        EXPECT_EQ(bits.busyProgrammed, which == 2);
    }
}

}  // namespace
