#include <gtest/gtest.h>

#include <set>

#include "engine/programmer.h"
#include "platform/platform_value.h"
#include "virtual_time.h"

namespace {

class ProgrammerStateTest : public ::testing::Test {
protected:
    VirtualTime time;
    Programmer programmer{platform::kDirectPortFamilyVersion};
};

TEST_F(ProgrammerStateTest, DefaultsAfterConstruction) {
    ASSERT_EQ(programmer.GetCount(), 46u);
    EXPECT_EQ(programmer.GetAt(0).name, "XC17V16");
    EXPECT_EQ(programmer.GetAt(45).name, "XC1718L");
    EXPECT_EQ(programmer.portBase, 888);
    EXPECT_EQ(programmer.resetPolarity, 1);
    EXPECT_EQ(programmer.expressOutput, 1);
    EXPECT_EQ(programmer.busyPin, 1);
    EXPECT_EQ(programmer.buffer, nullptr);
    EXPECT_EQ(programmer.bufferLength, 0u);
    EXPECT_EQ(programmer.checksum, 0);
    EXPECT_EQ(programmer.bufferStateText, "Buffer State: Empty");
    EXPECT_EQ(programmer.failureText, "");
    EXPECT_EQ(programmer.currentDevice, nullptr);
    EXPECT_EQ(programmer.powerMode, POWER_OFF);
    EXPECT_TRUE(programmer.IsDirectMode());
    EXPECT_FALSE(programmer.link.driverOpened);
}

TEST_F(ProgrammerStateTest, OnlyTheDirectFamilyValueSelectsDirectMode) {
    EXPECT_EQ(platform::PlatformFamily(0xC0001234), 0xC000);
    programmer.link.platformValue = 0xC001;
    EXPECT_FALSE(programmer.IsDirectMode());
    programmer.link.platformValue = 0x8000;
    EXPECT_FALSE(programmer.IsDirectMode());
}

TEST_F(ProgrammerStateTest, CatalogueInvariants) {
    std::set<uint16_t> codes;
    std::set<std::pair<uint32_t, int16_t>> probes;
    std::set<std::string> extended;
    for (size_t i = 0; i < programmer.GetCount(); ++i) {
        const PromDevice& d = programmer.GetAt(i);
        EXPECT_TRUE(codes.insert(d.idCode).second) << d.name << " shares its device code";
        EXPECT_EQ(d.sizeBits % 8, 0u) << d.name;
        EXPECT_EQ(d.sizeBits % d.wordSize, 0u) << d.name;
        EXPECT_TRUE(d.wordSize == 32 || d.wordSize == 64 || d.wordSize == 128) << d.name;
        probes.insert({d.idClocks, d.programSupply});
        if (IsExtended(d)) {
            extended.insert(d.name);
        }
    }
    EXPECT_EQ(probes.size(), 6u);
    EXPECT_EQ(extended, (std::set<std::string>{"XC17V16", "XC17V08", "XC17256X or XC17256EL",
                                               "XC17128X or XC17128EL", "XC1765X or XC1765EL"}));
    EXPECT_EQ(programmer.FindByName("XC17V16")->sizeBits / 8, 2097152u);
    EXPECT_EQ(programmer.FindByName("XC1736D")->sizeBits / 8, 4536u);
    EXPECT_EQ(programmer.FindByName("XC1718L")->sizeBits / programmer.FindByName("XC1718L")->wordSize, 567u);
    EXPECT_EQ(programmer.FindByName("no such part"), nullptr);
}

TEST_F(ProgrammerStateTest, DescribeCurrentDevice) {
    PromDevice shown;
    shown.programSupply = 42;
    programmer.DescribeCurrentDevice(shown);
    EXPECT_EQ(shown.name, "No Device found");
    EXPECT_EQ(shown.sizeBits, 0u);
    EXPECT_EQ(shown.idClocks, 0u);
    EXPECT_EQ(shown.optionClocks, 0u);
    EXPECT_EQ(shown.readSupply, 0);
    EXPECT_EQ(shown.idCode, 0);
    EXPECT_EQ(shown.wordSize, 0);

    programmer.currentDevice = programmer.FindByName("XC1765X or XC1765EL");
    programmer.DescribeCurrentDevice(shown);
    EXPECT_EQ(shown.name, "XC1765X or XC1765EL");
    EXPECT_EQ(shown.sizeBits, 65536u);
    EXPECT_EQ(shown.idClocks, 0x808u);
    EXPECT_EQ(shown.optionClocks, 0x800u);
    EXPECT_EQ(shown.readSupply, 33);
    EXPECT_EQ(shown.idCode, 0xFC);
    EXPECT_EQ(shown.wordSize, 32);
    EXPECT_EQ(shown.programSupply, 42) << "the programming supply is not part of the description";
}

TEST_F(ProgrammerStateTest, ResizeBufferFillsWithErasedBytesAndEmptiesTheState) {
    programmer.bufferStateText = "Buffer State: XC1765D contents";
    ASSERT_TRUE(programmer.ResizeBuffer(2268));
    EXPECT_EQ(programmer.bufferLength, 2268u);
    EXPECT_EQ(programmer.bufferStateText, "Buffer State: Empty");
    for (uint32_t i = 0; i < 2268; ++i) {
        ASSERT_EQ(programmer.buffer[i], 0xFF);
    }
    programmer.buffer[0] = 0;
    ASSERT_TRUE(programmer.ResizeBuffer(16));
    EXPECT_EQ(programmer.bufferLength, 16u);
    EXPECT_EQ(programmer.buffer[0], 0xFF);
}

}  // namespace
