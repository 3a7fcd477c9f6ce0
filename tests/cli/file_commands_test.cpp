// devices, convert, checksum and dump: commands that need no programmer.
#include "promtool_harness.h"

namespace {

TEST(DevicesTest, ListsTheCatalogueInOrderOneTypeALine) {
    const PromtoolRun run = Promtool({"devices"});
    ASSERT_EQ(run.status, 0);
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 46u);
    EXPECT_EQ(lines.front(),
              "XC17V16                16777216 bits 2097152 bytes 128-bit words  ID 7C  read 3.3 V  program 3.3 V  extended");
    EXPECT_EQ(lines[15],
              "XC1701L                 1048576 bits  131072 bytes  64-bit words  ID DB  read 3.3 V  program 5.0 V");
    EXPECT_EQ(lines[34],
              "XC1765X or XC1765EL       65536 bits    8192 bytes  32-bit words  ID FC  read 3.3 V  program 5.0 V  extended");
    EXPECT_EQ(lines.back(),
              "XC1718L                   18144 bits    2268 bytes  32-bit words  ID CE  read 3.3 V  program 5.0 V");
}

class FileCommandTest : public PromtoolTest {};

TEST_F(FileCommandTest, ConvertGoesThroughEveryFormatAndBackBitForBit) {
    // 4,536 bytes: the last Intel Hex and S-record lines are short.
    const std::vector<uint8_t> image = RandomImage(4536, 7);
    std::string previous = WriteFile("image.bin", image);
    const PromtoolRun first = Promtool({"convert", previous, PathOf("image.mcs"), "--device", "XC1736D"});
    ASSERT_EQ(first.status, 0) << first.err;
    ASSERT_EQ(Lines(first.out).size(), 1u);
    for (const char* next : {"image.exo", "image.hex", "again.BIN"}) {
        const PromtoolRun run = Promtool({"convert", PathOf("image.mcs"), PathOf(next), "--size", "4536"});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, first.out);
        EXPECT_EQ(run.err, "");
    }
    EXPECT_EQ(ReadBytes(PathOf("again.BIN")), image);
    EXPECT_EQ(ReadFile(PathOf("image.hex")), ReadFile(PathOf("image.mcs")));
    EXPECT_EQ(ReadFile(PathOf("image.mcs")).substr(ReadFile(PathOf("image.mcs")).size() - 11), ":00000001ff");
}

TEST_F(FileCommandTest, ConvertFillsWhatTheFileLeavesWithFFAndShowsTheChecksum) {
    const std::string empty = WriteFile("empty.bin", "");
    const PromtoolRun run = Promtool({"convert", empty, PathOf("out.exo"), "--device", "XC1736D"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Checksum: 0xA648\n");
    const PromtoolRun bytes = Promtool({"checksum", WriteFile("four.bin", std::string("\x00\x01\x02\x03", 4)),
                                        "--size", "4"});
    EXPECT_EQ(bytes.out, "Checksum: 0x0006\n");
    EXPECT_EQ(Promtool({"checksum", PathOf("out.exo"), "--device", "XC1718D"}).out, "Checksum: 0xD324\n");
}

TEST_F(FileCommandTest, LoadWarningsGoToStandardErrorAndEndWithStatusThree) {
    struct Case {
        std::string name;
        std::string contents;
        std::string warning;
    };
    const std::vector<Case> cases = {
        {"long.bin", std::string(20, '\x11'),
         "Program File is larger than device buffer. The file was truncated to fit into the buffer"},
        {"far.exo", "S1050020AA30\r\n", "Address in file is too large for the buffer"},
        {"bad.mcs", ":0400000001020304F0\r\n:00000001FF", "Checksum failed while reading data"},
    };
    for (const Case& c : cases) {
        const std::string in = WriteFile(c.name, c.contents);
        const PromtoolRun convert = Promtool({"convert", in, PathOf("out.bin"), "--size", "16"});
        EXPECT_EQ(convert.status, 3) << c.name;
        EXPECT_EQ(convert.err, "warning: " + c.warning + "\n");
        EXPECT_EQ(Lines(convert.out).size(), 1u);
        // The conversion completes with what the reader stored.
        EXPECT_EQ(ReadBytes(PathOf("out.bin")).size(), 16u);
        EXPECT_EQ(Promtool({"checksum", in, "--size", "16"}).status, 3);
        EXPECT_EQ(Promtool({"dump", in, "--size", "16"}).status, 3);
    }
    // The bytes of the failing record are kept: 01 02 03 04 then 0xFF.
    EXPECT_EQ(Promtool({"dump", PathOf("bad.mcs"), "--size", "16"}).out,
              "000000: 01 02 03 04 FF FF FF FF FF FF FF FF FF FF FF FF \n");
}

TEST_F(FileCommandTest, NamesAndFilesTheStationRefusesAreErrors) {
    const std::string image = WriteFile("image.bin", RandomImage(64, 1));
    const std::string text = WriteFile("image.txt", "not a record file");
    const PromtoolRun badIn = Promtool({"convert", text, PathOf("out.mcs"), "--size", "64"});
    EXPECT_EQ(badIn.status, 1);
    EXPECT_EQ(badIn.err, "error: Valid filetypes are [mcs], [exo] and [bin]\n");
    const PromtoolRun badOut = Promtool({"convert", image, PathOf("out.txt"), "--size", "64"});
    EXPECT_EQ(badOut.status, 1);
    EXPECT_EQ(badOut.err, "error: Valid filetypes are [mcs], [hex], [exo], or [bin]\n");
    EXPECT_FALSE(std::filesystem::exists(PathOf("out.txt")));
    const PromtoolRun missing = Promtool({"dump", PathOf("missing.mcs"), "--size", "64"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err.rfind("error: File could not be Opened: " + PathOf("missing.mcs"), 0), 0u);
    EXPECT_EQ(missing.out, "");
    const PromtoolRun noFolder = Promtool({"convert", image, PathOf("no/such/folder/out.mcs"), "--size", "64"});
    EXPECT_EQ(noFolder.status, 1);
    EXPECT_EQ(noFolder.err.rfind("error: File could not be created: ", 0), 0u);
}

TEST_F(FileCommandTest, ConvertReplacesAnExistingFileWhole) {
    const std::string out = WriteFile("out.bin", std::string(100000, 'x'));
    const std::vector<uint8_t> image = RandomImage(2268, 3);
    ASSERT_EQ(Promtool({"convert", WriteFile("in.bin", image), out, "--device", "XC1718L"}).status, 0);
    EXPECT_EQ(ReadBytes(out), image);
    // Converting a file onto itself works too: the output is written beside it first.
    ASSERT_EQ(Promtool({"convert", out, out, "--size", "2268"}).status, 0);
    EXPECT_EQ(ReadBytes(out), image);
}

TEST_F(FileCommandTest, DumpShowsTheViewersLinesFromTheLineHoldingTheOffset) {
    std::vector<uint8_t> image(40);
    for (size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<uint8_t>(i);
    }
    const std::string in = WriteFile("image.bin", image);
    const PromtoolRun all = Promtool({"dump", in, "--size", "40"});
    EXPECT_EQ(all.status, 0);
    EXPECT_EQ(all.out,
              "000000: 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F \n"
              "000010: 10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F \n"
              "000020: 20 21 22 23 24 25 26 27 \n");
    EXPECT_EQ(Promtool({"dump", in, "--size", "40", "--from", "0x1F"}).out,
              "000010: 10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F \n"
              "000020: 20 21 22 23 24 25 26 27 \n");
    // A buffer of 2,268 bytes ends in a line of 12 bytes at 0008D0.
    const std::vector<std::string> lines = Lines(Promtool({"dump", in, "--device", "XC1718L"}).out);
    ASSERT_EQ(lines.size(), 142u);
    EXPECT_EQ(lines.back(), "0008D0: FF FF FF FF FF FF FF FF FF FF FF FF ");
}

}  // namespace
