#include <gtest/gtest.h>

#include <algorithm>

#include "buffer/record_test_support.h"

using namespace record_test;

namespace {

const std::string kEnd = "S9030000FC";

std::vector<uint8_t> Slice(const std::vector<uint8_t>& bytes, size_t from, size_t to) {
    return {bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.begin() + static_cast<std::ptrdiff_t>(to)};
}

}  // namespace

// --- Writing

TEST(SRecordWrite, ThirtyTwoByteS3RecordsAndTheEndRecordWithoutLineEnd) {
    std::vector<uint8_t> data = Sequence(32);
    data.insert(data.end(), data.begin(), data.end());
    const auto text = WriteText(data, Format::SRecord);
    EXPECT_EQ(text,
              "S32500000000000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1FEA\r\n"
              "S32500000020000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1FCA\r\n"
              "S9030000FC");
}

// Full records are formatted many bytes at a time: every byte value in every place of a record
// must still come out as two upper-case digits, with the right checksum.
TEST(SRecordWrite, EveryByteValueInEveryPlaceOfARecordGivesItsTwoDigits) {
    const auto bytes = EveryValueInEveryPlace(32);
    const auto lines = Lines(WriteText(bytes, Format::SRecord));
    ASSERT_EQ(lines.size(), 256u + 1);
    for (unsigned record = 0; record < 256; ++record) {
        const std::vector<uint8_t> data(bytes.begin() + 32 * record, bytes.begin() + 32 * record + 32);
        ASSERT_EQ(lines[record], SRecordLine(3, 32 * record, data)) << "record " << record;
    }
}

TEST(SRecordWrite, OddBufferSizesEndInAShortRecord) {
    const auto data = RandomImage(4536, 7);
    auto lines = Lines(WriteText(data, Format::SRecord));
    ASSERT_EQ(lines.size(), 142u + 1);
    const std::string last = lines[lines.size() - 2];
    EXPECT_EQ(last.substr(0, 12), "S31D000011A0");
    EXPECT_EQ(last, SRecordLine(3, 0x11A0, Slice(data, 4512, 4536)));
    EXPECT_EQ(lines.back(), kEnd);

    lines = Lines(WriteText(RandomImage(2268, 7), Format::SRecord));
    EXPECT_EQ(lines[lines.size() - 2].substr(0, 12), "S321000008C0");
    EXPECT_EQ(lines[lines.size() - 2].size(), 12u + 56 + 2);
}

// --- Reading

// A file that began with a header record used to load nothing and be reported as loaded.
TEST(SRecordRead, HeaderAndCountRecordsAreSkipped) {
    const std::string text = "S00F000068656C6C6F202020202000003C\r\n" + SRecordLine(1, 0, {1, 2}) + "\r\n" +
                             SRecordLine(5, 1, {}) + "\r\n" + SRecordLine(6, 1, {}) + "\r\n" +
                             SRecordLine(1, 2, {3}) + "\r\n" + "S5030002FA\r\n" + kEnd;
    const auto result = ReadText(text, Format::SRecord, 16);
    EXPECT_EQ(result.count, 3u);
    EXPECT_EQ(result.status, STATUS_NONE);
    EXPECT_EQ(Slice(result.data, 0, 4), (std::vector<uint8_t>{1, 2, 3, 0xFF}));
}

TEST(SRecordRead, EndRecordsAndUnknownTypesEndTheReading) {
    for (const std::string stop : {"S70500000000FA", "S804000000FB", "S9030000FC", "S4030000FC", "S\r\n"}) {
        SCOPED_TRACE(stop);
        const auto result = ReadText(SRecordLine(1, 0, {1}) + "\n" + stop + "\n" + SRecordLine(1, 1, {2}),
                                     Format::SRecord, 16);
        EXPECT_EQ(result.count, 1u);
        EXPECT_EQ(result.status, STATUS_NONE);
        EXPECT_EQ(result.data[1], 0xFF);
    }
}

TEST(SRecordRead, S1S2AndS3RecordsMixWithTheirOwnAddressLengths) {
    std::string lower = SRecordLine(2, 0x010000, {0xAB, 0xCD});
    std::transform(lower.begin() + 1, lower.end(), lower.begin() + 1, [](char c) { return static_cast<char>(std::tolower(c)); });
    const std::string text = SRecordLine(1, 0xFFFF, {1}) + lower + SRecordLine(3, 0x01FFFF, {3}) + kEnd;
    const auto result = ReadText(text, Format::SRecord, 0x20000);
    EXPECT_EQ(result.count, 4u);
    EXPECT_EQ(result.status, STATUS_NONE);
    EXPECT_EQ(result.data[0xFFFF], 1);
    EXPECT_EQ(result.data[0x10000], 0xAB);
    EXPECT_EQ(result.data[0x10001], 0xCD);
    EXPECT_EQ(result.data[0x1FFFF], 3);
}

TEST(SRecordRead, DataPastTheCapacityEndsWithCountCapacityPlusOneAndNoStatus) {
    const std::string text = SRecordLine(1, 0, Sequence(10)) + SRecordLine(1, 0, Sequence(10)) + kEnd;
    const auto result = ReadText(text, Format::SRecord, 16);
    EXPECT_EQ(result.count, 17u);
    EXPECT_EQ(result.status, STATUS_NONE);
    EXPECT_EQ(Slice(result.data, 0, 7), Slice(Sequence(10), 0, 7));
}

TEST(SRecordRead, AnAddressBeyondTheBufferEndsTheReadingWithStatus1) {
    const std::string text = SRecordLine(1, 14, {1, 2, 3, 4}) + SRecordLine(1, 0, {9}) + kEnd;
    const auto result = ReadText(text, Format::SRecord, 16);
    EXPECT_EQ(result.status, STATUS_ADDRESS_RANGE);
    EXPECT_EQ(result.count, 3u);
    EXPECT_EQ(result.data[15], 2);
    EXPECT_EQ(result.data[0], 0xFF);
}

TEST(SRecordRead, ABadChecksumEndsTheReadingKeepingTheFailingRecordsBytes) {
    std::string bad = SRecordLine(1, 4, {5, 6});
    bad.back() = bad.back() == '0' ? '1' : '0';
    const auto result = ReadText(SRecordLine(1, 0, {1, 2}) + bad + SRecordLine(1, 8, {7}) + kEnd, Format::SRecord, 16);
    EXPECT_EQ(result.status, STATUS_CHECKSUM);
    EXPECT_EQ(result.count, 4u);
    EXPECT_EQ(result.data[5], 6);
    EXPECT_EQ(result.data[8], 0xFF);
}

// A full-size image whose last record was corrupt used to load without a word.
TEST(SRecordRead, ABadChecksumIsReportedWhenTheImageFillsTheBuffer) {
    std::string text = SRecordLine(1, 0, Sequence(8)) + SRecordLine(1, 8, Sequence(8));
    text.back() = text.back() == '0' ? '1' : '0';
    const auto result = ReadText(text + kEnd, Format::SRecord, 16);
    EXPECT_EQ(result.count, 16u);
    EXPECT_EQ(result.status, STATUS_CHECKSUM);
}

TEST(SRecordRead, AByteCountBelowTheAddressLengthHoldsNoData) {
    // Byte counts 0, 1 and 2 for an S1 record with its two address bytes.
    const std::string text = "S1000000FF" "S1010000FE" "S1020000FD" + SRecordLine(1, 3, {0x42}) + kEnd;
    const auto result = ReadText(text, Format::SRecord, 16);
    EXPECT_EQ(result.count, 1u);
    EXPECT_EQ(result.data[3], 0x42);
}

TEST(SRecordRead, AnS3AddressNearFourGiBIsOutOfRange) {
    const auto result = ReadText(SRecordLine(3, 0xFFFFFFFE, {1, 2, 3, 4}) + kEnd, Format::SRecord, 16);
    EXPECT_EQ(result.status, STATUS_ADDRESS_RANGE);
    EXPECT_EQ(result.count, 1u);
    EXPECT_EQ(result.data, std::vector<uint8_t>(16, 0xFF));
}

TEST(SRecordRead, OnlyAnUpperCaseSStartsARecordAndNonDigitsCountAs255) {
    // "S1" found inside "sS1": the lower-case s is noise.
    auto result = ReadText("s junk sS104000001FA" + kEnd, Format::SRecord, 16);
    EXPECT_EQ(result.status, STATUS_NONE);
    EXPECT_EQ(result.data[0], 0x01);

    // "G1" reads as 255 x 16 + 1 = 0xF1 (and then fails the checksum).
    result = ReadText("S1040000G1FA" + kEnd, Format::SRecord, 16);
    EXPECT_EQ(result.data[0], 0xF1);
    EXPECT_EQ(result.status, STATUS_CHECKSUM);
}

TEST(SRecordRead, AFileCutAnywhereGivesADeterministicResult) {
    const std::string record1 = SRecordLine(1, 0, {0x11, 0x22, 0x33});
    const std::string record2 = SRecordLine(1, 3, {0x44});
    const std::string text = record1 + "\r\n" + record2 + "\r\n" + kEnd;
    const size_t start2 = record1.size() + 2;
    const std::vector<uint8_t> expected = {0x11, 0x22, 0x33, 0x44};

    for (size_t cut = 0; cut <= text.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        const auto zeros = ReadText(text.substr(0, cut), Format::SRecord, 8, 0x00);
        const auto ones = ReadText(text.substr(0, cut), Format::SRecord, 8, 0xFF);
        EXPECT_EQ(zeros.count, ones.count);
        EXPECT_EQ(zeros.status, ones.status);
        for (size_t i = 0; i < 8; ++i) {
            if (zeros.data[i] != 0x00 || ones.data[i] != 0xFF) {
                ASSERT_LT(i, expected.size());
                EXPECT_EQ(zeros.data[i], expected[i]);
                EXPECT_EQ(ones.data[i], expected[i]);
            }
        }
        // Cut after the type digit of a data record: the record cannot be checked.
        const bool insideData = (cut > 1 && cut < record1.size()) || (cut > start2 + 1 && cut < start2 + record2.size());
        EXPECT_EQ(ones.status, insideData ? STATUS_CHECKSUM : STATUS_NONE);
    }
}

TEST(SRecordRead, ANullBufferReadsNothing) {
    ScratchDir dir;
    WriteFile(dir / "in.exo", SRecordLine(1, 0, {1}) + kEnd);
    RecordFile file;
    ASSERT_TRUE(file.Open(dir / "in.exo"));
    uint32_t status = STATUS_NONE;
    EXPECT_EQ(file.TransferSRecord(nullptr, 16, status, TRANSFER_READ), 0u);
}

TEST(HexCharacters, ValueAndDigitAreInverseAndRejectTheRest) {
    for (unsigned value = 0; value < 16; ++value) {
        EXPECT_EQ(HexValue(HexDigit(value)), value);
        EXPECT_EQ(HexValue(std::tolower(HexDigit(value))), value);
    }
    EXPECT_EQ(HexDigit(10), 'A');
    EXPECT_EQ(HexDigit(16), 255);
    EXPECT_EQ(HexDigit(255), 255);
    for (const int c : std::initializer_list<int>{'G', 'g', ' ', ':', '/', '@', 0, 255, -1}) {
        EXPECT_EQ(HexValue(c), 255) << c;
    }
}
