#include "sim/simulated_programmer.h"

#include "sim/prom_socket_model.h"

namespace sim {
namespace {

constexpr uint64_t kNever = UINT64_MAX;

constexpr uint8_t kStatusDataOut = 0x10;
constexpr uint8_t kStatusPulseIdle = 0x80;
constexpr uint8_t kNothingThere = 0xFF;   // undriven inputs read high

}  // namespace

// The programmer box: the port's registers, the loop-back, the pulse timer of its micro
// controller, and the socket. Time is the virtual clock: one microsecond per access.
struct SimulatedProgrammer::State {
    State(VirtualClock& clock, uint16_t base) : clock(clock), base(base) {}

    // Every access: one microsecond, and whatever fell due since the last one.
    uint64_t BeginAccess() {
        const uint64_t now = clock.NowMicroseconds();
        clock.Advance(1);
        if (now >= pulseDueAt || accesses >= removalAtAccess) [[unlikely]] {
            HandleDueEvents(now);
        }
        ++accesses;
        return now;
    }
    void HandleDueEvents(uint64_t now);
    void RequestPulse(uint64_t now);
    uint8_t Status(uint64_t now) const;

    VirtualClock& clock;
    const uint16_t base;
    PromSocketModel socket;
    uint8_t data = 0;
    uint8_t control = 0;
    ProgrammerFault fault = ProgrammerFault::None;

    // The pulse answer reads low from pulseStart until pulseEnd (both 0: no pulse yet).
    // The pulse acts on the part at pulseDueAt, its start, once.
    uint64_t pulseStart = 0;
    uint64_t pulseEnd = 0;
    uint64_t pulseDueAt = kNever;

    uint64_t removalAtAccess = kNever;

    bool logEnabled = false;
    std::vector<RegisterWrite> log;
    uint64_t pulsesGiven = 0;
    uint64_t pulseRequests = 0;
    uint64_t accesses = 0;
};

void SimulatedProgrammer::State::HandleDueEvents(uint64_t now) {
    // A pulse acts when it starts, on the lines as they stood then: nothing has changed them
    // since the last access.
    if (now >= pulseDueAt) {
        pulseDueAt = kNever;
        if (socket.ApplyPulse()) {
            ++pulsesGiven;
        }
    }
    if (accesses >= removalAtAccess) {
        removalAtAccess = kNever;
        socket.Remove();
    }
}

void SimulatedProgrammer::State::RequestPulse(uint64_t now) {
    ++pulseRequests;
    if (fault == ProgrammerFault::Absent || fault == ProgrammerFault::NoPulseAnswer) {
        return;
    }
    if (now < pulseEnd) {
        return;   // the micro controller is still busy with the last pulse
    }
    pulseStart = now + kPulseStartDelayMicroseconds;
    pulseEnd = fault == ProgrammerFault::EndlessPulse ? kNever : pulseStart + kPulseWidthMicroseconds;
    pulseDueAt = pulseStart;
}

uint8_t SimulatedProgrammer::State::Status(uint64_t now) const {
    if (fault == ProgrammerFault::Absent) {
        return kNothingThere;
    }
    uint8_t status = 0;
    if (now < pulseStart || now >= pulseEnd) {
        status |= kStatusPulseIdle;
    }
    status |= socket.Outputs();
    if (data & line::kShift) {
        // The loop-back answers whatever the part does, so a part held in reset cannot
        // spoil the presence check.
        status &= static_cast<uint8_t>(~kStatusDataOut);
        if (fault != ProgrammerFault::FlatBattery && !(data & line::kSerialIn)) {
            status |= kStatusDataOut;
        }
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
    if (s.logEnabled) {
        s.log.push_back({now, static_cast<uint8_t>(offset), value});
    }
    if (offset == 0) {
        const uint8_t before = s.data;
        s.data = value;
        if (before == value) {
            return;
        }
        if (before & ~value & line::kProgramLevel) {
            s.RequestPulse(now);
        }
        s.socket.OnDataLines(before, value);
    } else if (offset == 2) {
        s.control = value;
    }
}

uint8_t SimulatedProgrammer::Read(uint16_t address) {
    State& s = *state;
    const uint16_t offset = static_cast<uint16_t>(address - s.base);
    if (offset > 2) {
        return kNothingThere;
    }
    const uint64_t now = s.BeginAccess();
    switch (offset) {
    case 0:
        return s.data;
    case 1:
        return s.Status(now);
    default:
        return s.control;
    }
}

void SimulatedProgrammer::InsertPart(const SimulatedProm& part) {
    state->socket.Insert(part, state->data);
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

const SimulatedProm* SimulatedProgrammer::Part() const {
    return state->socket.Part();
}

SimulatedProm* SimulatedProgrammer::Part() {
    return state->socket.Part();
}

void SimulatedProgrammer::SetFault(ProgrammerFault fault) {
    State& s = *state;
    s.fault = fault;
    if (fault != ProgrammerFault::EndlessPulse && s.pulseEnd == kNever) {
        s.pulseEnd = s.pulseStart + kPulseWidthMicroseconds;   // the stuck pulse lets go
    }
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

uint64_t SimulatedProgrammer::PulseRequests() const {
    return state->pulseRequests;
}

uint64_t SimulatedProgrammer::RegisterAccesses() const {
    return state->accesses;
}

}  // namespace sim
