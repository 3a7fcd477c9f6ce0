#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/register_port.h"

// A register port that records every write and answers reads from a script.
class RecordingPort : public platform::RegisterPort {
public:
    struct Access {
        char kind;       // 'D' data write, 'C' control write, 'R' status read, '?' other
        uint8_t value;
        bool operator==(const Access&) const = default;
    };

    explicit RecordingPort(uint16_t base = 0x378) : base(base) {}

    void Write(uint16_t address, uint8_t value) override {
        char kind = address == base ? 'D' : address == base + 2 ? 'C' : '?';
        log.push_back({kind, value});
    }
    uint8_t Read(uint16_t) override {
        uint8_t value = defaultStatus;
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
    uint8_t defaultStatus = 0xFF;
};

inline RecordingPort::Access D(uint8_t v) { return {'D', v}; }
inline RecordingPort::Access C(uint8_t v) { return {'C', v}; }
