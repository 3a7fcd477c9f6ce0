#include "platform/profile_file.h"
#include "platform/profile_path.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using platform::GetPrivateProfileInt;
using platform::WritePrivateProfileString;

namespace {

class ProfileFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("profile_test_" + std::to_string(getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        path = (folder / "station.ini").string();
    }
    void TearDown() override { fs::remove_all(folder); }

    void WriteFile(const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    std::string ReadFile() {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }
    uint32_t PortAddress(uint32_t defaultValue = 888) {
        return GetPrivateProfileInt("Settings", "Port Address", defaultValue, path);
    }

    fs::path folder;
    std::string path;
};

TEST_F(ProfileFileTest, MissingFileSectionOrKeyGiveTheDefault) {
    EXPECT_EQ(PortAddress(), 888u);
    WriteFile("[Other]\nPort Address=632\n");
    EXPECT_EQ(PortAddress(), 888u);
    WriteFile("[Settings]\nPort=632\n[Other]\nPort Address=632\n");
    EXPECT_EQ(PortAddress(), 888u);
    WriteFile("[Settings]\nPort Address=\n");
    EXPECT_EQ(PortAddress(), 888u);
}

TEST_F(ProfileFileTest, ReadsTheKeyOfItsOwnSectionIgnoringCaseAndSpaces) {
    WriteFile("; station settings\n[Window]\nPort Address=1\n\n[ settings ]\n  port address  =  632  \n");
    EXPECT_EQ(PortAddress(), 632u);
}

TEST_F(ProfileFileTest, ReadsNumbersAsTheOriginalPlatformDoes) {
    WriteFile("[Settings]\nPort Address=70000\n");
    EXPECT_EQ(PortAddress(), 70000u);
    WriteFile("[Settings]\nPort Address=4294967297\n");
    EXPECT_EQ(PortAddress(), 1u);
    WriteFile("[Settings]\nPort Address=-1\n");
    EXPECT_EQ(PortAddress(), 0xFFFFFFFFu);
    WriteFile("[Settings]\nPort Address=956 (old LPT1)\n");
    EXPECT_EQ(PortAddress(), 956u);
    WriteFile("[Settings]\nPort Address=0x378\n");
    EXPECT_EQ(PortAddress(), 0u);
    WriteFile("[Settings]\nPort Address=lpt1\n");
    EXPECT_EQ(PortAddress(), 0u);
}

TEST_F(ProfileFileTest, WritingCreatesFolderFileAndSection) {
    path = (folder / "new" / "deeper" / "station.ini").string();
    ASSERT_TRUE(WritePrivateProfileString("Settings", "Port Address", "888", path));
    EXPECT_EQ(ReadFile(), "[Settings]\nPort Address=888\n");
    EXPECT_EQ(PortAddress(0), 888u);
}

TEST_F(ProfileFileTest, WritingChangesOnlyTheKeyLine) {
    const std::string before =
        "; kept comment\n[Window]\nPort Address=1\n\n[Settings]\nColour=blue\nport address = 632\nLast=1\n\n[Tail]\nx=y";
    WriteFile(before);
    ASSERT_TRUE(WritePrivateProfileString("Settings", "Port Address", "956", path));
    EXPECT_EQ(ReadFile(),
              "; kept comment\n[Window]\nPort Address=1\n\n[Settings]\nColour=blue\nPort Address=956\nLast=1\n\n[Tail]\nx=y\n");
}

TEST_F(ProfileFileTest, MissingKeyGoesAfterTheLastLineOfItsSection) {
    WriteFile("[Settings]\nColour=blue\n\n[Tail]\nx=y\n");
    ASSERT_TRUE(WritePrivateProfileString("Settings", "Port Address", "632", path));
    EXPECT_EQ(ReadFile(), "[Settings]\nColour=blue\nPort Address=632\n\n[Tail]\nx=y\n");

    WriteFile("[Tail]\nx=y\n");
    ASSERT_TRUE(WritePrivateProfileString("Settings", "Port Address", "632", path));
    EXPECT_EQ(ReadFile(), "[Tail]\nx=y\n\n[Settings]\nPort Address=632\n");
}

TEST_F(ProfileFileTest, KeepsWindowsLineEnds) {
    WriteFile("[Settings]\r\nPort Address=888\r\n[Tail]\r\nx=y\r\n");
    ASSERT_TRUE(WritePrivateProfileString("Settings", "Port Address", "632", path));
    EXPECT_EQ(ReadFile(), "[Settings]\r\nPort Address=632\r\n[Tail]\r\nx=y\r\n");
    EXPECT_EQ(PortAddress(), 632u);
}

TEST_F(ProfileFileTest, AFailedWriteLeavesTheFileAlone) {
    WriteFile("[Settings]\nPort Address=632\n");
    fs::create_directory(path + ".new");   // the replacement cannot be written
    fs::create_directory(path + ".new/x");
    EXPECT_FALSE(WritePrivateProfileString("Settings", "Port Address", "956", path));
    EXPECT_EQ(ReadFile(), "[Settings]\nPort Address=632\n");
}

TEST(ProfileFileLocation, FollowsTheXdgConfigurationFolder) {
    const char* savedConfig = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = savedConfig ? savedConfig : "";
    const char* home = std::getenv("HOME");
    ASSERT_NE(home, nullptr);

    setenv("XDG_CONFIG_HOME", "/tmp/config-here", 1);
    EXPECT_EQ(platform::ProfileFilePath("promstation"), "/tmp/config-here/promstation.ini");
    setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    EXPECT_EQ(platform::ProfileFilePath("promstation"), std::string(home) + "/.config/promstation.ini");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(platform::ProfileFilePath("promstation-sim"), std::string(home) + "/.config/promstation-sim.ini");

    if (savedConfig) {
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    }
}

TEST(ProfileFileLocation, NamesTheRunningProgram) {
    EXPECT_EQ(platform::ExecutableName(), "test_platform");
}

}  // namespace
