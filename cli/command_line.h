#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "buffer/record_transfer.h"
#include "catalog/prom_device.h"

namespace cli {

enum class Command { Devices, Ports, Identify, Blank, Read, Convert, Checksum, Dump, Program, Verify, Produce };

// A programmer fault the simulator injects for a rehearsal: from the start, or after a number
// of register accesses.
enum class InjectedFault { None, Absent, FlatBattery, NoPulse, EndlessPulse, Pulled, PortLost };
struct FaultChoice {
    InjectedFault fault = InjectedFault::None;
    uint64_t afterAccesses = 0;
};

// Which programmer the part commands use.
struct StationChoice {
    const PromDevice* simulatedType = nullptr;   // nullptr: real hardware
    std::string chipFile;                        // keeps the simulated part between runs
    bool direct = false;                         // direct mode instead of the port driver
    bool raw = false;                            // real hardware in direct mode, with ioperm
    uint16_t portBase = 0x378;
    FaultChoice fault;                           // simulator only
};

// The option bits a program run asks for; unset leaves a bit unprogrammed.
struct OptionBitChoices {
    std::optional<bool> resetLow;
    std::optional<bool> busyPulldown;
    std::optional<bool> expressParallel;
};

struct CommandLine {
    bool help = false;
    bool version = false;
    Command command = Command::Devices;
    StationChoice station;
    std::vector<std::string> files;   // the command's FILE, or IN and OUT
    uint32_t bufferSize = 0;          // from --device or --size
    uint32_t dumpFrom = 0;
    OptionBitChoices optionBits;
    const PromDevice* deviceType = nullptr;   // from --device
    std::string logFile;                      // produce: the CSV log, appended to
    uint32_t partCount = 0;                   // produce: parts to do; 0 until the operator stops
    bool json = false;                                   // --json
    RecordFormat streamFormat = RecordFormat::Unknown;   // --format: the format of "-"
};

// The largest buffer --size accepts: well above the largest part.
constexpr uint32_t kMaxBufferSize = 64u << 20;

// Parses the arguments after the program name. False, with the reason in `error`, for a
// command line that is wrong.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& into, std::string& error);

// Does the command work on the part in the socket?
bool UsesStation(Command command);

// The command's word on the command line.
const char* CommandName(Command command);

}  // namespace cli
