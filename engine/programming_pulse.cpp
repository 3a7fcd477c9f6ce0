#include "engine/programming_pulse.h"

#include "link/wait_bounds.h"

namespace {

constexpr uint8_t kPulseAnswerBit = 0x80;   // status bit 7 reads 0 while a pulse runs

// True once `inARow` consecutive status reads show the pulse answer at `level`; false when the
// bound runs out first (a read at the other level starts the count again).
bool AwaitPulseAnswer(Programmer& programmer, bool level, uint32_t inARow) {
    const uint16_t status = programmer.portBase + 1;
    uint32_t run = 0;
    for (uint32_t reads = 0; reads < kProgrammingPulseReads; ++reads) {
        const bool high = (programmer.ReadPort(status) & kPulseAnswerBit) != 0;
        run = high == level ? run + 1 : 0;
        if (run == inARow) {
            return true;
        }
    }
    return false;
}

}  // namespace

PulseAnswer RunProgrammingPulse(Programmer& programmer, uint8_t startValue, uint8_t endValue,
                                uint32_t lowReads, uint32_t highReads) {
    const uint16_t data = programmer.portBase;
    programmer.WritePort(data, startValue);
    const bool started = AwaitPulseAnswer(programmer, false, lowReads);
    programmer.WritePort(data, endValue);
    if (!started) {
        return PulseAnswer::NeverStarted;
    }
    return AwaitPulseAnswer(programmer, true, highReads) ? PulseAnswer::Complete
                                                         : PulseAnswer::NeverEnded;
}
