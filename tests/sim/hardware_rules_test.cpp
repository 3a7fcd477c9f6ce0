// Every rule that makes the simulated hardware strict: the station's sequence works, and the
// same sequence with one deliberate departure fails the way the hardware would fail it.
#include <gtest/gtest.h>

#include <algorithm>

#include "sequences.h"

namespace {

using Deviations = PortSequences::Deviations;

enum class Check { Presence, Identify, ReadSerial, ReadWords, Program };

struct Rule {
    const char* name;
    const char* type;
    Check check;
    bool Deviations::*deviation;
    // The refusal the simulator records for the departure, where it records one.
    uint64_t sim::RefusedPulses::*refusal = nullptr;
};

// Random words at the start of the part, the rest erased: every word programming path runs
// without programming the whole array.
std::vector<uint8_t> SparseImage(const PromDevice& type) {
    std::vector<uint8_t> image(type.sizeBits / 8, 0xFF);
    const std::vector<uint8_t> words = RandomImage(64 * type.wordSize / 8, 41);
    std::copy(words.begin(), words.end(), image.begin());
    return image;
}

bool Passes(const Rule& rule, SimBench& bench) {
    const PromDevice& type = CatalogType(rule.type);
    PortSequences& port = bench.port;
    sim::SimulatedProm& part = *bench.programmer.Part();
    switch (rule.check) {
    case Check::Presence:
        return port.CheckProgrammer() == 0;
    case Check::Identify:
        return port.Identify() == type.name;
    case Check::ReadSerial:
        part.contents = RandomImage(type.sizeBits / 8, 42);
        return port.ReadSerial(type, true) == part.contents;
    case Check::ReadWords: {
        part.contents = RandomImage(type.sizeBits / 8, 43);
        const std::vector<uint8_t> words = port.ReadWords(type, 64);
        return std::equal(words.begin(), words.end(), part.contents.begin());
    }
    case Check::Program: {
        const std::vector<uint8_t> image = SparseImage(type);
        return port.ProgramArray(type, image) == -1 && part.contents == image;
    }
    }
    return false;
}

class HardwareRule : public testing::TestWithParam<Rule> {};

TEST_P(HardwareRule, HonestSequencePassesAndTheDepartureFails) {
    const Rule& rule = GetParam();
    {
        SimBench bench(rule.type);
        EXPECT_TRUE(Passes(rule, bench)) << "the station's own sequence";
        const sim::RefusedPulses& refused = bench.programmer.Refused();
        EXPECT_EQ(refused.overVoltage + refused.underVoltage + refused.wrongProfile + refused.disturbed +
                      refused.releasedEarly,
                  0u);
    }
    SimBench bench(rule.type);
    bench.port.deviations.*rule.deviation = true;
    EXPECT_FALSE(Passes(rule, bench)) << "the departure";
    if (rule.refusal) {
        EXPECT_GT(bench.programmer.Refused().*rule.refusal, 0u);
    }
}

using R = sim::RefusedPulses;
using D = Deviations;

INSTANTIATE_TEST_SUITE_P(
    Simulator, HardwareRule,
    testing::Values(
        Rule{"ReadPowerUpNeeds200ms", "XC1765D", Check::ReadSerial, &D::skipReadPowerUpWait},
        Rule{"ReadSupplySettles1000ms", "XC1701L", Check::ReadSerial, &D::skipReadSettleWait},
        Rule{"SocketDischarges1000msAfterPowerOff", "XC1765D", Check::ReadSerial, &D::skipDischargeWait},
        Rule{"ProgrammingEntryNeedsItsWaits", "XC1765D", Check::Identify, &D::skipProgrammingEntryWaits},
        Rule{"IdentifierNeeds100msBeforeTheCount", "XC1718L", Check::Identify, &D::skipIdentifierWait},
        Rule{"LoopBackNeedsItsWaits", "XC1765D", Check::Presence, &D::skipLoopBackWaits},
        Rule{"ControlRegisterConnectsTheSocket", "XC1765D", Check::Identify, &D::skipPowerUpControl},
        Rule{"ReadModeReadsNeedTheProgramSupplySelect", "XC17V04", Check::ReadSerial, &D::flipSupplySelect},
        Rule{"WordReadsNeedTheProgramSupplySelect", "XC1765X or XC1765EL", Check::ReadWords,
             &D::flipSupplySelect},
        Rule{"FiveVoltPulseOnAThreeVoltPartIsRefused", "XC17S15A", Check::Program, &D::flipSupplySelect,
             &R::overVoltage},
        Rule{"ThreeVoltPulseOnAFiveVoltPartIsRefused", "XC17S05", Check::Program, &D::flipSupplySelect,
             &R::underVoltage},
        Rule{"ReadBackPartsNeedTheGatedPulse", "XC1765E", Check::Program, &D::swapPulseControl,
             &R::wrongProfile},
        // Under control 2 the programmer gives a gated pulse, which a single-pulse word lets go at once.
        Rule{"SinglePulsePartsNeedTheTimedPulse", "XC1765D", Check::Program, &D::swapPulseControl,
             &R::releasedEarly},
        Rule{"GatedPulseHeldFor32Reads", "XC1765E", Check::Program, &D::releasePulseEarly, &R::releasedEarly},
        Rule{"CellsReadBackValid1msAfterThePulse", "XC1765E", Check::Program, &D::skipPulseEndWait},
        Rule{"ClockDuringAGatedPulseProgramsNothing", "XC17S15A", Check::Program, &D::clockDuringPulse,
             &R::disturbed},
        Rule{"ClockDuringATimedPulseProgramsNothing", "XC1718L", Check::Program, &D::clockDuringPulse,
             &R::disturbed},
        Rule{"ProgrammingAddressClockKeepsDataBitFour", "XC17128X or XC17128EL", Check::ReadWords,
             &D::readModeClockInProgramming},
        Rule{"SinglePulsePartsHaveNoWordReadBack", "XC1765D", Check::Program, &D::readBackSinglePulse}),
    [](const testing::TestParamInfo<Rule>& info) { return std::string(info.param.name); });

// With parallel express output the part puts a byte on its data pins per clock, so the serial
// pin shows every eighth bit; with the busy pin left floating it holds on its first byte.
TEST(HardwareRule, ExpressOutputChangesWhatTheSerialPinShows) {
    const PromDevice& type = CatalogType("XC1765X or XC1765EL");
    for (const bool busyPulledDown : {false, true}) {
        SimBench bench(type.name);
        sim::SimulatedProm& part = *bench.programmer.Part();
        part.contents = RandomImage(type.sizeBits / 8, 44);
        EXPECT_EQ(bench.port.ReadSerial(type, true), part.contents);
        part.expressProgrammed = true;
        part.busyProgrammed = busyPulledDown;
        bool ceoHigh = false;
        const std::vector<uint8_t> seen = bench.port.ReadSerial(type, true, &ceoHigh);
        uint8_t firstBits = 0;
        for (int bit = 0; bit < 8; ++bit) {
            const uint8_t source = busyPulledDown ? part.contents[bit] : part.contents[0];
            firstBits = static_cast<uint8_t>(firstBits | (source & 1) << bit);
        }
        EXPECT_EQ(seen[0], firstBits) << busyPulledDown;
        EXPECT_NE(seen, part.contents);
        EXPECT_EQ(ceoHigh, !busyPulledDown) << "/CEO falls once every byte has been put out";
    }
}

// A sagging battery fails the loop-back, so the presence check refuses it; a pulse given on it
// anyway reaches only some of the cells.
TEST(HardwareRule, FlatBatteryFailsTheLoopBackAndProgramsOnlySomeBits) {
    const PromDevice& type = CatalogType("XC1765E");
    SimBench bench(type.name);
    bench.programmer.SetFault(sim::ProgrammerFault::FlatBattery);
    EXPECT_EQ(bench.port.CheckProgrammer(), 1);
    const uint8_t zeros[4] = {0, 0, 0, 0};
    bench.port.PowerProgramming(50);
    EXPECT_EQ(bench.port.ProgramWord(type, zeros), 0) << "the read-back never matches";
    bench.port.PowerOff(50);
    EXPECT_EQ(bench.programmer.Part()->contents[0], 0xAA);
}

}  // namespace
