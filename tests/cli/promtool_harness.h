#pragma once
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/promtool.h"
#include "random_image.h"

// One run of promtool with what it wrote.
struct PromtoolRun {
    int status = -1;
    std::string out;
    std::string err;
};

// With `input` on standard input.
inline PromtoolRun PromtoolWithInput(const std::vector<std::string>& args, const std::string& input,
                                     bool showProgress = false) {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    PromtoolRun run;
    run.status = RunPromtool(args, in, out, err, showProgress);
    run.out = out.str();
    run.err = err.str();
    return run;
}

inline PromtoolRun Promtool(const std::vector<std::string>& args, bool showProgress = false) {
    return PromtoolWithInput(args, "", showProgress);
}

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

// A fresh folder for the files of one test, removed afterwards.
class PromtoolTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "promtool-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    std::string PathOf(const std::string& name) const { return (folder / name).string(); }

    std::string WriteFile(const std::string& name, const std::string& contents) const {
        std::ofstream(PathOf(name), std::ios::binary) << contents;
        return PathOf(name);
    }
    std::string WriteFile(const std::string& name, const std::vector<uint8_t>& contents) const {
        return WriteFile(name, std::string(contents.begin(), contents.end()));
    }
    std::string ReadFile(const std::string& path) const {
        std::ifstream file(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }
    std::vector<uint8_t> ReadBytes(const std::string& path) const {
        const std::string text = ReadFile(path);
        return {text.begin(), text.end()};
    }

    std::filesystem::path folder;
};
