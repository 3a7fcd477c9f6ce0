#include <gtest/gtest.h>

#include <vector>

#include "buffer/buffer_checksum.h"
#include "engine/programmer.h"
#include "platform/platform_value.h"
#include "virtual_time.h"

namespace {

class DataBufferTest : public ::testing::Test {
protected:
    VirtualTime time;
    Programmer programmer{platform::kDirectPortFamilyVersion};

    uint16_t ChecksumOfErased(uint32_t length) {
        EXPECT_TRUE(programmer.ResizeBuffer(length));
        programmer.ClearBuffer();
        return programmer.checksum;
    }
};

TEST_F(DataBufferTest, NoBufferBeforeIdentification) {
    EXPECT_EQ(programmer.GetBufferLength(), 0u);
    programmer.UpdateChecksum();
    EXPECT_EQ(programmer.checksum, 0);
    programmer.ClearBuffer();
    EXPECT_EQ(programmer.checksum, 0);
}

TEST_F(DataBufferTest, ReferenceChecksumsOfErasedBuffers) {
    EXPECT_EQ(ChecksumOfErased(2097152), 0x0000);
    EXPECT_EQ(ChecksumOfErased(65536), 0x0000);
    EXPECT_EQ(ChecksumOfErased(32768), 0x8000);
    EXPECT_EQ(ChecksumOfErased(16384), 0xC000);
    EXPECT_EQ(ChecksumOfErased(8192), 0xE000);
    EXPECT_EQ(ChecksumOfErased(4536), 0xA648);
    EXPECT_EQ(ChecksumOfErased(2268), 0xD324);
    EXPECT_EQ(ChecksumOfErased(209920), 0xCC00);
    EXPECT_EQ(ChecksumOfErased(300), 0x2AD4);
}

TEST_F(DataBufferTest, ChecksumIsAPlainSumOfTheWholeBuffer) {
    ASSERT_TRUE(programmer.ResizeBuffer(4));
    for (uint8_t i = 0; i < 4; ++i) {
        programmer.buffer[i] = i;
    }
    programmer.UpdateChecksum();
    EXPECT_EQ(programmer.checksum, 0x0006);
}

// The checksum adds many bytes at a time: every length and content must still give the plain
// 16-bit running sum, including long runs of 0xFF that fill its partial sums to the brim.
TEST(BufferChecksum, EqualsARunningSixteenBitSumForAnyLengthAndContent) {
    std::vector<uint8_t> bytes(3 * 1024 + 13);
    uint32_t seed = 7;
    for (auto& byte : bytes) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<uint8_t>(seed >> 16);
    }
    for (size_t length = 0; length <= bytes.size(); length += length < 80 ? 1 : 37) {
        uint16_t expected = 0;
        for (size_t i = 0; i < length; ++i) {
            expected = static_cast<uint16_t>(expected + bytes[i]);
        }
        ASSERT_EQ(BufferChecksum(bytes.data(), static_cast<uint32_t>(length)), expected) << "length " << length;
    }
    const std::vector<uint8_t> erased(16 * 1024 * 1024 + 5, 0xFF);
    EXPECT_EQ(BufferChecksum(erased.data(), static_cast<uint32_t>(erased.size())),
              static_cast<uint16_t>(0xFFu * erased.size()));
}

TEST_F(DataBufferTest, ClearKeepsLengthAndStateText) {
    ASSERT_TRUE(programmer.ResizeBuffer(4536));
    programmer.buffer[17] = 0x00;
    programmer.bufferStateText = "Buffer State: File - a.mcs";
    programmer.ClearBuffer();
    EXPECT_EQ(programmer.buffer[17], 0xFF);
    EXPECT_EQ(programmer.GetBufferLength(), 4536u);
    EXPECT_EQ(programmer.bufferStateText, "Buffer State: File - a.mcs");
    EXPECT_EQ(programmer.checksum, 0xA648);
}

}  // namespace
