// Files move both ways between the station and the tools users already have: srec_cat (srecord)
// and objcopy (binutils). The tools must be installed; a missing tool fails these tests.
#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>

#include "buffer/record_test_support.h"
#include "buffer/record_transfer.h"

using namespace record_test;

namespace {

// A buffer size and the blocks of data a tool's file holds in it; the rest is a gap.
struct Layout {
    const char* name;
    uint32_t capacity;
    std::vector<std::pair<uint32_t, uint32_t>> blocks;   // address, length
};

const Layout kSmall{"4,536 bytes", 4536, {{0x10, 1000}, {2000, 2536}}};
const Layout kMedium{"256 KiB", 256 * 1024, {{0x100, 70000}, {0x1FFF0 - 7, 5000}, {0x3FF00, 256}}};
const Layout kLarge{"2 MiB", 2 * 1024 * 1024, {{0xFFF00, 0x300}, {0x1F0000, 0x10000}}};

// How a tool writes a file, and for which layouts it can.
struct ToolVariant {
    const char* command;   // writes tool.out from source.srec (S3 records) or from the blocks
    const char* srecCatFormat;
    std::vector<const Layout*> layouts;
};

class RecordInterop : public testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"srec_cat", "objcopy"}) {
            const bool present = std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
            ASSERT_TRUE(present) << tool << " is not installed; the interoperability tests need srec_cat "
                                 << "(package srecord) and objcopy (package binutils)";
        }
    }

    // Runs a shell command in the scratch folder; fails the test with the tool's output if it fails.
    void Run(const std::string& command) {
        const std::string line = "cd '" + dir_.path().string() + "' && " + command + " >tool.log 2>&1";
        const int result = std::system(line.c_str());
        ASSERT_EQ(result, 0) << command << "\n" << ReadFile(dir_ / "tool.log");
    }

    // Writes the layout's blocks as chunk files and source.srec; returns the image they make.
    std::vector<uint8_t> MakeSource(const Layout& layout) {
        std::vector<uint8_t> image(layout.capacity, 0xFF);
        std::string inputs;
        for (size_t i = 0; i < layout.blocks.size(); ++i) {
            const auto [address, length] = layout.blocks[i];
            const auto bytes = RandomImage(length, address + length);
            std::copy(bytes.begin(), bytes.end(), image.begin() + address);
            const std::string chunk = "chunk" + std::to_string(i) + ".bin";
            WriteFile(dir_ / chunk, std::string(bytes.begin(), bytes.end()));
            inputs += chunk + " -binary -offset " + std::to_string(address) + " ";
        }
        chunkInputs_ = inputs;
        Run("srec_cat " + inputs + "-o source.srec -motorola -address-length=4");
        return image;
    }

    // Loads tool.out with the station's reader and compares it with the tool's own image of it.
    void ExpectLoadsLikeTheTool(const Layout& layout, const std::vector<uint8_t>& image, const ToolVariant& variant,
                                const std::string& ourName) {
        Run(std::string("srec_cat tool.out ") + variant.srecCatFormat + " -fill 0xFF 0 " +
            std::to_string(layout.capacity) + " -o expected.bin -binary");
        const auto expected = ReadBytes(dir_ / "expected.bin");
        ASSERT_TRUE(expected == image) << "the tool's own image differs from its input";

        std::filesystem::rename(dir_ / "tool.out", dir_ / ourName);
        std::vector<uint8_t> buffer(layout.capacity, 0xFF);
        const auto result = LoadRecordFile(dir_ / ourName, buffer.data(), layout.capacity);
        EXPECT_TRUE(result.opened);
        EXPECT_EQ(result.warning, LoadWarning::None) << LoadWarningText(result.warning);
        EXPECT_EQ(result.fileError, "");
        uint32_t dataBytes = 0;
        for (const auto& block : layout.blocks) {
            dataBytes += block.second;
        }
        EXPECT_EQ(result.count, dataBytes);
        EXPECT_TRUE(buffer == expected) << "the loaded buffer differs from the tool's image";
    }

    void CheckVariants(const std::vector<ToolVariant>& variants, const std::string& ourName) {
        for (const auto& variant : variants) {
            for (const Layout* layout : variant.layouts) {
                SCOPED_TRACE(std::string(variant.command) + " for " + layout->name);
                const auto image = MakeSource(*layout);
                std::string command = variant.command;
                const size_t blocks = command.find("BLOCKS");
                if (blocks != std::string::npos) {
                    command.replace(blocks, 6, chunkInputs_);
                }
                Run(command);
                ExpectLoadsLikeTheTool(*layout, image, variant, ourName);
            }
        }
    }

    ScratchDir dir_;
    std::string chunkInputs_;
};

}  // namespace

TEST_F(RecordInterop, IntelHexWrittenByTheToolsLoadsToTheirImage) {
    const std::vector<const Layout*> all = {&kSmall, &kMedium, &kLarge};
    const std::vector<const Layout*> belowOneMiB = {&kSmall, &kMedium};
    CheckVariants(
        {
            {"srec_cat BLOCKS -o tool.out -intel", "-intel", all},                            // linear, 16 bytes, LF
            {"srec_cat BLOCKS -o tool.out -intel -obs=32 -crlf", "-intel", all},              // linear, 32 bytes, CRLF
            {"srec_cat BLOCKS -o tool.out -intel -address-length=3", "-intel", belowOneMiB},  // segment records
            {"srec_cat BLOCKS -o tool.out -intel -address-length=3 -obs=32 -crlf", "-intel", belowOneMiB},
            {"objcopy -I srec -O ihex source.srec tool.out", "-intel", all},   // segment, then linear past 1 MiB
            {"objcopy -I srec -O ihex --srec-len=32 source.srec tool.out", "-intel", all},
        },
        "board.mcs");
}

TEST_F(RecordInterop, SRecordsWrittenByTheToolsLoadToTheirImage) {
    const std::vector<const Layout*> all = {&kSmall, &kMedium, &kLarge};
    CheckVariants(
        {
            {"srec_cat BLOCKS -o tool.out -motorola", "-motorola", all},   // S0 header, S5/S6 count, 32 bytes
            {"srec_cat BLOCKS -o tool.out -motorola -address-length=2 -obs=16", "-motorola", {&kSmall}},   // S1
            {"srec_cat BLOCKS -o tool.out -motorola -address-length=3 -obs=16 -crlf", "-motorola", all},   // S2
            {"srec_cat BLOCKS -o tool.out -motorola -address-length=4", "-motorola", all},                 // S3
            {"objcopy -I srec -O srec source.srec tool.out", "-motorola", all},   // S0, CRLF, S7-S9 ends
            {"objcopy -I srec -O srec --srec-forceS3 --srec-len=32 source.srec tool.out", "-motorola", all},
        },
        "board.exo");
}

TEST_F(RecordInterop, TheToolsReadOurFilesBackToTheSameImage) {
    for (const uint32_t size : {2268u, 4536u, 2u * 1024 * 1024}) {
        SCOPED_TRACE(std::to_string(size) + " bytes");
        const auto data = RandomImage(size, size + 1);
        ASSERT_EQ(SaveRecordFile(dir_ / "ours.mcs", data.data(), size).outcome, SaveOutcome::Saved);
        ASSERT_EQ(SaveRecordFile(dir_ / "ours.exo", data.data(), size).outcome, SaveOutcome::Saved);
        for (const char* command : {
                 "srec_cat ours.mcs -intel -o back.bin -binary",
                 "objcopy -I ihex -O binary ours.mcs back.bin",
                 "srec_cat ours.exo -motorola -o back.bin -binary",
                 "objcopy -I srec -O binary ours.exo back.bin",
             }) {
            SCOPED_TRACE(command);
            Run(command);
            EXPECT_TRUE(ReadBytes(dir_ / "back.bin") == data);
        }
    }
}
