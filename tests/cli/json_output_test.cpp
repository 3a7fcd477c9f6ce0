// --json: exactly one object on standard output, whatever the command and however it ends.
#include <algorithm>

#include "cli/json_writer.h"
#include "json_reader.h"
#include "promtool_harness.h"

namespace {

// The object promtool printed, after checking that there is exactly one, on one line.
JsonValue OneObject(const PromtoolRun& run) {
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1) << run.out;
    const std::optional<JsonValue> value = JsonReader::Read(run.out);
    EXPECT_TRUE(value && value->kind == JsonValue::Kind::Object) << run.out;
    return value ? *value : JsonValue{};
}

std::string TextOf(const JsonValue& object, const std::string& key) {
    const JsonValue* member = object.Find(key);
    return member ? member->text : "(missing " + key + ")";
}

struct JsonCase {
    const char* name;
    std::vector<std::string> args;   // IMAGE, LONG (one byte too many) and OUT stand for files
    int status;                      // -1: the machine decides (ports)
    const char* result;
    std::vector<std::string> keys;   // after "command", "result" and "exit_status", in order
};

class JsonCommandTest : public PromtoolTest, public ::testing::WithParamInterface<JsonCase> {};

TEST_P(JsonCommandTest, PrintsOneObjectWithStableKeysAndNothingElse) {
    const JsonCase& c = GetParam();
    std::vector<std::string> args = {"--json"};
    for (const std::string& arg : c.args) {
        args.push_back(arg == "IMAGE" ? WriteFile("image.bin", RandomImage(2268, 21))
                       : arg == "LONG" ? WriteFile("long.bin", RandomImage(2269, 22))
                       : arg == "OUT"  ? PathOf("out.mcs")
                                       : arg);
    }
    const PromtoolRun run = Promtool(args);
    EXPECT_EQ(run.err, "");
    const JsonValue object = OneObject(run);
    EXPECT_NE(std::find(args.begin(), args.end(), TextOf(object, "command")), args.end()) << run.out;
    EXPECT_EQ(TextOf(object, "exit_status"), std::to_string(run.status));
    const JsonValue* failure = object.Find("failure");
    ASSERT_NE(failure, nullptr);
    if (c.status < 0) {
        EXPECT_EQ(failure->kind == JsonValue::Kind::Null, TextOf(object, "result") == "ok") << run.out;
        return;
    }
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(TextOf(object, "result"), c.result);
    std::vector<std::string> keys;
    for (const auto& member : object.members) {
        keys.push_back(member.first);
    }
    std::vector<std::string> expected = {"command", "result", "exit_status"};
    expected.insert(expected.end(), c.keys.begin(), c.keys.end());
    EXPECT_EQ(keys, expected);
    // A failure always says why; success never carries one.
    EXPECT_EQ(failure->kind, c.status == 0 ? JsonValue::Kind::Null : JsonValue::Kind::String);
    EXPECT_EQ(object.Find("warnings")->kind, JsonValue::Kind::Array);
}

const std::vector<std::string> kPartKeys = {"part", "failure", "warnings", "seconds"};
const std::vector<std::string> kFileKeys = {"file", "part", "checksum", "failure", "warnings", "seconds"};

INSTANTIATE_TEST_SUITE_P(
    Commands, JsonCommandTest,
    ::testing::Values(
        JsonCase{"devices", {"devices"}, 0, "ok", {"devices", "failure", "warnings"}},
        JsonCase{"ports", {"ports"}, -1, "", {}},
        JsonCase{"identify", {"--sim", "XC1718L", "identify"}, 0, "ok", kPartKeys},
        JsonCase{"blank", {"--sim", "XC1718L", "blank"}, 0, "ok", {"part", "blank", "failure", "warnings", "seconds"}},
        JsonCase{"read", {"--sim", "XC1718L", "read", "OUT"}, 0, "ok", kFileKeys},
        JsonCase{"program", {"--sim", "XC1718L", "program", "IMAGE"}, 0, "ok", kFileKeys},
        JsonCase{"verify", {"--sim", "XC1718L", "verify", "IMAGE"}, 1, "failed", kFileKeys},
        JsonCase{"checksum", {"checksum", "IMAGE", "--size", "2268"}, 0, "ok", {"file", "checksum", "failure", "warnings"}},
        JsonCase{"missing", {"checksum", "missing.bin", "--size", "16"}, 1, "failed", {"file", "failure", "warnings"}},
        JsonCase{"absent", {"--sim", "XC1718L", "--fault", "absent", "identify"}, 1, "failed", {"failure", "warnings", "seconds"}},
        JsonCase{"loadwarning", {"--sim", "XC1718L", "program", "LONG"}, 1, "failed",
                 {"file", "part", "failure", "warnings", "seconds"}},
        JsonCase{"nobusypin", {"--sim", "XC1718L", "program", "IMAGE", "--busy", "pulldown"}, 2, "usage_error",
                 {"file", "part", "failure", "warnings", "seconds"}}),
    [](const ::testing::TestParamInfo<JsonCase>& info) { return std::string(info.param.name); });

class JsonOutputTest : public PromtoolTest {};

TEST_F(JsonOutputTest, TheValuesAreThoseOfThePartAndTheFile) {
    const std::string chip = "XC1765X:" + PathOf("chip.prom");
    const std::string image = WriteFile("image.bin", RandomImage(8192, 23));
    ASSERT_EQ(Promtool({"--sim", chip, "program", image, "--reset", "low", "--busy", "pulldown", "--output",
                        "parallel"}).status, 0);

    const JsonValue identify = OneObject(Promtool({"--json", "--sim", chip, "identify"}));
    const JsonValue& part = *identify.Find("part");
    EXPECT_EQ(TextOf(part, "type"), "XC1765X or XC1765EL");
    EXPECT_EQ(TextOf(part, "size_bits"), "65536");
    EXPECT_EQ(TextOf(part, "word_bits"), "32");
    EXPECT_EQ(TextOf(part, "device_code"), "0xFC");
    const JsonValue& optionBits = *part.Find("option_bits");
    EXPECT_EQ(TextOf(optionBits, "reset_active"), "low");
    EXPECT_EQ(TextOf(optionBits, "express_output"), "parallel");
    EXPECT_EQ(TextOf(optionBits, "busy_pin"), "pulled_down");
    // Simulated time: an identification with options takes seconds on the hardware.
    EXPECT_GT(std::stod(TextOf(identify, "seconds")), 1.0);

    // Not blank is an answer, not a failure, but keeps its exit status.
    const PromtoolRun blank = Promtool({"--json", "--sim", chip, "blank"});
    EXPECT_EQ(blank.status, 1);
    EXPECT_EQ(TextOf(OneObject(blank), "result"), "not_blank");
    EXPECT_EQ(TextOf(OneObject(blank), "blank"), "false");

    const std::string humanChecksum = Promtool({"checksum", image, "--size", "8192"}).out;
    const JsonValue read = OneObject(Promtool({"--json", "--sim", chip, "read", PathOf("back.exo")}));
    EXPECT_EQ("Checksum: " + TextOf(read, "checksum") + "\n", humanChecksum);

    const PromtoolRun warned = Promtool({"--json", "checksum", image, "--size", "16"});
    EXPECT_EQ(warned.status, 3);
    const JsonValue checksum = OneObject(warned);
    EXPECT_EQ(TextOf(checksum, "result"), "loaded_with_warning");
    ASSERT_EQ(checksum.Find("warnings")->items.size(), 1u);
    EXPECT_EQ(checksum.Find("warnings")->items[0].text,
              "Program File is larger than device buffer. The file was truncated to fit into the buffer");
}

TEST_F(JsonOutputTest, AFileNameWithQuotesControlsAndStrayBytesComesBackWhole) {
    const std::string name = "say \"hi\"\\ \n\tthen\x01 caf\xC3\xA9 \xFF.bin";
    const std::string path = WriteFile(name, std::string(16, '\x5A'));
    for (const std::string& file : {path, PathOf("missing " + name)}) {
        const JsonValue object = OneObject(Promtool({"--json", "checksum", file, "--size", "16"}));
        // The stray byte 0xFF comes back as the character U+00FF.
        std::string expected = file;
        expected.replace(expected.find('\xFF'), 1, "\xC3\xBF");
        EXPECT_EQ(TextOf(object, "file"), expected);
    }
}

TEST(JsonStringTest, EscapesWhatJsonNeedsAndEveryByteOutsideValidUtf8) {
    EXPECT_EQ(cli::JsonString("a\"b\\c\nd\re\tf\x01\x1F\x7F caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"),
              "\"a\\\"b\\\\c\\nd\\re\\tf\\u0001\\u001F\x7F caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\"");
    // Overlong, surrogate, beyond U+10FFFF, cut short, a lone continuation byte.
    EXPECT_EQ(cli::JsonString("\xC0\xAF|\xED\xA0\x80|\xF4\x90\x80\x80|\xE2\x82|\x80"),
              "\"\\u00C0\\u00AF|\\u00ED\\u00A0\\u0080|\\u00F4\\u0090\\u0080\\u0080|\\u00E2\\u0082|\\u0080\"");
}

}  // namespace
