#include "sim/simulated_programmer.h"

#include <cstdio>

#include "sim/hardware_timing.h"
#include "sim/prom_socket_model.h"

namespace sim {
namespace {

constexpr uint64_t kNever = UINT64_MAX;

constexpr uint8_t kStatusDataOut = 0x10;
constexpr uint8_t kStatusPulseIdle = 0x80;
constexpr uint8_t kNothingThere = 0xFF;   // undriven inputs read high

// Control values under which the micro controller answers a pulse request: 0 and 2 time a
// gated array pulse, 3 and 7 an option pulse, 5 a single programmer-timed pulse.
bool AnswersPulseUnder(uint8_t control) {
    return control == 0 || control == 2 || control == 3 || control == 5 || control == 7;
}

// A gated pulse programs only while the programming level is held low.
bool GatedPulse(uint8_t control) {
    return control == 0 || control == 2;
}

}  // namespace

// The programmer box: the port's registers, the loop-back, the pulse timer of its micro
// controller, and the socket. Time is the virtual clock: one microsecond per access.
struct SimulatedProgrammer::State {
    State(VirtualClock& clock, uint16_t base) : clock(clock), base(base) {}

    // Every access: one microsecond, and whatever fell due since the last one.
    uint64_t BeginAccess() {
        const uint64_t now = clock.NowMicroseconds();
        clock.Advance(1);
        if (now >= pulseDueAt || accesses >= removalAtAccess || accesses >= faultAtAccess) [[unlikely]] {
            HandleDueEvents(now);
        }
        ++accesses;
        return now;
    }
    void HandleDueEvents(uint64_t now);
    void ChangeFault(ProgrammerFault next);
    void EndPulse(uint64_t now);
    void RequestPulse(uint64_t now);
    void WatchPulse(uint8_t before, uint8_t after, uint64_t now);
    uint8_t LoopBack(uint64_t now) const;
    uint8_t Status(uint64_t now) const;

    VirtualClock& clock;
    uint16_t base;
    PromSocketModel socket;
    uint8_t data = 0;
    uint8_t control = 0;
    ProgrammerFault fault = ProgrammerFault::None;

    // Loop-back: wakes after data bit 4 rises, follows data bit 1 after a delay.
    uint64_t shiftRoseAt = 0;
    uint64_t serialInChangedAt = 0;
    bool serialInBefore = false;

    // The running pulse: the answer reads low from pulseStart until pulseEnd. It acts on the
    // part when it ends, with the lines and control of its request, if nothing disturbed it.
    bool pulsePending = false;
    uint64_t pulseStart = 0;
    uint64_t pulseEnd = 0;
    uint64_t pulseDueAt = kNever;   // pulseEnd while a pulse is pending
    uint8_t pulseLines = 0;
    uint8_t pulseControl = 0;
    bool pulseDisturbed = false;
    uint64_t pulseReleasedAt = kNever;

    uint64_t removalAtAccess = kNever;
    uint64_t faultAtAccess = kNever;
    ProgrammerFault pendingFault = ProgrammerFault::None;

    bool logEnabled = false;
    std::vector<RegisterWrite> log;
    uint64_t pulsesGiven = 0;
    uint64_t pulseRequests = 0;
    uint64_t pulsesBeforeScheduledEvent = 0;
    RefusedPulses refused;
    uint64_t accesses = 0;
};

void SimulatedProgrammer::State::HandleDueEvents(uint64_t now) {
    if (now >= pulseDueAt) {
        EndPulse(now);
    }
    if (accesses >= removalAtAccess) {
        removalAtAccess = kNever;
        pulsesBeforeScheduledEvent = pulsesGiven;
        socket.Remove();
    }
    if (accesses >= faultAtAccess) {
        faultAtAccess = kNever;
        pulsesBeforeScheduledEvent = pulsesGiven;
        ChangeFault(pendingFault);
    }
}

void SimulatedProgrammer::State::ChangeFault(ProgrammerFault next) {
    fault = next;
    if (fault != ProgrammerFault::EndlessPulse && pulsePending && pulseEnd == kNever) {
        pulseEnd = pulseStart + kPulseWidthMicroseconds;   // the stuck pulse lets go
        pulseDueAt = pulseEnd;
    }
}

void SimulatedProgrammer::State::EndPulse(uint64_t now) {
    pulsePending = false;
    pulseDueAt = kNever;
    if (!socket.TakesPulses(now)) {
        return;   // no part in programming mode: nothing to program, nothing to refuse
    }
    if (pulseDisturbed) {
        ++refused.disturbed;
        return;
    }
    if (GatedPulse(pulseControl) && pulseReleasedAt - pulseStart < timing::kGatedPulseHold) {
        ++refused.releasedEarly;
        return;
    }
    const bool sagging = fault == ProgrammerFault::FlatBattery;
    switch (socket.ApplyPulse(pulseLines, pulseControl, now, sagging)) {
    case PulseEffect::NoTarget:
        break;
    case PulseEffect::Acted:
        ++pulsesGiven;
        break;
    case PulseEffect::OverVoltage:
        ++refused.overVoltage;
        break;
    case PulseEffect::UnderVoltage:
        ++refused.underVoltage;
        break;
    case PulseEffect::WrongProfile:
        ++refused.wrongProfile;
        break;
    }
}

void SimulatedProgrammer::State::RequestPulse(uint64_t now) {
    ++pulseRequests;
    if (fault == ProgrammerFault::Absent || fault == ProgrammerFault::NoPulseAnswer) {
        return;
    }
    if (pulsePending) {
        return;   // the micro controller is still busy with the last pulse
    }
    if (!AnswersPulseUnder(control)) {
        return;
    }
    pulsePending = true;
    pulseStart = now + kPulseStartDelayMicroseconds;
    pulseEnd = fault == ProgrammerFault::EndlessPulse ? kNever : pulseStart + kPulseWidthMicroseconds;
    pulseDueAt = pulseEnd;
    pulseLines = data;
    pulseControl = control;
    pulseDisturbed = false;
    pulseReleasedAt = kNever;
}

// While a pulse runs only the programming level may move, and only upwards (its release).
void SimulatedProgrammer::State::WatchPulse(uint8_t before, uint8_t after, uint64_t now) {
    if (!pulsePending) {
        return;
    }
    if ((before ^ after) & ~line::kProgramLevel) {
        pulseDisturbed = true;
    }
    if ((after & ~before & line::kProgramLevel) && pulseReleasedAt == kNever) {
        pulseReleasedAt = now;
        if (now < pulseStart) {
            // Withdrawn before it began: the micro controller drops the request.
            pulsePending = false;
            pulseStart = 0;
            pulseEnd = 0;
            pulseDueAt = kNever;
        }
    }
}

uint8_t SimulatedProgrammer::State::LoopBack(uint64_t now) const {
    if (fault == ProgrammerFault::FlatBattery || now - shiftRoseAt < timing::kLoopBackWake) {
        return 0;
    }
    const bool serialIn = now - serialInChangedAt < timing::kLoopBackFollow ? serialInBefore
                                                                             : (data & line::kSerialIn) != 0;
    return serialIn ? 0 : kStatusDataOut;
}

uint8_t SimulatedProgrammer::State::Status(uint64_t now) const {
    if (fault == ProgrammerFault::Absent) {
        return kNothingThere;
    }
    uint8_t status = 0;
    if (now < pulseStart || now >= pulseEnd) {
        status |= kStatusPulseIdle;
    }
    status |= socket.Outputs(now);
    if (data & line::kShift) {
        // The loop-back answers whatever the part does, so a part held in reset cannot
        // spoil the presence check.
        status = static_cast<uint8_t>((status & ~kStatusDataOut) | LoopBack(now));
    }
    return status;
}

SimulatedProgrammer::SimulatedProgrammer(VirtualClock& clock, uint16_t portBase)
    : state(std::make_unique<State>(clock, portBase)) {}

SimulatedProgrammer::~SimulatedProgrammer() = default;

void SimulatedProgrammer::Write(uint16_t address, uint8_t value) {
    State& s = *state;
    const uint16_t offset = static_cast<uint16_t>(address - s.base);
    if (offset > 2) {
        return;   // no register of ours
    }
    const uint64_t now = s.BeginAccess();
    if (s.fault == ProgrammerFault::PortLost) [[unlikely]] {
        return;
    }
    if (s.logEnabled) {
        s.log.push_back({now, static_cast<uint8_t>(offset), value});
    }
    if (offset == 0) {
        const uint8_t before = s.data;
        if (before == value) {
            return;
        }
        s.data = value;
        if (value & ~before & line::kShift) {
            s.shiftRoseAt = now;
        }
        if ((before ^ value) & line::kSerialIn) {
            s.serialInChangedAt = now;
            s.serialInBefore = (before & line::kSerialIn) != 0;
        }
        s.WatchPulse(before, value, now);
        if (before & ~value & line::kProgramLevel) {
            s.RequestPulse(now);
        }
        s.socket.OnLines(s.data, s.control, now);
    } else if (offset == 2) {
        if (s.control == value) {
            return;
        }
        if (s.pulsePending) {
            s.pulseDisturbed = true;
        }
        s.control = value;
        s.socket.OnLines(s.data, s.control, now);
    }
}

uint8_t SimulatedProgrammer::Read(uint16_t address) {
    State& s = *state;
    const uint16_t offset = static_cast<uint16_t>(address - s.base);
    if (offset > 2) {
        return kNothingThere;
    }
    const uint64_t now = s.BeginAccess();
    if (s.fault == ProgrammerFault::PortLost) [[unlikely]] {
        return kNothingThere;
    }
    switch (offset) {
    case 0:
        return s.data;
    case 1:
        return s.Status(now);
    default:
        return s.control;
    }
}

bool SimulatedProgrammer::AccessLost() const {
    return state->fault == ProgrammerFault::PortLost;
}

std::string SimulatedProgrammer::LostAccessText() const {
    char base[8];
    std::snprintf(base, sizeof base, "0x%X", unsigned{state->base});
    return AccessLost() ? std::string("Lost access to the parallel port at ") + base + ": Input/output error" : "";
}

void SimulatedProgrammer::PlugInto(uint16_t portBase) {
    state->base = portBase;
}

uint16_t SimulatedProgrammer::PortBase() const {
    return state->base;
}

void SimulatedProgrammer::InsertPart(const SimulatedProm& part) {
    state->socket.Insert(part, state->clock.NowMicroseconds());
}

void SimulatedProgrammer::InsertBlankPart(const PromDevice& type) {
    SimulatedProm part;
    part.type = type;
    part.contents.assign(type.sizeBits / 8, 0xFF);
    InsertPart(part);
}

void SimulatedProgrammer::RemovePart() {
    state->removalAtAccess = kNever;
    state->socket.Remove();
}

void SimulatedProgrammer::RemovePartAfter(uint64_t accesses) {
    const uint64_t done = state->accesses;
    state->removalAtAccess = accesses >= kNever - done ? kNever : done + accesses;
}

const SimulatedProm* SimulatedProgrammer::PulledPart() const {
    return state->socket.Pulled();
}

const SimulatedProm* SimulatedProgrammer::Part() const {
    return state->socket.Part();
}

SimulatedProm* SimulatedProgrammer::Part() {
    return state->socket.Part();
}

void SimulatedProgrammer::SetFault(ProgrammerFault fault) {
    state->faultAtAccess = kNever;
    state->ChangeFault(fault);
}

void SimulatedProgrammer::SetFaultAfter(ProgrammerFault fault, uint64_t accesses) {
    const uint64_t done = state->accesses;
    state->pendingFault = fault;
    state->faultAtAccess = accesses >= kNever - done ? kNever : done + accesses;
}

void SimulatedProgrammer::SetWriteLogEnabled(bool enabled) {
    state->logEnabled = enabled;
}

const std::vector<SimulatedProgrammer::RegisterWrite>& SimulatedProgrammer::WriteLog() const {
    return state->log;
}

void SimulatedProgrammer::ClearWriteLog() {
    state->log.clear();
}

const std::vector<int>& SimulatedProgrammer::PowerModeHistory() const {
    return state->socket.ModeHistory();
}

uint64_t SimulatedProgrammer::PulsesGiven() const {
    return state->pulsesGiven;
}

const RefusedPulses& SimulatedProgrammer::Refused() const {
    return state->refused;
}

uint64_t SimulatedProgrammer::PulseRequests() const {
    return state->pulseRequests;
}

uint64_t SimulatedProgrammer::PulsesGivenBeforeScheduledEvent() const {
    return state->pulsesBeforeScheduledEvent;
}

uint64_t SimulatedProgrammer::RegisterAccesses() const {
    return state->accesses;
}

}  // namespace sim
