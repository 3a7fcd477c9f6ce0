#include <gtest/gtest.h>

#include <tuple>

#include "buffer/record_test_support.h"

using namespace record_test;

class RecordRoundTrip : public testing::TestWithParam<std::tuple<Format, uint32_t>> {};

// Writing a buffer and reading the file back gives the buffer bit for bit, including sizes
// that are no multiple of a record.
TEST_P(RecordRoundTrip, ReadingBackGivesTheSameBuffer) {
    const auto [format, size] = GetParam();
    const auto original = RandomImage(size, size);
    const std::string text = WriteText(original, format);
    const auto result = ReadText(text, format, size, 0x00);
    EXPECT_EQ(result.count, size);
    EXPECT_EQ(result.status, STATUS_NONE);
    EXPECT_TRUE(result.data == original);
}

INSTANTIATE_TEST_SUITE_P(AllFormats, RecordRoundTrip,
                         testing::Combine(testing::Values(Format::IntelHex, Format::SRecord, Format::Binary),
                                          testing::Values(2268u, 4536u, 2u * 1024 * 1024)));
