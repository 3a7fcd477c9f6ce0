#pragma once
// A made-up /proc/sys/dev/parport and /dev, and a kernel that answers the ppdev and port I/O
// calls from a simulated programmer, with failures to order.
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "driver/kernel_calls.h"
#include "driver/parallel_ports.h"
#include "platform/register_port.h"

class FakeParportTree {
public:
    FakeParportTree() : root(std::filesystem::temp_directory_path() / ("ppdev-test-" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root / "proc");
        std::filesystem::create_directories(root / "dev");
        paths.procRoot = (root / "proc").string();
        paths.devRoot = (root / "dev").string();
    }
    ~FakeParportTree() { std::filesystem::remove_all(root); }

    void ListPort(const std::string& name, const std::string& baseAddr) {
        std::filesystem::create_directories(root / "proc" / name / "devices");
        std::ofstream(root / "proc" / name / "base-addr") << baseAddr;
        std::ofstream(root / "proc" / name / "devices" / "active") << "none\n";
    }
    // A plain file stands in for the device node.
    void AddNode(const std::string& name) { std::ofstream(root / "dev" / name) << ""; }
    std::string Node(const std::string& name) const { return (root / "dev" / name).string(); }

    std::filesystem::path root;
    driver::ParportPaths paths;
};

// What the fake kernel saw of the registers: writes and the release, in order.
struct KernelEvent {
    char what;   // 'D' data write, 'C' control write, 'R' release, 'X' close
    uint8_t value;
    bool operator==(const KernelEvent&) const = default;
};

class FakeKernel final : public driver::KernelCalls {
public:
    FakeKernel(platform::RegisterPort& hardware, uint16_t base) : hardware(hardware), base(base) {}

    int Open(const char*, int) override { return Fail(openErrno) ? -1 : kFd; }
    int Close(int fd) override {
        events.push_back({'X', 0});
        return fd == kFd ? 0 : -1;
    }
    int Ioctl(int, unsigned long request, void* argument) override {
        auto* byte = static_cast<unsigned char*>(argument);
        switch (request) {
        case PPEXCL:
            exclusive = true;
            return 0;
        case PPCLAIM:
            return Fail(claimErrno) ? -1 : (claimed = true, 0);
        case PPSETMODE:
            mode = *static_cast<int*>(argument);
            return 0;
        case PPDATADIR:
            direction = *static_cast<int*>(argument);
            return 0;
        case PPRELEASE:
            claimed = false;
            events.push_back({'R', 0});
            return 0;
        default:
            break;
        }
        if (!claimed || ++registerCalls == failAtCall) {
            errno = EIO;
            return -1;
        }
        switch (request) {
        case PPWDATA:
            events.push_back({'D', *byte});
            hardware.Write(base, *byte);
            return 0;
        case PPWCONTROL:
            events.push_back({'C', *byte});
            hardware.Write(static_cast<uint16_t>(base + 2), *byte);
            return 0;
        case PPRDATA:
            *byte = hardware.Read(base);
            return 0;
        case PPRSTATUS:
            *byte = hardware.Read(static_cast<uint16_t>(base + 1));
            return 0;
        case PPRCONTROL:
            *byte = hardware.Read(static_cast<uint16_t>(base + 2));
            return 0;
        default:
            errno = ENOTTY;
            return -1;
        }
    }
    int Ioperm(unsigned long from, unsigned long count, int turnOn) override {
        if (Fail(iopermErrno)) {
            return -1;
        }
        ioperms.push_back({from, count, turnOn});
        return 0;
    }
    uint8_t In(uint16_t address) override { return hardware.Read(address); }
    void Out(uint16_t address, uint8_t value) override {
        events.push_back({address == base ? 'D' : 'C', value});
        hardware.Write(address, value);
    }

    // The last two register writes before the port was released (or given up, raw).
    std::vector<KernelEvent> WritesBeforeRelease() const {
        std::vector<KernelEvent> writes;
        for (const KernelEvent& event : events) {
            if (event.what == 'R' && writes.size() >= 2) {
                return {writes[writes.size() - 2], writes.back()};
            }
            if (event.what == 'D' || event.what == 'C') {
                writes.push_back(event);
            }
        }
        return {};
    }

    static constexpr int kFd = 7;
    int openErrno = 0;
    int claimErrno = 0;
    int iopermErrno = 0;
    uint64_t failAtCall = 0;   // the register ioctl that fails once (1 the first); 0 none
    uint64_t registerCalls = 0;
    bool exclusive = false;
    bool claimed = false;
    int mode = -1;
    int direction = -1;
    std::vector<KernelEvent> events;
    struct Permission {
        unsigned long from;
        unsigned long count;
        int turnOn;
    };
    std::vector<Permission> ioperms;

private:
    static bool Fail(int error) {
        if (error == 0) {
            return false;
        }
        errno = error;
        return true;
    }

    platform::RegisterPort& hardware;
    uint16_t base;
};
