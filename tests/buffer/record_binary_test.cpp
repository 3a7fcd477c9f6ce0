#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include "buffer/record_test_support.h"

using namespace record_test;

TEST(BinaryRead, AShortFileFillsTheStartAndLeavesTheRest) {
    const auto result = ReadText(std::string("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09", 10), Format::Binary, 4536, 0xFF);
    EXPECT_EQ(result.count, 10u);
    EXPECT_EQ(std::vector<uint8_t>(result.data.begin(), result.data.begin() + 10), Sequence(10));
    EXPECT_EQ(std::vector<uint8_t>(result.data.begin() + 10, result.data.end()), std::vector<uint8_t>(4526, 0xFF));
}

TEST(BinaryRead, ALongerFileFillsTheBufferAndReturnsTheWholeLength) {
    const auto bytes = RandomImage(5000, 3);
    const auto result = ReadText(std::string(bytes.begin(), bytes.end()), Format::Binary, 4536);
    EXPECT_EQ(result.count, 5000u);
    EXPECT_EQ(result.data, std::vector<uint8_t>(bytes.begin(), bytes.begin() + 4536));
}

// A length past 4 GiB must not wrap to a small count that hides the truncation.
TEST(BinaryRead, AFileLongerThanFourGiBStillReportsMoreThanTheCapacity) {
    ScratchDir dir;
    const std::string path = dir / "huge.bin";
    for (const off_t length : {off_t{1} << 32, (off_t{1} << 32) + 100, (off_t{5} << 30)}) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::pwrite(fd, "\x5A", 1, 0), 1);
        const bool sized = ::ftruncate(fd, length) == 0;
        ::close(fd);
        ASSERT_TRUE(sized) << "this file system cannot hold a sparse " << length << "-byte file";
        const auto result = ReadPath(path, Format::Binary, 4536);
        EXPECT_EQ(result.count, 0xFFFFFFFFu);
        EXPECT_EQ(result.data[0], 0x5A);
        EXPECT_EQ(result.data[1], 0x00);
    }
}

TEST(BinaryWrite, WritesExactlyTheBuffer) {
    const auto bytes = RandomImage(2268, 4);
    const std::string text = WriteText(bytes, Format::Binary);
    EXPECT_EQ(std::vector<uint8_t>(text.begin(), text.end()), bytes);
}

TEST(BinaryRead, ANullBufferReadsNothing) {
    ScratchDir dir;
    WriteFile(dir / "in.bin", "abc");
    RecordFile file;
    ASSERT_TRUE(file.Open(dir / "in.bin"));
    EXPECT_EQ(file.TransferBinary(nullptr, 16, TRANSFER_READ), 0u);
}
