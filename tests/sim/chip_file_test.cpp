// Virtual chip files: round trips and rejected input.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "sequences.h"

namespace {

class ChipFile : public ::testing::Test {
protected:
    void SetUp() override {
        directory = std::filesystem::temp_directory_path() /
                    ("sim_chip_file_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(directory);
        path = (directory / "part.chip").string();
    }
    void TearDown() override { std::filesystem::remove_all(directory); }

    void WriteFile(const std::string& text) {
        std::ofstream out(path, std::ios::binary);
        out << text;
    }
    std::string ReadFile() {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static std::string Header(const std::string& type, const char* flags = "reset=0\nexpress=0\nbusy=0\n") {
        return "PROM-SIM CHIP 1\ntype=" + type + "\n" + flags + "\n";
    }
    // Loading must fail, say something, and leave the part as it was.
    void ExpectRejected(const std::string& fileText, const std::string& errorPart) {
        WriteFile(fileText);
        sim::SimulatedProm part;
        part.type = CatalogType("XC1765D");
        std::string error;
        EXPECT_FALSE(sim::LoadChipFile(path, part, error));
        EXPECT_NE(error.find(errorPart), std::string::npos) << error;
        EXPECT_EQ(part.type.name, "XC1765D");
        EXPECT_TRUE(part.contents.empty());
    }

    std::filesystem::path directory;
    std::string path;
};

TEST_F(ChipFile, RoundTripKeepsTypeContentsAndOptionBits) {
    sim::SimulatedProm saved;
    saved.type = CatalogType("XC17256X or XC17256EL");
    saved.contents = RandomImage(saved.type.sizeBits / 8, 31);
    saved.contents[0] = '\n';   // raw bytes, not text
    saved.resetProgrammed = true;
    saved.busyProgrammed = true;
    std::string error;
    ASSERT_TRUE(sim::SaveChipFile(path, saved, error)) << error;

    sim::SimulatedProm loaded;
    ASSERT_TRUE(sim::LoadChipFile(path, loaded, error)) << error;
    EXPECT_EQ(loaded.type.name, saved.type.name);
    EXPECT_EQ(loaded.type.idCode, 0xAC);
    EXPECT_EQ(loaded.contents, saved.contents);
    EXPECT_TRUE(loaded.resetProgrammed);
    EXPECT_FALSE(loaded.expressProgrammed);
    EXPECT_TRUE(loaded.busyProgrammed);
}

TEST_F(ChipFile, FileIsTheDocumentedHeaderThenRawBytes) {
    sim::SimulatedProm part;
    part.type = CatalogType("XC1718L");
    part.contents.assign(2268, 0xFF);
    part.contents[1] = 0x00;
    std::string error;
    ASSERT_TRUE(sim::SaveChipFile(path, part, error)) << error;
    const std::string expectedHeader = Header("XC1718L");
    const std::string text = ReadFile();
    ASSERT_EQ(text.size(), expectedHeader.size() + 2268);
    EXPECT_EQ(text.substr(0, expectedHeader.size()), expectedHeader);
    EXPECT_EQ(static_cast<uint8_t>(text[expectedHeader.size() + 1]), 0x00);
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
}

TEST_F(ChipFile, SavedPartWorksInTheProgrammer) {
    SimBench first("XC1765D");
    const PromDevice& type = CatalogType("XC1765D");
    const std::vector<uint8_t> image = RandomImage(type.sizeBits / 8, 32);
    ASSERT_EQ(first.port.ProgramArray(type, image), -1);
    std::string error;
    ASSERT_TRUE(sim::SaveChipFile(path, *first.programmer.Part(), error)) << error;

    sim::SimulatedProm loaded;
    ASSERT_TRUE(sim::LoadChipFile(path, loaded, error)) << error;
    SimBench second;
    second.programmer.InsertPart(loaded);
    EXPECT_EQ(second.port.Identify(), "XC1765D");
    EXPECT_EQ(second.port.ReadSerial(type, true), image);
}

TEST_F(ChipFile, RejectsBrokenFiles) {
    const std::string blank(2268, '\xFF');
    ExpectRejected("", "not a chip file");
    ExpectRejected(std::string(5000, '\0'), "not a chip file");
    ExpectRejected("PROM-SIM CHIP 2\n", "not a chip file");
    ExpectRejected(Header("XC9999") + blank, "unknown PROM type 'XC9999'");
    ExpectRejected(Header("xc1718l") + blank, "unknown PROM type");
    ExpectRejected(Header("XC1718L") + blank.substr(1), "2267 bytes, XC1718L needs 2268");
    ExpectRejected(Header("XC1718L") + blank + "x", "2269 bytes");
    ExpectRejected(Header("XC1718L", "reset=2\nexpress=0\nbusy=0\n") + blank, "reset must be 0 or 1");
    ExpectRejected(Header("XC1718L", "reset=0\nbusy=0\nexpress=0\n") + blank, "express=");
    ExpectRejected(Header("XC1718L", "reset=0\nexpress=1\nbusy=0\n") + blank, "no express or busy bit");
    ExpectRejected("PROM-SIM CHIP 1\ntype=XC1718L\nreset=0\nexpress=0\nbusy=0\n" + blank, "empty line");
    ExpectRejected("PROM-SIM CHIP 1\ntype=XC1718L", "type=NAME");
}

TEST_F(ChipFile, RejectsMissingAndOversizedFiles) {
    sim::SimulatedProm part;
    std::string error;
    EXPECT_FALSE(sim::LoadChipFile((directory / "none.chip").string(), part, error));
    EXPECT_NE(error.find("cannot open"), std::string::npos);
    ExpectRejected(Header("XC17V16") + std::string(2097152 + 2000, '\0'), "too large");
}

TEST_F(ChipFile, SaveRefusesPartsThatCouldNotBeLoadedAgain) {
    sim::SimulatedProm part;
    part.type = CatalogType("XC1765D");
    std::string error;
    EXPECT_FALSE(sim::SaveChipFile(path, part, error));   // no contents
    EXPECT_NE(error.find("holds 0 bytes"), std::string::npos) << error;

    part.contents.assign(8192, 0xFF);
    part.type.idCode = 0x12;   // a type of its own under a catalogue name
    EXPECT_FALSE(sim::SaveChipFile(path, part, error));
    EXPECT_NE(error.find("not a catalogue type"), std::string::npos) << error;

    part.type = CatalogType("XC1765D");
    part.expressProgrammed = true;
    EXPECT_FALSE(sim::SaveChipFile(path, part, error));
    EXPECT_FALSE(std::filesystem::exists(path));

    part.expressProgrammed = false;
    EXPECT_FALSE(sim::SaveChipFile((directory / "no" / "such" / "dir.chip").string(), part, error));
    EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
}

}  // namespace
