#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

#include "buffer/record_test_support.h"
#include "file_size_limit.h"
#include "buffer/record_transfer.h"

using namespace record_test;

namespace {

const std::string kIntelEnd = ":00000001FF";
const std::string kSEnd = "S9030000FC";

std::vector<std::string> FolderEntries(const ScratchDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

LoadResult LoadText(const ScratchDir& dir, const std::string& name, const std::string& text,
                    std::vector<uint8_t>& buffer) {
    WriteFile(dir / name, text);
    return LoadRecordFile(dir / name, buffer.data(), static_cast<uint32_t>(buffer.size()));
}

}  // namespace

TEST(RecordFormatForName, LastThreeCharactersInAnyCaseWithoutADot) {
    EXPECT_EQ(FormatForFileName("Board7.MCS"), RecordFormat::IntelHex);
    EXPECT_EQ(FormatForFileName("image.hex"), RecordFormat::IntelHex);
    EXPECT_EQ(FormatForFileName("Board.EXO"), RecordFormat::SRecord);
    EXPECT_EQ(FormatForFileName("dump.Bin"), RecordFormat::Binary);
    EXPECT_EQ(FormatForFileName("firmwaremcs"), RecordFormat::IntelHex);
    EXPECT_EQ(FormatForFileName("bin"), RecordFormat::Binary);
    EXPECT_EQ(FormatForFileName("image.txt"), RecordFormat::Unknown);
    EXPECT_EQ(FormatForFileName("image.srec"), RecordFormat::Unknown);
    EXPECT_EQ(FormatForFileName("in"), RecordFormat::Unknown);
    EXPECT_EQ(FormatForFileName(""), RecordFormat::Unknown);
}

TEST(RecordLoad, WarningTextsAreTheStationsOwn) {
    EXPECT_STREQ(LoadWarningText(LoadWarning::Truncated),
                 "Program File is larger than device buffer. The file was truncated to fit into the buffer");
    EXPECT_STREQ(LoadWarningText(LoadWarning::AddressRange), "Address in file is too large for the buffer");
    EXPECT_STREQ(LoadWarningText(LoadWarning::Checksum), "Checksum failed while reading data");
    EXPECT_STREQ(LoadWarningText(LoadWarning::None), "");
}

TEST(RecordLoad, ACleanLoadHasNoWarningAndDoesNotClearTheRestOfTheBuffer) {
    ScratchDir dir;
    std::vector<uint8_t> buffer(4536, 0xAA);
    const auto result = LoadText(dir, "Ten.BIN", std::string(10, '\x01'), buffer);
    EXPECT_TRUE(result.opened);
    EXPECT_EQ(result.format, RecordFormat::Binary);
    EXPECT_EQ(result.count, 10u);
    EXPECT_EQ(result.warning, LoadWarning::None);
    EXPECT_EQ(result.fileError, "");
    EXPECT_EQ(buffer[9], 0x01);
    EXPECT_EQ(buffer[10], 0xAA);
}

TEST(RecordLoad, AtMostOneWarningWithTruncationFirst) {
    ScratchDir dir;
    std::vector<uint8_t> buffer(16, 0xFF);
    // Intel Hex: too much data, some of it out of range, then a bad checksum.
    auto result = LoadText(dir, "a.hex",
                           IntelRecord(0, 0, Sequence(16)) + IntelRecord(0, 0x10, {1}) + ":0100000000FE" + kIntelEnd,
                           buffer);
    EXPECT_GT(result.count, 16u);
    EXPECT_EQ(result.status, STATUS_CHECKSUM);
    EXPECT_EQ(result.warning, LoadWarning::Truncated);

    // S-record data that overflow the buffer give only the truncation warning.
    result = LoadText(dir, "b.exo", SRecordLine(1, 0, Sequence(16)) + SRecordLine(1, 16, {1}) + kSEnd, buffer);
    EXPECT_EQ(result.count, 17u);
    EXPECT_EQ(result.warning, LoadWarning::Truncated);

    result = LoadText(dir, "c.exo", SRecordLine(1, 20, {1}) + kSEnd, buffer);
    EXPECT_EQ(result.warning, LoadWarning::AddressRange);

    result = LoadText(dir, "d.mcs", IntelRecord(0, 20, {1}) + kIntelEnd, buffer);
    EXPECT_EQ(result.warning, LoadWarning::AddressRange);

    result = LoadText(dir, "e.mcs", IntelRecord(0, 20, {1}) + ":0100000000FE" + kIntelEnd, buffer);
    EXPECT_EQ(result.warning, LoadWarning::Checksum);

    // A binary file one byte too long.
    result = LoadText(dir, "f.bin", std::string(17, 'x'), buffer);
    EXPECT_EQ(result.warning, LoadWarning::Truncated);
}

TEST(RecordLoad, AnUnknownTypeOpensButReadsNothing) {
    ScratchDir dir;
    std::vector<uint8_t> buffer(16, 0x11);
    const auto result = LoadText(dir, "image.txt", IntelRecord(0, 0, {1}) + kIntelEnd, buffer);
    EXPECT_TRUE(result.opened);
    EXPECT_EQ(result.format, RecordFormat::Unknown);
    EXPECT_EQ(result.count, 0u);
    EXPECT_EQ(buffer, std::vector<uint8_t>(16, 0x11));
}

TEST(RecordLoad, AFileThatCannotBeOpenedIsReportedWithItsError) {
    ScratchDir dir;
    std::vector<uint8_t> buffer(16, 0xFF);
    auto result = LoadRecordFile(dir / "missing.mcs", buffer.data(), 16);
    EXPECT_FALSE(result.opened);
    EXPECT_EQ(result.fileError, "Open error: No such file or directory");

    std::filesystem::create_directory(dir / "folder.mcs");
    result = LoadRecordFile(dir / "folder.mcs", buffer.data(), 16);
    EXPECT_FALSE(result.opened);
}

TEST(RecordSave, WritesTheFormatTheNameSelects) {
    ScratchDir dir;
    const auto data = RandomImage(4536, 9);
    for (const std::string name : {"out.hex", "out.MCS", "out.exo", "out.bin"}) {
        const auto result = SaveRecordFile(dir / name, data.data(), 4536);
        EXPECT_EQ(result.outcome, SaveOutcome::Saved) << name;
        EXPECT_EQ(result.errorText, "");
    }
    EXPECT_EQ(ReadFile(dir / "out.hex"), WriteText(data, Format::IntelHex));
    EXPECT_EQ(ReadFile(dir / "out.hex"), ReadFile(dir / "out.MCS"));
    EXPECT_EQ(ReadFile(dir / "out.exo"), WriteText(data, Format::SRecord));
    EXPECT_EQ(ReadBytes(dir / "out.bin"), data);
    EXPECT_EQ(FolderEntries(dir), (std::vector<std::string>{"out.MCS", "out.bin", "out.exo", "out.hex"}));
}

TEST(RecordSave, AnUnknownNameCreatesNothing) {
    ScratchDir dir;
    const auto data = RandomImage(16, 1);
    EXPECT_EQ(SaveRecordFile(dir / "out.txt", data.data(), 16).outcome, SaveOutcome::UnknownFormat);
    EXPECT_TRUE(FolderEntries(dir).empty());
}

TEST(RecordSave, ReplacingAFileKeepsItsPermissionsAndLinks) {
    ScratchDir dir;
    const auto data = RandomImage(64, 2);
    WriteFile(dir / "real.bin", "old contents");
    ::chmod((dir / "real.bin").c_str(), 0640);
    std::filesystem::create_symlink("real.bin", dir / "link.bin");

    ASSERT_EQ(SaveRecordFile(dir / "link.bin", data.data(), 64).outcome, SaveOutcome::Saved);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.bin"));
    EXPECT_EQ(ReadBytes(dir / "real.bin"), data);
    struct stat info {};
    ASSERT_EQ(::stat((dir / "real.bin").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

// These fail for root too, so they hold wherever the tests run.
TEST(RecordSave, ATargetThatCannotBeAFileIsNotCreated) {
    ScratchDir dir;
    const auto data = RandomImage(16, 3);
    std::filesystem::create_directory(dir / "folder.bin");
    auto result = SaveRecordFile(dir / "folder.bin", data.data(), 16);
    EXPECT_EQ(result.outcome, SaveOutcome::NotCreated);
    EXPECT_EQ(result.errorText, "Create error: Is a directory");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.bin"));

    WriteFile(dir / "plain", "x");
    result = SaveRecordFile(dir / "plain/out.bin", data.data(), 16);
    EXPECT_EQ(result.outcome, SaveOutcome::NotCreated);
    EXPECT_EQ(result.errorText, "Create error: Not a directory");
    EXPECT_EQ(FolderEntries(dir), (std::vector<std::string>{"folder.bin", "plain"}));
}

TEST(RecordSave, AFailedWriteLeavesTheOldFileIntactAndNoTemporaryBehind) {
    ScratchDir dir;
    const auto data = RandomImage(64 * 1024, 4);
    WriteFile(dir / "keep.mcs", "old contents");

    SaveResult result;
    {
        FileSizeLimit limit(4096);   // writes fail part way
        ASSERT_TRUE(limit.ok);
        result = SaveRecordFile(dir / "keep.mcs", data.data(), 64 * 1024);
    }

    EXPECT_EQ(result.outcome, SaveOutcome::WriteFailed);
    EXPECT_EQ(result.errorText, "Write error: File too large");
    EXPECT_EQ(ReadFile(dir / "keep.mcs"), "old contents");
    EXPECT_EQ(FolderEntries(dir), std::vector<std::string>{"keep.mcs"});
}

// Where a rename would split a hard link or no temporary may be made, the file is rewritten in place.
TEST(RecordSave, AHardLinkedFileIsRewrittenInPlaceAndKeepsItsOtherNames) {
    ScratchDir dir;
    const auto data = RandomImage(64, 5);
    WriteFile(dir / "image.bin", "old contents");
    std::filesystem::create_hard_link(dir / "image.bin", dir / "other.bin");

    ASSERT_EQ(SaveRecordFile(dir / "image.bin", data.data(), 64).outcome, SaveOutcome::Saved);
    EXPECT_EQ(std::filesystem::hard_link_count(dir / "image.bin"), 2u);
    EXPECT_EQ(ReadBytes(dir / "other.bin"), data);
    EXPECT_EQ(FolderEntries(dir), (std::vector<std::string>{"image.bin", "other.bin"}));
}

TEST(RecordSave, AWritableFileInAFolderThatIsNotIsRewrittenInPlace) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes in any folder";
    }
    ScratchDir dir;
    const auto data = RandomImage(64, 6);
    WriteFile(dir / "image.mcs", "old contents");
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);

    EXPECT_EQ(SaveRecordFile(dir / "image.mcs", data.data(), 64).outcome, SaveOutcome::Saved);
    EXPECT_EQ(ReadFile(dir / "image.mcs"), WriteText(data, Format::IntelHex));
    // A new file still needs the folder.
    const SaveResult refused = SaveRecordFile(dir / "new.mcs", data.data(), 64);
    EXPECT_EQ(refused.outcome, SaveOutcome::NotCreated);
    EXPECT_EQ(refused.errorText, "Create error: Permission denied");
    EXPECT_EQ(FolderEntries(dir), std::vector<std::string>{"image.mcs"});
}
