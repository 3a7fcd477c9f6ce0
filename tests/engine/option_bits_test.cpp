#include <gtest/gtest.h>

#include "programming_fixture.h"
#include "recording_port.h"
#include "virtual_time.h"

using Writes = std::vector<RecordingPort::Access>;

namespace {

// --- The sequences' register writes, against a port that answers from a script.

class OptionBitSequenceTest : public testing::Test {
protected:
    VirtualTime time;
    RecordingPort port;
    Programmer programmer{platform::kDirectPortFamilyVersion, &port};

    void UseType(const char* name) {
        programmer.currentDevice = programmer.FindByName(name);
        programmer.ResizeBuffer(programmer.currentDevice->sizeBits / 8);
        port.log.clear();
        // One read shows the pulse running; after it every read shows the programmer idle
        // and status bit 5 clear, that is the option bit unprogrammed.
        port.statusScript = {0x00};
        port.idleStatus = 0x90;
    }

    static Writes ProgrammingPowerUp(uint8_t s) {
        return {D(0x18 + s), C(0x01), D(0xD8 + s), D(0x98 + s), D(0x99 + s), D(0x98 + s), D(0x99 + s),
                D(0xD9 + s), D(0xD8 + s), D(0xD9 + s), D(0xD8 + s)};
    }
    static void AppendClocks(Writes& writes, uint32_t count, uint8_t s) {
        for (uint32_t i = 0; i < count; ++i) {
            writes.insert(writes.end(), {D(0xD9 + s), D(0xD0 + s), D(0xD0 + s), D(0xD1 + s), D(0xD9 + s)});
        }
    }
    static void AppendZeroWord(Writes& writes, uint32_t wordSize, uint8_t zero, uint8_t zeroClock) {
        for (uint32_t k = 0; k < wordSize; ++k) {
            writes.insert(writes.end(), {D(zero), D(zeroClock)});
        }
    }
    // The first writes of the port log, as many as `expected` holds.
    Writes FirstWrites(size_t count) const {
        Writes writes = port.Writes();
        writes.resize(std::min(writes.size(), count));
        return writes;
    }
};

TEST_F(OptionBitSequenceTest, ResetBitSequence) {
    UseType("XC17V04");   // 3.3 V programming (S = 4), code 0xB2, 64-bit words
    uint16_t progress = 0;
    EXPECT_EQ(programmer.ProgramDevice(&progress, PROGRAM_RESET_LOW, 0, 0), 1);
    EXPECT_EQ(programmer.failureText, "Reset Failed To Program");

    Writes expected = ProgrammingPowerUp(4);
    expected.insert(expected.end(), {D(0xDB), D(0xD3)});   // no supply select in these three
    AppendClocks(expected, 0x10000, 4);
    expected.push_back(D(0xDB));
    AppendZeroWord(expected, 64, 0xDE, 0xDF);
    expected.insert(expected.end(), {C(3), D(0x5D), D(0xDD), D(0xCD), C(2)});
    expected.insert(expected.end(), {D(0xC4), D(0x02), C(0x0B)});   // power off
    EXPECT_EQ(FirstWrites(expected.size()), expected);
}

TEST_F(OptionBitSequenceTest, ResetBitSequenceOfOtherFamiliesUsesControlSeven) {
    UseType("XC1765D");   // 5 V, code 0xFF, 32-bit words
    uint16_t progress = 0;
    EXPECT_EQ(programmer.ProgramDevice(&progress, PROGRAM_RESET_LOW, 0, 0), 1);
    Writes expected = ProgrammingPowerUp(0);
    expected.insert(expected.end(), {D(0xDB), D(0xD3)});
    AppendClocks(expected, 0x800, 0);
    expected.push_back(D(0xDB));
    AppendZeroWord(expected, 32, 0xDA, 0xDB);
    expected.insert(expected.end(), {C(7), D(0x59), D(0xD9), D(0xC9), C(2)});
    EXPECT_EQ(FirstWrites(expected.size()), expected);
}

TEST_F(OptionBitSequenceTest, ExpressBitSequenceHasFixedValues) {
    UseType("XC17V16");   // 3.3 V programming, yet the express values do not change
    uint16_t progress = 0;
    EXPECT_EQ(programmer.ProgramDevice(&progress, PROGRAM_EXPRESS_PARALLEL, 0, 0), 1);
    EXPECT_EQ(programmer.failureText, "Express Mode Bit Failed To Program");

    Writes expected = ProgrammingPowerUp(4);
    AppendClocks(expected, 0x200A0, 4);
    AppendZeroWord(expected, 128, 0xDE, 0xDF);
    expected.insert(expected.end(), {C(3), D(0x5C), D(0xDC), D(0xCC), C(2), D(0xC4), D(0x02), C(0x0B)});
    EXPECT_EQ(FirstWrites(expected.size()), expected);
}

TEST_F(OptionBitSequenceTest, OptionPulseWaitIsBounded) {
    UseType("XC1765D");
    port.statusScript.clear();
    port.idleStatus = 0x80;   // no pulse ever
    uint16_t progress = 0;
    EXPECT_EQ(programmer.ProgramDevice(&progress, PROGRAM_RESET_LOW, 0, 0), 1);
    EXPECT_EQ(programmer.failureText, "Reset Pin Programming failed: no programming pulse from the programmer");
    EXPECT_EQ(programmer.powerMode, POWER_OFF);
    const Writes writes = port.Writes();
    EXPECT_EQ(Writes(writes.end() - 3, writes.end()), (Writes{D(0xC0), D(0x02), C(0x0B)}));
}

// --- Against the simulated programmer, directly and through the port driver.

using OptionBitsOnStation = SimulatedStationTest;

TEST_P(OptionBitsOnStation, EveryCombinationOnTheLargestPart) {
    for (uint32_t asked = 0; asked < 8; ++asked) {
        const bool reset = asked & 1, express = asked & 2, busy = asked & 4;
        SCOPED_TRACE(asked);
        // The part differs from the buffer in its first byte, so that the closing verify stops
        // at once (a full XC17V16 verify for each combination would be slow): its text shows
        // that every option bit passed.
        InsertAndIdentify("XC17V16").contents[0] = 0x00;
        RecordingStatusLine statusLine;
        const uint32_t options = (reset ? PROGRAM_RESET_LOW : 0) | (express ? PROGRAM_EXPRESS_PARALLEL : 0) |
                                 (busy ? PROGRAM_BUSY_PULLDOWN : 0);
        uint16_t progress = 0;
        EXPECT_EQ(programmer.ProgramDevice(&progress, options, 0, 0), 1);
        EXPECT_EQ(programmer.failureText, Direct() ? "Failed Margin Verify at byte location 0 "
                                                   : "Failed Margin Verify in the data word beginning at byte location 0 ");
        const sim::SimulatedProm& part = *station.programmer.Part();
        EXPECT_EQ(part.resetProgrammed, reset);
        EXPECT_EQ(part.expressProgrammed, express);
        EXPECT_EQ(part.busyProgrammed, busy);
        EXPECT_EQ(programmer.resetPolarity, reset ? 0 : 1);
        EXPECT_EQ(programmer.expressOutput, express ? 0 : 1);
        EXPECT_EQ(programmer.busyPin, busy ? 0 : 1);
        EXPECT_EQ(statusLine.Count("Reset Pin Programming"), reset ? 1u : 0u);
        EXPECT_EQ(statusLine.Count("Express Mode Programming"), express ? 1u : 0u);
        EXPECT_EQ(statusLine.Count("Busy Pin Pulldown Programming"), busy ? 1u : 0u);
        if (busy) {
            EXPECT_TRUE(statusLine.Shows("Power On - Busy Pin Pulldown Programming"));
            EXPECT_TRUE(statusLine.Shows("Power Off - Busy Pin Pulldown"));
        }
    }
}

TEST_P(OptionBitsOnStation, ResetBitOnAPlainPartWithItsArray) {
    sim::SimulatedProm& part = InsertAndIdentify("XC1765D");
    const std::vector<uint8_t> image = RandomImage(part.contents.size(), 21);
    LoadBuffer(image);
    RecordingStatusLine statusLine;
    uint16_t progress = 0;
    // The closing verify reads the part with its reset now active low.
    EXPECT_EQ(programmer.ProgramDevice(&progress, PROGRAM_ARRAY | PROGRAM_RESET_LOW, 0, 0), 0)
        << programmer.failureText;
    EXPECT_EQ(progress, 100);
    EXPECT_TRUE(station.programmer.Part()->resetProgrammed);
    EXPECT_EQ(programmer.resetPolarity, 0);
    EXPECT_TRUE(PartContents() == image);
    EXPECT_TRUE(statusLine.Shows("Power On - Reset Pin Programming"));
    EXPECT_TRUE(statusLine.Shows("Power Off - Reset Pin Programming"));
}

TEST_P(OptionBitsOnStation, BitsProgrammedWithoutBeingAskedForFailTheCall) {
    sim::SimulatedProm blank;
    blank.type = *programmer.FindByName("XC1765D");
    blank.resetProgrammed = true;
    station.programmer.InsertPart(blank);
    ASSERT_TRUE(programmer.Identify(true));
    ASSERT_EQ(programmer.resetPolarity, 0);
    const std::vector<uint8_t> image = RandomImage(8192, 22);
    LoadBuffer(image);
    uint16_t progress = 0;
    EXPECT_EQ(programmer.ProgramDevice(&progress, PROGRAM_ARRAY, 0, 0), 1);
    EXPECT_EQ(programmer.failureText, "Device programmed. Reset polarity already active low");
    EXPECT_TRUE(PartContents() == image) << "the array is programmed first";

    blank.type = *programmer.FindByName("XC17V16");
    blank.resetProgrammed = false;
    blank.expressProgrammed = true;
    station.programmer.InsertPart(blank);
    ASSERT_TRUE(programmer.Identify(true));
    EXPECT_EQ(programmer.ProgramDevice(&progress, 0, 0, 0), 1);
    EXPECT_EQ(programmer.failureText, "Device programmed. Express Mode Bit Already Set Parallel (Bit is active low)");

    blank.expressProgrammed = false;
    blank.busyProgrammed = true;
    station.programmer.InsertPart(blank);
    ASSERT_TRUE(programmer.Identify(true));
    EXPECT_EQ(programmer.ProgramDevice(&progress, PROGRAM_RESET_LOW, 0, 0), 1);
    EXPECT_EQ(programmer.failureText, "Device programmed. Busy Pin Pulldown Already Enabled (Bit is active low)");
    EXPECT_TRUE(station.programmer.Part()->resetProgrammed) << "the bit asked for comes first";
}

TEST_P(OptionBitsOnStation, ExpressAndBusyOnAPartWithoutThem) {
    InsertAndIdentify("XC1765D");
    uint16_t progress = 0;
    EXPECT_EQ(programmer.ProgramDevice(&progress, PROGRAM_EXPRESS_PARALLEL, 0, 0), 1);
    EXPECT_EQ(programmer.failureText, "Device programmed. Express Mode programming failed");
    EXPECT_EQ(programmer.ProgramDevice(&progress, PROGRAM_BUSY_PULLDOWN, 0, 0), 1);
    EXPECT_EQ(programmer.failureText, "Device programmed. Busy Pin Pulldown programming failed");
    EXPECT_EQ(station.programmer.PulsesGiven(), 0u);

    // Settings an earlier extended part left behind do not count for a part without the bits;
    // asked for anyway, the field decides.
    programmer.expressOutput = 0;
    programmer.busyPin = 0;
    EXPECT_EQ(programmer.ProgramDevice(&progress, 0, 0, 0), 0) << programmer.failureText;
    EXPECT_EQ(programmer.ProgramDevice(&progress, PROGRAM_EXPRESS_PARALLEL | PROGRAM_BUSY_PULLDOWN, 0, 0), 0)
        << programmer.failureText;
}

TEST_P(OptionBitsOnStation, OptionPulseThatNeverEndsFailsTheCall) {
    InsertAndIdentify("XC1765D");
    station.programmer.SetFault(sim::ProgrammerFault::EndlessPulse);
    uint16_t progress = 0;
    EXPECT_EQ(programmer.ProgramDevice(&progress, PROGRAM_RESET_LOW, 0, 0), 1);
    EXPECT_EQ(programmer.failureText, "Reset Pin Programming failed: programming pulse did not end");
    EXPECT_EQ(programmer.powerMode, POWER_OFF);
    EXPECT_EQ(station.programmer.PowerModeHistory().back(), 1);
}

INSTANTIATE_TEST_SUITE_P(BothModes, OptionBitsOnStation,
                         testing::Values(StationMode::Direct, StationMode::Driver), StationModeName);

}  // namespace
