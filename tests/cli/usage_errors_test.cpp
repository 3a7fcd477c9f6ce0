// Command lines that are wrong end with status 2 and say what is wrong, before any file or
// programmer is touched.
#include <cctype>

#include "promtool_harness.h"

namespace {

struct UsageCase {
    std::vector<std::string> args;
    std::string complaint;
};

class UsageErrorTest : public ::testing::TestWithParam<UsageCase> {};

TEST_P(UsageErrorTest, ExitsWithStatusTwoAndSaysWhy) {
    const PromtoolRun run = Promtool(GetParam().args);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("error: " + GetParam().complaint), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Try 'promtool --help'."), std::string::npos);
    EXPECT_EQ(run.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, UsageErrorTest,
    ::testing::Values(
        UsageCase{{}, "no command given"},
        UsageCase{{"erase"}, "unknown command 'erase'"},
        UsageCase{{"devices", "--verbose"}, "unknown option '--verbose'"},
        UsageCase{{"read"}, "read needs FILE"},
        UsageCase{{"convert", "a.mcs"}, "convert needs IN and OUT"},
        UsageCase{{"identify", "extra.bin"}, "unexpected argument 'extra.bin'"},
        UsageCase{{"verify", "a.mcs", "b.mcs"}, "unexpected argument 'b.mcs'"},
        UsageCase{{"--sim", "XC9999", "identify"}, "unknown PROM type 'XC9999'"},
        UsageCase{{"--sim", "XC1765D:", "identify"}, "--sim TYPE:CHIPFILE needs a file name after the colon"},
        UsageCase{{"--sim"}, "--sim needs a value"},
        UsageCase{{"--port", "0xFFFE", "identify"}, "--port must be a port base address"},
        UsageCase{{"--port", "0", "identify"}, "--port must be a port base address"},
        UsageCase{{"--port", "888x", "identify"}, "--port must be"},
        UsageCase{{"--direct", "identify"}, "direct mode on real hardware is --raw"},
        UsageCase{{"--raw", "--sim", "XC1765D", "identify"}, "--raw is for real hardware"},
        UsageCase{{"--raw", "--direct", "identify"}, "--raw runs direct mode already"},
        UsageCase{{"--raw", "ports"}, "--raw is not an option of ports"},
        UsageCase{{"--direct=1", "--sim", "XC1765D", "identify"}, "--direct takes no value"},
        UsageCase{{"--sim", "XC1765D", "--sim", "XC1718L", "blank"}, "--sim is given twice"},
        UsageCase{{"--sim", "XC1765D", "convert", "a.bin", "b.mcs", "--size", "16"},
                  "--sim is not an option of convert"},
        UsageCase{{"--sim", "XC1765D", "verify", "a.bin", "--reset", "low"}, "--reset is not an option of verify"},
        UsageCase{{"checksum", "a.bin", "--size", "16", "--from", "0"}, "--from is not an option of checksum"},
        UsageCase{{"convert", "a.bin", "b.mcs"}, "give the buffer size with --device NAME or --size BYTES"},
        UsageCase{{"dump", "a.bin", "--device", "XC1765D", "--size", "16"}, "give either --device or --size"},
        UsageCase{{"dump", "a.bin", "--size", "0"}, "--size must be a number of bytes"},
        UsageCase{{"dump", "a.bin", "--size", "-5"}, "--size must be a number of bytes"},
        UsageCase{{"dump", "a.bin", "--size", "0x4000001"}, "--size must be a number of bytes"},
        UsageCase{{"dump", "a.bin", "--size=32", "--from=32"}, "--from lies beyond the buffer of 32 bytes"},
        UsageCase{{"dump", "a.bin", "--device", "XC1765Q"}, "unknown PROM type 'XC1765Q'"},
        UsageCase{{"--sim", "XC17V16", "program", "a.bin", "--busy", "pulled"}, "--busy must be floating or pulldown"},
        UsageCase{{"--sim", "XC17V16", "program", "a.bin", "--output", "Parallel"}, "--output must be serial or parallel"},
        UsageCase{{"--sim", "XC17V16", "program", "a.bin", "--reset", "active-low"}, "--reset must be high or low"},
        UsageCase{{"--sim", "XC1765D", "produce", "a.bin"}, "a rehearsal with --sim needs --count N"},
        UsageCase{{"--sim", "XC1765D", "produce", "a.bin", "--count", "0"}, "--count must be a number of parts from 1"},
        UsageCase{{"--sim", "XC1765D", "produce", "a.bin", "--count", "1", "--size", "16"},
                  "--size is not an option of produce"},
        UsageCase{{"--sim", "XC1765D", "produce", "a.bin", "--count", "1", "--log="}, "--log needs a file name"},
        UsageCase{{"--sim", "XC1765D", "program", "a.bin", "--log", "log.csv"}, "--log is not an option of program"},
        UsageCase{{"--sim", "XC17V16", "read", "-"}, "'-' has no name to give its format"},
        UsageCase{{"checksum", "a.bin", "--size", "16", "--format", "bin"}, "--format is for '-'"},
        UsageCase{{"convert", "-", "b.bin", "--size", "16", "--format", "srec"}, "--format must be mcs, hex, exo or bin"},
        UsageCase{{"--sim", "XC17V16", "read", "-", "--format", "bin", "--json"}, "--json and the data of 'read -'"},
        UsageCase{{"convert", "a.bin", "b.bin", "--size", "16", "--json"}, "--json is not an option of convert"}));

TEST(UsageTest, HelpListsTheCommandsAndExitStatuses) {
    for (const auto& args : {std::vector<std::string>{"--help"}, std::vector<std::string>{"read", "-h"}}) {
        const PromtoolRun run = Promtool(args);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out.rfind("Usage: promtool [--sim TYPE[:CHIPFILE]] [--direct] [--port ADDRESS [--raw]] COMMAND", 0), 0u);
        for (const char* command : {"identify", "blank", "read FILE", "program FILE", "verify FILE", "devices",
                                    "convert IN OUT", "checksum FILE", "dump FILE", "produce IMAGE", "Exit status: 0 success"}) {
            EXPECT_NE(run.out.find(command), std::string::npos) << command;
        }
        EXPECT_EQ(run.err, "");
    }
}

TEST(UsageTest, VersionIsTheProjectsAndNothingElse) {
    const PromtoolRun run = Promtool({"--version"});
    EXPECT_EQ(run.status, 0);
    // "promtool " and a version of digits and dots on one line.
    const std::string prefix = "promtool ";
    ASSERT_GT(run.out.size(), prefix.size() + 1);
    EXPECT_EQ(run.out.substr(0, prefix.size()), prefix);
    EXPECT_EQ(run.out.back(), '\n');
    const std::string version = run.out.substr(prefix.size(), run.out.size() - prefix.size() - 1);
    EXPECT_EQ(version.find_first_not_of("0123456789."), std::string::npos) << run.out;
    EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(version.front()))) << run.out;
    EXPECT_EQ(run.err, "");
}

TEST(UsageTest, ValuesComeAfterAnEqualsSignOrAsTheNextWord) {
    // Each reaches the file, which is missing: an operation that fails, not a usage error.
    // After "--" a file name may start with a dash.
    for (const auto& args : {std::vector<std::string>{"checksum", "--size=16", "missing.bin"},
                             std::vector<std::string>{"checksum", "--size", "0x10", "missing.bin"},
                             std::vector<std::string>{"checksum", "--size", "16", "--", "--missing.bin"}}) {
        const PromtoolRun run = Promtool(args);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("error: File could not be Opened: " + args.back()), std::string::npos) << run.err;
    }
}

}  // namespace
