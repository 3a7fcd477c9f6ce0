#pragma once
#include <cstdint>
#include <deque>
#include <ostream>
#include <vector>

#include "platform/register_port.h"

// A register port that logs every access and answers status reads from a script.
class RecordingPort : public platform::RegisterPort {
public:
    struct Access {
        char kind;              // 'D' data write, 'C' control write, 'R' status read, '?' other address
        uint8_t value;          // the value written, or the status the read gave
        bool anyValue = false;  // in an expected list: a status read, whatever it gave
        bool operator==(const Access& other) const {
            return kind == other.kind && (anyValue || other.anyValue || value == other.value);
        }
    };

    explicit RecordingPort(uint16_t base = 0x378) : base(base) {}

    void Write(uint16_t address, uint8_t value) override {
        const char kind = address == base ? 'D' : address == base + 2 ? 'C' : '?';
        log.push_back({kind, value});
    }
    uint8_t Read(uint16_t address) override {
        ++reads;
        if (address != base + 1) {
            log.push_back({'?', 0});
            return 0;
        }
        uint8_t value = idleStatus;
        if (!statusScript.empty()) {
            value = statusScript.front();
            statusScript.pop_front();
        }
        log.push_back({'R', value});
        return value;
    }

    std::vector<Access> Writes() const {
        std::vector<Access> writes;
        for (const Access& a : log) {
            if (a.kind != 'R') {
                writes.push_back(a);
            }
        }
        return writes;
    }

    uint16_t base;
    std::vector<Access> log;
    std::deque<uint8_t> statusScript;
    uint8_t idleStatus = 0xFF;   // what a status read gives once the script is spent
    uint64_t reads = 0;
};

inline std::ostream& operator<<(std::ostream& out, const RecordingPort::Access& access) {
    return out << access.kind << std::hex << int(access.value) << std::dec;
}

// Builders for expected access lists.
using AccessList = std::vector<RecordingPort::Access>;
inline RecordingPort::Access D(int value) { return {'D', static_cast<uint8_t>(value)}; }
inline RecordingPort::Access C(int value) { return {'C', static_cast<uint8_t>(value)}; }
inline RecordingPort::Access R(int value) { return {'R', static_cast<uint8_t>(value)}; }
// A status read, whatever it gave.
inline RecordingPort::Access S() { return {'R', 0, true}; }

inline void Append(AccessList& list, const AccessList& more) {
    list.insert(list.end(), more.begin(), more.end());
}
inline AccessList ProgrammingModeClock(int s) {
    return {D(0xD9 + s), D(0xD0 + s), D(0xD0 + s), D(0xD1 + s), D(0xD9 + s)};
}
