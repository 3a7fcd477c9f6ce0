// The port driver end to end against the simulated programmer and PROM.
#include <gtest/gtest.h>

#include <chrono>

#include "protocol/port_driver_protocol.h"
#include "simulated_socket.h"

namespace {

// A random image with a few erased words (they take the no-pulse path).
std::vector<uint8_t> ImageFor(const PromDevice& type, uint32_t seed) {
    std::vector<uint8_t> image = RandomImage(type.sizeBits / 8, seed);
    const size_t wordBytes = type.wordSize / 8;
    for (size_t word : {size_t{0}, size_t{7}, size_t{8}}) {
        std::fill_n(image.begin() + word * wordBytes, wordBytes, 0xFF);
    }
    return image;
}

void Preload(SimulatedSocket& socket, const std::vector<uint8_t>& image) {
    socket.programmer.Part()->contents = image;
}

TEST(PortDriverOnSimulator, IdentificationReadAnswersMakerAndDeviceCode) {
    for (const char* name : {"XC17V16", "XC1765D", "XC1718L", "XC17256X or XC17256EL", "XC17S300A"}) {
        SimulatedSocket socket(name);
        const SimulatedSocket::Codes codes = socket.Probe(socket.type.idClocks, socket.type.programSupply);
        EXPECT_EQ(codes.manufacturer, 0xC9) << name;
        EXPECT_EQ(codes.device, socket.type.idCode) << name;
        // One clock short of the identifier finds nothing from this maker.
        EXPECT_NE(socket.Probe(socket.type.idClocks - 1, socket.type.programSupply).manufacturer, 0xC9) << name;
    }
}

TEST(PortDriverOnSimulator, OptionReadAnswersOneWhileTheBitIsUnprogrammed) {
    SimulatedSocket socket("XC17V16");
    EXPECT_EQ(socket.ReadOption(socket.type.optionClocks), 1);
    socket.programmer.Part()->resetProgrammed = true;
    socket.programmer.Part()->busyProgrammed = true;
    EXPECT_EQ(socket.ReadOption(socket.type.optionClocks), 0);
    EXPECT_EQ(socket.ReadOption(0x200A0), 1);
    EXPECT_EQ(socket.ReadOption(0x200C0), 0);
}

TEST(PortDriverOnSimulator, ReadPiecesReproduceThePartBitExact) {
    // Serial parts at both supplies, with the piece count of the station; then word reading.
    for (const char* name : {"XC1736D", "XC1718L", "XC1765X or XC1765EL", "XC17128X or XC17128EL"}) {
        SimulatedSocket socket(name);
        const std::vector<uint8_t> image = RandomImage(socket.type.sizeBits / 8, 17);
        Preload(socket, image);
        if (IsExtended(socket.type)) {
            socket.Probe(socket.type.idClocks, socket.type.programSupply);   // the driver learns the word size
        }
        EXPECT_EQ(socket.ReadArray(), image) << name;
    }
}

TEST(PortDriverOnSimulator, WordReadingOfTheLargestPartContinuesAcrossPieces) {
    SimulatedSocket socket("XC17V16");
    const std::vector<uint8_t> image = RandomImage(socket.type.sizeBits / 8, 5);
    Preload(socket, image);
    EXPECT_EQ(socket.ReadArray(2).size(), 0u) << "no word size known before identification";
    socket.Probe(socket.type.idClocks, socket.type.programSupply);
    const std::vector<uint8_t> firstPieces = socket.ReadArray(2);
    ASSERT_EQ(firstPieces.size(), 2u * 65536);
    EXPECT_TRUE(std::equal(firstPieces.begin(), firstPieces.end(), image.begin()));
}

TEST(PortDriverOnSimulator, BlankCheckAnswersPerPiece) {
    for (const char* name : {"XC1765D", "XC1765X or XC1765EL"}) {
        SimulatedSocket socket(name);
        socket.Probe(socket.type.idClocks, socket.type.programSupply);
        const std::vector<uint8_t> blank = socket.BlankCheckPieces();
        EXPECT_EQ(blank, std::vector<uint8_t>(32, 1)) << name;

        socket.programmer.Part()->contents[5 * socket.PieceBytes() + 3] = 0xEF;
        std::vector<uint8_t> expected(32, 1);
        expected[5] = 0;
        EXPECT_EQ(socket.BlankCheckPieces(), expected) << name;
    }
}

TEST(PortDriverOnSimulator, ProgramChunksThenReadBack) {
    // Read-back parts (CTRL 0, and an extended one with CTRL 2) and parts without read-back.
    for (const char* name : {"XC17S05", "XC17S10", "XC1765X or XC1765EL", "XC1718L", "XC1765D"}) {
        SimulatedSocket socket(name);
        const std::vector<uint8_t> image = ImageFor(socket.type, 99);
        const std::vector<uint32_t> answers = socket.ProgramChunks(image);
        const uint32_t wordsPerChunk = socket.PieceBytes() / (socket.type.wordSize / 8);
        ASSERT_FALSE(answers.empty()) << name;
        EXPECT_EQ(answers.front(), wordsPerChunk) << name;
        EXPECT_EQ(socket.programmer.Part()->contents, image) << name;
        EXPECT_EQ(socket.ReadArray(), image) << name;
        EXPECT_EQ(socket.VerifyChunks(image).back(), image.size() - (answers.size() - 1) * socket.PieceBytes())
            << name;
    }
}

TEST(PortDriverOnSimulator, WeakWordsTakeMorePulsesAndADeadBitStopsTheChunk) {
    SimulatedSocket socket("XC17S05");
    const std::vector<uint8_t> image(socket.type.sizeBits / 8, 0x00);
    socket.programmer.Part()->weakWords = {{2, 2}, {3, 3}};
    socket.programmer.Part()->deadBits = {5 * 32 + 17};
    const std::vector<uint32_t> answers = socket.ProgramChunks(image);
    EXPECT_EQ(answers, std::vector<uint32_t>{5});   // words 0 to 4 programmed, no word after the dead one
    EXPECT_EQ(socket.programmer.PulsesGiven(), 1 + 1 + 2 + 3 + 1 + 3u);
    const std::vector<uint8_t>& stored = socket.programmer.Part()->contents;
    EXPECT_TRUE(std::all_of(stored.begin(), stored.begin() + 20, [](uint8_t b) { return b == 0; }));
    EXPECT_TRUE(std::all_of(stored.begin() + 24, stored.end(), [](uint8_t b) { return b == 0xFF; }));
}

TEST(PortDriverOnSimulator, VerifyReportsTheStartOfTheFailingWord) {
    struct Case {
        const char* name;
        uint32_t differingByte;
        uint32_t expectedAnswer;   // offset within the chunk
    };
    const Case cases[] = {
        {"XC1765D", 256 * 3 + 37, 37},               // serial: the byte itself
        {"XC1765X or XC1765EL", 256 * 3 + 37, 36},   // words of 4 bytes
        {"XC17128X or XC17128EL", 512 + 13, 8},      // words of 8 bytes
    };
    for (const Case& c : cases) {
        SimulatedSocket socket(c.name);
        const std::vector<uint8_t> image = RandomImage(socket.type.sizeBits / 8, 3);
        Preload(socket, image);
        socket.Probe(socket.type.idClocks, socket.type.programSupply);
        std::vector<uint8_t> expected = image;
        expected[c.differingByte] ^= 0x10;
        const std::vector<uint32_t> answers = socket.VerifyChunks(expected);
        ASSERT_EQ(answers.size(), c.differingByte / socket.PieceBytes() + 1) << c.name;
        EXPECT_EQ(answers.back(), c.expectedAnswer) << c.name;
    }
}

TEST(PortDriverOnSimulator, APulseThatNeverEndsFailsTheChunkInBoundedTime) {
    for (const char* name : {"XC17S05", "XC1718L"}) {
        SimulatedSocket socket(name);
        socket.programmer.SetFault(sim::ProgrammerFault::EndlessPulse);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(socket.ProgramChunks(std::vector<uint8_t>(socket.type.sizeBits / 8, 0x00)),
                  std::vector<uint32_t>{0})
            << name;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << name;
    }
}

}  // namespace
