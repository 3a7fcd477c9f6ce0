#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "buffer/record_test_support.h"

using namespace record_test;

namespace {

const std::string kEnd = ":00000001FF";

std::string Repeat(char c, size_t n) { return std::string(n, c); }

}  // namespace

// --- Writing

TEST(IntelHexWrite, SixteenBytesGiveOneLineAndTheLowerCaseEndRecord) {
    EXPECT_EQ(WriteText(Sequence(16), Format::IntelHex),
              ":10000000000102030405060708090A0B0C0D0E0F78\r\n:00000001ff");
}

// Full records are formatted many bytes at a time: every byte value in every place of a record
// must still come out as two upper-case digits, with the right checksum.
TEST(IntelHexWrite, EveryByteValueInEveryPlaceOfARecordGivesItsTwoDigits) {
    const auto bytes = EveryValueInEveryPlace(16);
    const auto lines = Lines(WriteText(bytes, Format::IntelHex));
    ASSERT_EQ(lines.size(), 256u + 1);
    for (unsigned record = 0; record < 256; ++record) {
        const std::vector<uint8_t> data(bytes.begin() + 16 * record, bytes.begin() + 16 * record + 16);
        ASSERT_EQ(lines[record], IntelRecord(0, 16 * record, data)) << "record " << record;
    }
}

TEST(IntelHexWrite, OneHundredTwentyEightKiBOfFFHasASegmentRecordBetweenTheHalves) {
    const auto lines = Lines(WriteText(std::vector<uint8_t>(128 * 1024, 0xFF), Format::IntelHex));
    ASSERT_EQ(lines.size(), 8192u + 1 + 1);
    EXPECT_EQ(lines[0], ":10000000" + Repeat('F', 32) + "00");
    EXPECT_EQ(lines[4095], ":10FFF000" + Repeat('F', 32) + "11");
    EXPECT_EQ(lines[4096], ":020000040001F9");
    EXPECT_EQ(lines[4097], ":10000000" + Repeat('F', 32) + "00");
    EXPECT_EQ(lines[8192], ":10FFF000" + Repeat('F', 32) + "11");
    EXPECT_EQ(lines[8193], ":00000001ff");
}

TEST(IntelHexWrite, SegmentRecordsCarryTheirOwnChecksums) {
    const auto lines = Lines(WriteText(std::vector<uint8_t>(0x30000 + 1, 0), Format::IntelHex));
    EXPECT_EQ(lines[4096], ":020000040001F9");
    EXPECT_EQ(lines[2 * 4096 + 1], ":020000040002F8");
    EXPECT_EQ(lines[3 * 4096 + 2], ":020000040003F7");
    EXPECT_EQ(lines[3 * 4096 + 3], ":0100000000FF");
}

TEST(IntelHexWrite, OddBufferSizesEndInAShortRecord) {
    auto lines = Lines(WriteText(Sequence(4536), Format::IntelHex));
    ASSERT_EQ(lines.size(), 284u + 1);
    EXPECT_EQ(lines[lines.size() - 2].substr(0, 9), ":0811B000");
    EXPECT_EQ(lines[lines.size() - 2], IntelRecord(0, 0x11B0, {0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7}));
    EXPECT_EQ(lines.back(), ":00000001ff");

    lines = Lines(WriteText(Sequence(2268), Format::IntelHex));
    EXPECT_EQ(lines[lines.size() - 2].substr(0, 9), ":0C08D000");
    EXPECT_EQ(lines[lines.size() - 2].size(), 9u + 24 + 2);
}

// --- Reading

TEST(IntelHexRead, TheEndRecordAloneLoadsNothing) {
    const auto result = ReadText(":00000001FF", Format::IntelHex, 4536);
    EXPECT_EQ(result.count, 0u);
    EXPECT_EQ(result.status, STATUS_NONE);
    EXPECT_EQ(result.data, std::vector<uint8_t>(4536, 0xFF));
}

TEST(IntelHexRead, AcceptsLowerCaseDigitsAndAnythingBetweenRecords) {
    std::string lower = IntelRecord(0, 0, {0x01, 0xAB, 0x02, 0xCD});
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    const std::string text = "junk\n" + lower + " garbage " + IntelRecord(0, 4, {0x12, 0x34}) + "\r\n\r\n" + kEnd;
    const auto result = ReadText(text, Format::IntelHex, 16);
    EXPECT_EQ(result.count, 6u);
    EXPECT_EQ(result.status, STATUS_NONE);
    EXPECT_EQ(std::vector<uint8_t>(result.data.begin(), result.data.begin() + 7),
              (std::vector<uint8_t>{0x01, 0xAB, 0x02, 0xCD, 0x12, 0x34, 0xFF}));
}

TEST(IntelHexRead, AZeroLengthDataRecordEndsTheReadingOnceItsChecksumIsChecked) {
    const std::string after = IntelRecord(0, 0, {0x55});
    auto result = ReadText(":0000000000" + after, Format::IntelHex, 16);
    EXPECT_EQ(result.status, STATUS_NONE);
    EXPECT_EQ(result.data[0], 0xFF);

    result = ReadText(":0000000001" + after, Format::IntelHex, 16);
    EXPECT_EQ(result.status, STATUS_CHECKSUM);
    EXPECT_EQ(result.data[0], 0xFF);
}

TEST(IntelHexRead, OtherRecordTypesAreSkipped) {
    const std::string text = IntelRecord(0, 0, {1}) + IntelRecord(5, 0, {0, 0, 1, 0}) +
                             IntelRecord(3, 0, {0x12, 0x34, 0, 0}) + IntelRecord(0, 1, {2}) + kEnd;
    const auto result = ReadText(text, Format::IntelHex, 16);
    EXPECT_EQ(result.count, 2u);
    EXPECT_EQ(result.status, STATUS_NONE);
    EXPECT_EQ(result.data[0], 1);
    EXPECT_EQ(result.data[1], 2);
}

TEST(IntelHexRead, ARecordRunsOnAcrossThe64KiBBoundary) {
    const auto bytes = Sequence(16);
    const auto result = ReadText(":020000040001F9" + IntelRecord(0, 0xFFF8, bytes) + kEnd, Format::IntelHex, 0x40000);
    EXPECT_EQ(result.status, STATUS_NONE);
    EXPECT_EQ(std::vector<uint8_t>(result.data.begin() + 0x1FFF8, result.data.begin() + 0x20008), bytes);
    EXPECT_EQ(result.data[0x1FFF7], 0xFF);
    EXPECT_EQ(result.data[0x20008], 0xFF);
}

TEST(IntelHexRead, SegmentRecordsShiftByFourBits) {
    const auto result = ReadText(IntelRecord(2, 0, {0x10, 0x00}) + IntelRecord(0, 0x0004, {0xAA}) + kEnd,
                                 Format::IntelHex, 0x20000);
    EXPECT_EQ(result.data[0x10004], 0xAA);
}

TEST(IntelHexRead, AddressRecordChecksumsAreNotChecked) {
    const auto result = ReadText(":02000004000000" + IntelRecord(0, 0, {0x42}) + kEnd, Format::IntelHex, 16);
    EXPECT_EQ(result.status, STATUS_NONE);
    EXPECT_EQ(result.data[0], 0x42);
}

TEST(IntelHexRead, ABadChecksumKeepsWhatCameBeforeAndTheFailingRecordsBytes) {
    std::string third = IntelRecord(0, 0x20, {7, 8, 9, 10});
    third.back() = third.back() == '0' ? '1' : '0';
    const std::string text = IntelRecord(0, 0x00, {1, 2}) + "\r\n" + IntelRecord(0, 0x10, {3, 4}) + "\r\n" + third +
                             "\r\n" + IntelRecord(0, 0x30, {5}) + "\r\n" + kEnd;
    const auto result = ReadText(text, Format::IntelHex, 64);
    EXPECT_EQ(result.status, STATUS_CHECKSUM);
    EXPECT_EQ(result.count, 8u);
    EXPECT_EQ(result.data[0x01], 2);
    EXPECT_EQ(result.data[0x11], 4);
    EXPECT_EQ(result.data[0x23], 10);
    EXPECT_EQ(result.data[0x30], 0xFF);
}

TEST(IntelHexRead, MoreDataThanTheBufferIsCountedToTheEndOfTheFile) {
    std::string text;
    for (unsigned offset = 0; offset < 64; offset += 16) {
        text += IntelRecord(0, offset, Sequence(16)) + "\r\n";
    }
    const auto result = ReadText(text + kEnd, Format::IntelHex, 40);
    EXPECT_EQ(result.count, 64u);
    EXPECT_EQ(result.data[39], 7);
}

// A byte beyond the buffer used to be dropped without a word, loading a partial image silently.
TEST(IntelHexRead, ABytePastTheBufferIsDroppedAndReportedAndTheReadingGoesOn) {
    const std::string text = IntelRecord(0, 0x0E, {1, 2, 3, 4}) + IntelRecord(0, 0, {9}) + kEnd;
    auto result = ReadText(text, Format::IntelHex, 16);
    EXPECT_EQ(result.status, STATUS_ADDRESS_RANGE);
    EXPECT_EQ(result.count, 5u);
    EXPECT_EQ(result.data[14], 1);
    EXPECT_EQ(result.data[15], 2);
    EXPECT_EQ(result.data[0], 9);   // read on after the dropped bytes

    // A later bad checksum speaks instead.
    result = ReadText(IntelRecord(0, 0x0E, {1, 2, 3, 4}) + ":0100010077FF" + kEnd, Format::IntelHex, 16);
    EXPECT_EQ(result.status, STATUS_CHECKSUM);
}

TEST(IntelHexRead, HighLinearAddressesNeitherOverflowNorWriteOutsideTheBuffer) {
    // Base 0x80000000: every byte lies far beyond the buffer.
    auto result = ReadText(IntelRecord(4, 0, {0x80, 0x00}) + IntelRecord(0, 0x10, {1, 2}) + kEnd, Format::IntelHex, 64);
    EXPECT_EQ(result.status, STATUS_ADDRESS_RANGE);
    EXPECT_EQ(result.count, 2u);
    EXPECT_EQ(result.data, std::vector<uint8_t>(64, 0xFF));

    // Base + offset wraps at 4 GiB, as linear addresses of the format do: the last eight bytes
    // of this record land at 0 to 7.
    result = ReadText(IntelRecord(4, 0, {0xFF, 0xFF}) + IntelRecord(0, 0xFFF8, Sequence(16)) + kEnd,
                      Format::IntelHex, 64);
    EXPECT_EQ(result.status, STATUS_ADDRESS_RANGE);
    EXPECT_EQ(std::vector<uint8_t>(result.data.begin(), result.data.begin() + 9),
              (std::vector<uint8_t>{8, 9, 10, 11, 12, 13, 14, 15, 0xFF}));
}

// A file that ends anywhere gives one result: only complete bytes reach the buffer, the count
// and status do not depend on what the buffer held, and a data record cut short is reported as
// a failed checksum.
TEST(IntelHexRead, AFileCutAnywhereGivesADeterministicResult) {
    const std::vector<uint8_t> first = {0x11, 0x22, 0x33, 0x44};
    const std::vector<uint8_t> second = {0x55, 0x66};
    const std::string record1 = IntelRecord(0, 0, first);
    const std::string record2 = IntelRecord(0, 4, second);
    const std::string text = record1 + "\r\n" + record2 + "\r\n" + kEnd;
    const size_t start2 = record1.size() + 2;
    const size_t startEnd = start2 + record2.size() + 2;
    const std::vector<uint8_t> expected = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66};

    for (size_t cut = 0; cut <= text.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        const auto zeros = ReadText(text.substr(0, cut), Format::IntelHex, 8, 0x00);
        const auto ones = ReadText(text.substr(0, cut), Format::IntelHex, 8, 0xFF);
        EXPECT_EQ(zeros.count, ones.count);
        EXPECT_EQ(zeros.status, ones.status);
        for (size_t i = 0; i < 8; ++i) {
            if (zeros.data[i] != 0x00 || ones.data[i] != 0xFF) {
                ASSERT_LT(i, expected.size());
                EXPECT_EQ(zeros.data[i], expected[i]);
                EXPECT_EQ(ones.data[i], expected[i]);
            }
        }
        const bool insideData = (cut > 0 && cut < record1.size()) || (cut > start2 && cut < start2 + record2.size());
        const bool beforeEndType = cut > startEnd && cut < startEnd + 9;
        EXPECT_EQ(ones.status, insideData || beforeEndType ? STATUS_CHECKSUM : STATUS_NONE);
        // A data byte reaches the buffer once both of its digits are there.
        const size_t dataStart = 9;
        if (cut >= dataStart && cut < record1.size()) {
            const size_t complete = std::min<size_t>((cut - dataStart) / 2, first.size());
            for (size_t i = 0; i < first.size(); ++i) {
                EXPECT_EQ(ones.data[i], i < complete ? first[i] : 0xFF);
            }
        }
    }
}

// Records are read in place where the read block holds the whole of them and character by
// character where they may run past its end or the file's. Both ways must give the
// same result for any record, so each one here is read from the start of a file and again
// placed to lie across or just before the end of the first block.
TEST(IntelHexRead, ARecordReadsTheSameWhereverItLiesInTheFile) {
    constexpr uint32_t kCapacity = 64;
    const std::string follower = IntelRecord(0, 0x0000, {0xA1, 0xB2, 0xC3, 0xD4});
    std::string withNonDigits = IntelRecord(0, 0x0010, Sequence(16));
    withNonDigits[12] = 'G';
    withNonDigits[20] = 'z';
    withNonDigits[25] = ' ';
    std::string badLength = IntelRecord(0, 0x0010, Sequence(8));
    badLength[2] = 'x';
    std::string lowerCase = IntelRecord(0, 0x0020, {0xAB, 0xCD, 0xEF});
    std::transform(lowerCase.begin(), lowerCase.end(), lowerCase.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    std::string badChecksum = IntelRecord(0, 0x0008, Sequence(16));
    badChecksum.back() = badChecksum.back() == '0' ? '1' : '0';
    const std::vector<std::string> records = {
        IntelRecord(0, 0x0010, Sequence(16)),
        badChecksum,
        withNonDigits,
        badLength,
        lowerCase,
        IntelRecord(0, 0x0038, Sequence(16)),                                // runs past the buffer
        IntelRecord(0, 0x0000, std::vector<uint8_t>(255, 0x5A)),              // the longest record
        IntelRecord(0, 0x0004, {}),                                          // ends the reading
        IntelRecord(4, 0, {0xFF, 0xFF}) + IntelRecord(0, 0xFFFC, Sequence(8)),   // wraps at 4 GiB
        IntelRecord(2, 0, {0x00, 0x02}) + IntelRecord(0, 0x0000, Sequence(4)),   // segment 0x20
        IntelRecord(3, 0, {1, 2, 3, 4}) + IntelRecord(5, 0, {1, 2, 3, 4}),
        kEnd,
    };
    // Where the record's ':' lies, counted back from the end of the first block.
    const std::vector<size_t> fromBlockEnd = {1, 2, 3, 4, 5, 8, 9, 10, 17, 40, 100, 519, 520, 521, 522, 523, 600};
    for (size_t r = 0; r < records.size(); ++r) {
        SCOPED_TRACE("record " + std::to_string(r) + ": " + records[r].substr(0, 40));
        const std::string rest = records[r] + "\r\n" + follower + "\r\n" + kEnd + std::string(600, '\n');
        const auto reference = ReadText(rest, Format::IntelHex, kCapacity);
        for (size_t back : fromBlockEnd) {
            SCOPED_TRACE("':' " + std::to_string(back) + " before the block's end");
            std::string padding(RecordFile::kBlockSize - back, ' ');
            for (size_t i = 80; i < padding.size(); i += 81) {
                padding[i] = '\n';
            }
            const auto placed = ReadText(padding + rest, Format::IntelHex, kCapacity);
            EXPECT_EQ(placed.count, reference.count);
            EXPECT_EQ(placed.status, reference.status);
            EXPECT_EQ(placed.data, reference.data);
        }
    }
}

// Full records of plain digits are decoded many characters at a time. One character that is
// not a digit, anywhere in the data, must still give the byte ReadHexField gives: the code of
// the character in its place. Each record's checksum is made to match, so all are read.
TEST(IntelHexRead, ANonDigitAnywhereInAFullRecordReadsByItsCode) {
    const std::string odd = "Gg@`/:[{ \x7f\x80\xc1\xe6\xff";
    const auto code = [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return static_cast<unsigned>(std::isxdigit(u) ? (std::isdigit(u) ? u - '0' : (u | 0x20) - 'a' + 10) : u);
    };
    std::string text;
    std::vector<uint8_t> expected;
    for (char c : odd) {
        for (size_t place = 0; place < 32; ++place) {
            const auto offset = static_cast<unsigned>(expected.size());
            std::string digits;
            for (size_t i = 0; i < 32; ++i) {
                digits += "0123456789ABCDEFabcdef"[(i * 7 + place) % 22];
            }
            digits[place] = c;
            unsigned sum = 16 + (offset >> 8) + (offset & 0xFF);
            for (size_t i = 0; i < 32; i += 2) {
                const auto value = static_cast<uint8_t>((code(digits[i]) << 4) | (code(digits[i + 1]) & 15));
                expected.push_back(value);
                sum += value;
            }
            text += ":10" + HexByte(offset >> 8) + HexByte(offset & 0xFF) + "00" + digits + HexByte((0u - sum) & 0xFF) + "\r\n";
        }
    }
    text += kEnd + std::string(600, '\n');
    const auto result = ReadText(text, Format::IntelHex, static_cast<uint32_t>(expected.size()));
    EXPECT_EQ(result.status, STATUS_NONE);
    EXPECT_EQ(result.count, expected.size());
    EXPECT_EQ(result.data, expected);
}

TEST(IntelHexRead, ReadHexFieldKeepsTheCodeOfNonDigitsAndIsBigEndian) {
    ScratchDir dir;
    WriteFile(dir / "fields", "1234aBG0z");
    RecordFile file;
    ASSERT_TRUE(file.Open(dir / "fields"));
    EXPECT_EQ(file.ReadHexField(2), 0x1234);
    EXPECT_EQ(file.ReadHexField(1), 0xAB);
    EXPECT_EQ(file.ReadHexField(1), ('G' * 16) & 0xFF);
    EXPECT_FALSE(file.AtEnd());
    file.ReadHexField(1);
    EXPECT_TRUE(file.AtEnd());
}

TEST(IntelHexRead, ANullBufferOrAnUnknownDirectionDoesNothing) {
    ScratchDir dir;
    WriteFile(dir / "in.hex", IntelRecord(0, 0, {1}) + kEnd);
    RecordFile file;
    ASSERT_TRUE(file.Open(dir / "in.hex"));
    uint32_t status = STATUS_NONE;
    EXPECT_EQ(file.TransferIntelHex(nullptr, 16, status, TRANSFER_READ), 0u);
    std::vector<uint8_t> data(16, 0xFF);
    EXPECT_EQ(file.TransferIntelHex(data.data(), 16, status, 2), 0u);
    EXPECT_EQ(data[0], 0xFF);

    ASSERT_TRUE(file.Create(dir / "out.hex"));
    file.TransferIntelHex(data.data(), 16, status, 2);
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(ReadFile(dir / "out.hex"), "");
}
