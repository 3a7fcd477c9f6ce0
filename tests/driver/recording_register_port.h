#pragma once
#include <cstdint>
#include <deque>
#include <ostream>
#include <vector>

#include "platform/register_port.h"

// A register port that logs every access and answers status reads from a script.
class RecordingRegisterPort final : public platform::RegisterPort {
public:
    struct Access {
        char kind;      // 'D' data write, 'C' control write, 'S' status read, '?' anything else
        uint8_t value;  // the value written; 0 for reads
        bool operator==(const Access&) const = default;
    };

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
        log.push_back({'S', 0});
        if (statusScript.empty()) {
            return idleStatus;
        }
        const uint8_t value = statusScript.front();
        statusScript.pop_front();
        return value;
    }

    uint16_t base = 0x378;
    std::vector<Access> log;
    std::deque<uint8_t> statusScript;
    uint8_t idleStatus = 0x80;   // no pulse running, PROM output 0
    uint64_t reads = 0;
};

inline std::ostream& operator<<(std::ostream& out, const RecordingRegisterPort::Access& access) {
    return out << access.kind << std::hex << int(access.value) << std::dec;
}

// Builders for expected access sequences.
using AccessList = std::vector<RecordingRegisterPort::Access>;
inline RecordingRegisterPort::Access D(int value) { return {'D', static_cast<uint8_t>(value)}; }
inline RecordingRegisterPort::Access C(int value) { return {'C', static_cast<uint8_t>(value)}; }
inline RecordingRegisterPort::Access S() { return {'S', 0}; }

inline void Append(AccessList& list, const AccessList& more) {
    list.insert(list.end(), more.begin(), more.end());
}
inline AccessList ProgrammingModeClock(int s) {
    return {D(0xD9 + s), D(0xD0 + s), D(0xD0 + s), D(0xD1 + s), D(0xD9 + s)};
}
