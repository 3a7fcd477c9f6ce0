#pragma once
#include <cstdint>

// Settle and hold times of the simulated programmer and PROM, in microseconds of virtual time.
// Each is the station's own wait less one millisecond: a wait of N ms on a millisecond process
// clock may last as little as N - 1 ms, so the hardware cannot rely on more than that.
namespace sim::timing {

constexpr uint64_t kMillisecond = 1000;

// Read-mode power-up: the supply with the power-up pattern (data bit 4 set) for 200 ms, then
// the read pattern and 1000 ms for the read supply to settle.
constexpr uint64_t kPowerUpPattern = 199 * kMillisecond;
constexpr uint64_t kReadSupplySettle = 999 * kMillisecond;
// After a full power-off (supply and programming level both gone) the socket discharges for
// 1000 ms; a power-up before that leaves the part in an undefined state.
constexpr uint64_t kDischarge = 999 * kMillisecond;

// Programming-mode entry: 200 ms powered, 50 ms off under the programming level, two arming
// clocks 10 ms apart, 10 ms to the supply, 10 ms before the part takes anything.
constexpr uint64_t kEntryPowered = 199 * kMillisecond;
constexpr uint64_t kEntryOff = 49 * kMillisecond;
constexpr uint64_t kArmingClockGap = 9 * kMillisecond;
constexpr uint64_t kProgrammingSettle = 9 * kMillisecond;
// The identifier answers only when the address count began 100 ms after the entry.
constexpr uint64_t kIdentifierSettle = 99 * kMillisecond;

// The micro controller's loop-back wakes 100 ms after data bit 4 rises and follows data bit 1
// 10 ms after it changes.
constexpr uint64_t kLoopBackWake = 99 * kMillisecond;
constexpr uint64_t kLoopBackFollow = 9 * kMillisecond;

// A gated pulse (array words, control 0 or 2) programs only if the programming level is held
// low for the first 32 µs of the pulse. Array cells read back valid 1 ms after a pulse ends.
constexpr uint64_t kGatedPulseHold = 32;
constexpr uint64_t kCellRecovery = 1000;

}  // namespace sim::timing
