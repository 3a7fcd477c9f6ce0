// The option pairs and prompts turned into ProgramDevice's options word.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/programmer.h"
#include "scripted_operator.h"
#include "ui/program_options.h"

namespace {

struct Case {
    const char* name;
    OptionChoices choices;
    bool vFamily;
    std::vector<int> answers;   // to the prompts, in the order asked
    std::vector<std::string> asked;
    uint32_t word;
    bool aborted;
};

const Case kCases[] = {
    {"all pairs set, second buttons", {1, 1, 1}, true, {}, {},
     PROGRAM_ARRAY | PROGRAM_RESET_LOW | PROGRAM_BUSY_PULLDOWN | PROGRAM_EXPRESS_PARALLEL, false},
    {"all pairs set, first buttons", {0, 0, 0}, true, {}, {}, PROGRAM_ARRAY, false},
    {"V family, all unset, second answers", {-1, -1, -1}, true, {-1, -1, -1}, {"reset", "busy", "output"},
     PROGRAM_ARRAY | PROGRAM_RESET_LOW | PROGRAM_BUSY_PULLDOWN | PROGRAM_EXPRESS_PARALLEL, false},
    {"V family, all unset, first answers", {-1, -1, -1}, true, {1, 1, 1}, {"reset", "busy", "output"},
     PROGRAM_ARRAY, false},
    {"only the unset pair is asked", {0, -1, 1}, true, {-1}, {"busy"},
     PROGRAM_ARRAY | PROGRAM_BUSY_PULLDOWN | PROGRAM_EXPRESS_PARALLEL, false},
    {"abort at reset asks nothing more", {-1, -1, -1}, true, {0}, {"reset"}, PROGRAM_ARRAY, true},
    {"abort at busy leaves output unasked", {-1, -1, -1}, true, {-1, 0}, {"reset", "busy"},
     PROGRAM_ARRAY | PROGRAM_RESET_LOW, true},
    {"abort at output", {1, 1, -1}, true, {0}, {"output"},
     PROGRAM_ARRAY | PROGRAM_RESET_LOW | PROGRAM_BUSY_PULLDOWN, true},
    {"other device: busy and output ignored even when set", {0, 1, 1}, false, {}, {}, PROGRAM_ARRAY, false},
    {"other device: only the reset prompt", {-1, -1, -1}, false, {-1}, {"reset"},
     PROGRAM_ARRAY | PROGRAM_RESET_LOW, false},
};

TEST(ProgramOptions, ChoicesAndPromptAnswersMakeTheOptionsWord) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        ScriptedOperator script;
        script.promptAnswers.assign(c.answers.begin(), c.answers.end());
        const ProgramOptions options = GatherProgramOptions(c.choices, c.vFamily, script);
        EXPECT_EQ(script.promptsAsked, c.asked);
        EXPECT_EQ(options.word, c.word);
        EXPECT_EQ(options.aborted, c.aborted);
        EXPECT_TRUE(script.promptAnswers.empty());
    }
}

}  // namespace
