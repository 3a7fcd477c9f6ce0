#include <gtest/gtest.h>

#include "buffer/record_test_support.h"

using namespace record_test;

TEST(RecordFileErrors, AMissingFileOrAFolderDoesNotOpen) {
    ScratchDir dir;
    RecordFile file;
    EXPECT_FALSE(file.Open(dir / "missing.hex"));
    EXPECT_EQ(file.ErrorText(), "Open error: No such file or directory");
    EXPECT_FALSE(file.Open(dir.path().string()));
    EXPECT_EQ(file.ErrorText(), "Open error: Is a directory");
    EXPECT_FALSE(file.IsOpen());
}

TEST(RecordFileErrors, AWriteErrorIsRecordedAndNamed) {
    RecordFile file;
    ASSERT_TRUE(file.Create("/dev/full"));
    std::vector<uint8_t> data(4536, 0xFF);
    uint32_t status = STATUS_NONE;
    file.TransferIntelHex(data.data(), 4536, status, TRANSFER_WRITE);
    EXPECT_TRUE(file.HasError());
    EXPECT_EQ(file.ErrorText(), "Write error: No space left on device");
    EXPECT_FALSE(file.Close());
    EXPECT_EQ(file.ErrorText(), "Write error: No space left on device");
}

TEST(RecordFileErrors, MustBeNewRefusesAnExistingNameAndOpeningAgainClearsTheError) {
    ScratchDir dir;
    WriteFile(dir / "taken.bin", "old");
    RecordFile file;
    EXPECT_FALSE(file.Create(dir / "taken.bin", RecordFile::CreateMode::MustBeNew));
    EXPECT_EQ(file.ErrorNumber(), EEXIST);
    EXPECT_EQ(ReadFile(dir / "taken.bin"), "old");
    ASSERT_TRUE(file.Open(dir / "taken.bin"));
    EXPECT_FALSE(file.HasError());
    EXPECT_EQ(file.ErrorText(), "");
}

TEST(RecordFileErrors, ReadingAFileOpenedForWritingFailsCleanly) {
    ScratchDir dir;
    RecordFile file;
    ASSERT_TRUE(file.Create(dir / "out.hex"));
    std::vector<uint8_t> data(16, 0xFF);
    uint32_t status = STATUS_NONE;
    EXPECT_EQ(file.TransferIntelHex(data.data(), 16, status, TRANSFER_READ), 0u);
    EXPECT_TRUE(file.HasError());
    EXPECT_EQ(data, std::vector<uint8_t>(16, 0xFF));
}
