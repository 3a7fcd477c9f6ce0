// The programmer box: registers, virtual time, loop-back, pulse timing, presence check.
#include <gtest/gtest.h>

#include "sequences.h"

namespace {

using sim::ProgrammerFault;
using sim::SimulatedProgrammer;

TEST(ProgrammerBox, EveryRegisterAccessCostsOneMicrosecondAndOtherAddressesAreDead) {
    SimBench bench;
    bench.port.Data(0x02);
    bench.port.Status();
    bench.port.Ctrl(0x0B);
    EXPECT_EQ(bench.clock.NowMicroseconds(), 3u);
    EXPECT_EQ(bench.programmer.RegisterAccesses(), 3u);

    EXPECT_EQ(bench.programmer.Read(0x278), 0xFF);
    EXPECT_EQ(bench.programmer.Read(0x37B), 0xFF);
    bench.programmer.Write(0x377, 0x40);
    EXPECT_EQ(bench.clock.NowMicroseconds(), 3u);
    EXPECT_EQ(bench.programmer.RegisterAccesses(), 3u);
    EXPECT_EQ(bench.programmer.Read(0x378), 0x02);   // the data register reads back its latch
    EXPECT_EQ(bench.programmer.Read(0x37A), 0x0B);
}

TEST(ProgrammerBox, LoopBackInvertsDataBitOneEvenWithAPartHeldInReset) {
    SimBench bench("XC1765D");
    bench.port.Data(0x5C);   // supply on, reset (active high) asserted, loop-back on
    bench.port.DelayMs(100);
    EXPECT_TRUE(bench.port.Status() & 0x10);
    bench.port.Data(0x5E);
    bench.port.DelayMs(10);
    EXPECT_FALSE(bench.port.Status() & 0x10);
    bench.port.Data(0x4C);   // loop-back off: the part in reset drives 1
    EXPECT_TRUE(bench.port.Status() & 0x10);
    bench.port.Data(0x4E);
    EXPECT_TRUE(bench.port.Status() & 0x10);
}

TEST(ProgrammerBox, LoopBackWakesAndFollowsOnlyAfterItsDelays) {
    SimBench bench;
    bench.port.Data(0x54);
    bench.port.DelayMs(98);
    EXPECT_FALSE(bench.port.Status() & 0x10) << "asleep";
    bench.port.DelayMs(2);
    EXPECT_TRUE(bench.port.Status() & 0x10);
    bench.port.Data(0x56);
    bench.port.DelayMs(8);
    EXPECT_TRUE(bench.port.Status() & 0x10) << "still the old level";
    bench.port.DelayMs(2);
    EXPECT_FALSE(bench.port.Status() & 0x10);
}

TEST(ProgrammerBox, PulseAnswersOnlyUnderTheControlValuesOfTheSequences) {
    for (uint8_t control = 0; control < 16; ++control) {
        SimBench bench;
        bench.port.Ctrl(control);
        bench.port.Data(0xD4);
        bench.port.Data(0x54);
        int lowReads = 0;
        for (int i = 0; i < 300; ++i) {
            lowReads += (bench.port.Status() & 0x80) ? 0 : 1;
        }
        const bool used = control == 0 || control == 2 || control == 3 || control == 5 || control == 7;
        EXPECT_EQ(lowReads > 0, used) << int(control);
    }
}

TEST(ProgrammerBox, PulseStartsAfterTheDelayAndLastsItsWidth) {
    SimBench bench;
    bench.port.Data(0xD4);
    EXPECT_TRUE(bench.port.Status() & 0x80);   // no pulse: bit 7 high
    bench.port.Data(0x54);
    const uint64_t requested = bench.clock.NowMicroseconds() - 1;
    int highReads = 0;
    while (bench.port.Status() & 0x80) {
        ++highReads;
        ASSERT_LT(highReads, 10000);
    }
    int lowReads = 1;
    while (!(bench.port.Status() & 0x80)) {
        ++lowReads;
        ASSERT_LT(lowReads, 10000);
    }
    EXPECT_EQ(uint64_t(highReads) + 1, SimulatedProgrammer::kPulseStartDelayMicroseconds);
    EXPECT_EQ(uint64_t(lowReads), SimulatedProgrammer::kPulseWidthMicroseconds);
    EXPECT_EQ(bench.clock.NowMicroseconds() - requested,
              SimulatedProgrammer::kPulseStartDelayMicroseconds + SimulatedProgrammer::kPulseWidthMicroseconds + 1);
    EXPECT_EQ(bench.programmer.PulseRequests(), 1u);
    EXPECT_EQ(bench.programmer.PulsesGiven(), 0u);   // the socket was not in programming mode
}

TEST(ProgrammerBox, PulseRunsInVirtualTimeAcrossWaits) {
    SimBench bench;
    bench.port.Data(0xD4);
    bench.port.Data(0x54);
    bench.port.DelayMs(1);
    EXPECT_TRUE(bench.port.Status() & 0x80);   // started and ended during the wait
}

TEST(ProgrammerBox, RequestWhilePulseRunsIsIgnored) {
    SimBench bench;
    bench.port.Data(0xD4);
    bench.port.Data(0x54);
    for (int i = 0; i < 30; ++i) {
        bench.port.Status();
    }
    bench.port.Data(0xD4);
    bench.port.Data(0x54);   // second request inside the first pulse
    int lowReads = 0;
    for (int i = 0; i < 1000; ++i) {
        lowReads += (bench.port.Status() & 0x80) ? 0 : 1;
    }
    EXPECT_EQ(bench.programmer.PulseRequests(), 2u);
    EXPECT_LT(uint64_t(lowReads), SimulatedProgrammer::kPulseWidthMicroseconds);
}

TEST(ProgrammerBox, PresenceCheckAnswersForEachProgrammerState) {
    struct Case {
        ProgrammerFault fault;
        int result;
    };
    for (const Case& c : {Case{ProgrammerFault::None, 0}, Case{ProgrammerFault::Absent, 1},
                          Case{ProgrammerFault::FlatBattery, 1}, Case{ProgrammerFault::NoPulseAnswer, 2},
                          Case{ProgrammerFault::EndlessPulse, 2}}) {
        SimBench bench("XC1718L");
        bench.programmer.SetFault(c.fault);
        EXPECT_EQ(bench.port.CheckProgrammer(), c.result) << static_cast<int>(c.fault);
    }
}

TEST(ProgrammerBox, PresenceCheckAndPowerOffPulsesProgramNothing) {
    SimBench bench("XC17S05");
    bench.programmer.SetWriteLogEnabled(true);
    ASSERT_EQ(bench.port.CheckProgrammer(), 0);
    bench.port.PowerProgramming(50);
    bench.port.PowerOff(50);   // drops bits 7 and 6 together: a pulse request on a dead socket
    bench.port.DelayMs(1);
    bench.port.Status();
    EXPECT_EQ(bench.programmer.PulseRequests(), 3u);   // the check's pulse and two power-offs
    EXPECT_EQ(bench.programmer.PulsesGiven(), 0u);
    EXPECT_EQ(bench.programmer.Part()->contents, std::vector<uint8_t>(65536 / 8, 0xFF));

    const auto& log = bench.programmer.WriteLog();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[log.size() - 2].value, 0x02);
    EXPECT_EQ(log.back().offset, 2);
    EXPECT_EQ(log.back().value, 0x0B);
}

TEST(ProgrammerBox, WriteLogIsOffByDefaultAndStampsVirtualTime) {
    SimBench bench;
    bench.port.Data(0x02);
    EXPECT_TRUE(bench.programmer.WriteLog().empty());
    bench.programmer.SetWriteLogEnabled(true);
    bench.port.DelayMs(5);
    bench.port.Ctrl(0x01);
    bench.port.Status();
    bench.port.Data(0xC0);
    const auto& log = bench.programmer.WriteLog();
    ASSERT_EQ(log.size(), 2u);   // reads are not logged
    EXPECT_EQ(log[0].timeMicroseconds, 5001u);
    EXPECT_EQ(log[0].offset, 2);
    EXPECT_EQ(log[0].value, 0x01);
    EXPECT_EQ(log[1].timeMicroseconds, 5003u);
    EXPECT_EQ(log[1].offset, 0);
    bench.programmer.ClearWriteLog();
    EXPECT_TRUE(bench.programmer.WriteLog().empty());
}

TEST(ProgrammerBox, PowerModeHistoryFollowsTheSocket) {
    SimBench bench("XC1765D");
    const PromDevice& type = bench.programmer.Part()->type;
    bench.port.PowerProgramming(50);
    bench.port.PowerOff(50);
    bench.port.PowerRead(type, true);
    bench.port.PowerOff(50);
    // A programming power-up passes through read mode before the supply is cycled.
    EXPECT_EQ(bench.programmer.PowerModeHistory(), (std::vector<int>{2, 1, 3, 1, 2, 1}));
}

TEST(ProgrammingEntry, NeedsTwoTimedClocksUnderAHeldProgrammingLevel) {
    // Powered 200 ms, off 50 ms under the level, clocks 10 ms apart, supply 10 ms later.
    auto enter = [](SimBench& bench, uint32_t clockGapMs, uint8_t levelBetweenClocks) {
        bench.port.PowerOff(50);
        bench.port.Ctrl(0x01);
        bench.port.Data(0xD8);
        bench.port.DelayMs(200);
        bench.port.Data(0x98);
        bench.port.DelayMs(50);
        bench.port.Data(0x99);
        bench.port.DelayMs(clockGapMs);
        bench.port.Data(levelBetweenClocks);
        bench.port.Data(0x99);
        bench.port.DelayMs(10);
        bench.port.Data(0xD9);
        return bench.programmer.PowerModeHistory().back();
    };
    SimBench bench("XC1765D");
    EXPECT_EQ(enter(bench, 10, 0x98), 3);
    EXPECT_EQ(enter(bench, 0, 0x98), 2) << "second clock too soon";
    EXPECT_EQ(enter(bench, 10, 0x18), 2) << "the level dropped under the off supply";
}

TEST(ProgrammerBox, PartInsertedIntoAPoweredSocketComesUpInReadMode) {
    SimBench bench("XC1765D");
    bench.port.PowerProgramming(50);
    bench.programmer.RemovePart();
    bench.programmer.InsertBlankPart(CatalogType("XC1765D"));
    EXPECT_EQ(bench.programmer.PowerModeHistory().back(), 2);
    bench.port.PowerOff(50);
    EXPECT_EQ(bench.port.ReadIdentifier(0x808, 50).manufacturer, 0xC9);
}

TEST(ProgrammerBox, EndlessPulseLetsGoWhenTheFaultIsCleared) {
    SimBench bench;
    bench.programmer.SetFault(ProgrammerFault::EndlessPulse);
    bench.port.Data(0xD4);
    bench.port.Data(0x54);
    bench.port.DelayMs(100);
    EXPECT_FALSE(bench.port.Status() & 0x80);
    bench.programmer.SetFault(ProgrammerFault::None);
    EXPECT_TRUE(bench.port.Status() & 0x80);
}

}  // namespace
