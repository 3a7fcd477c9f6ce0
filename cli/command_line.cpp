#include "cli/command_line.h"

#include <charconv>
#include <string_view>

#include "cli/device_names.h"
#include "cli/standard_streams.h"

namespace cli {
namespace {

struct CommandSpec {
    const char* name;
    Command command;
    size_t fileCount;
    const char* fileNames;   // how the usage error names the files
};

constexpr CommandSpec kCommands[] = {
    {"devices", Command::Devices, 0, ""},
    {"ports", Command::Ports, 0, ""},
    {"identify", Command::Identify, 0, ""},
    {"blank", Command::Blank, 0, ""},
    {"read", Command::Read, 1, "FILE"},
    {"convert", Command::Convert, 2, "IN and OUT"},
    {"checksum", Command::Checksum, 1, "FILE"},
    {"dump", Command::Dump, 1, "FILE"},
    {"program", Command::Program, 1, "FILE"},
    {"verify", Command::Verify, 1, "FILE"},
    {"produce", Command::Produce, 1, "IMAGE"},
};

enum class OptionGroup { Station, PartType, BufferSize, From, OptionBits, Production, Json, StreamFormat };

struct OptionSpec {
    std::string_view name;
    bool takesValue;
    OptionGroup group;
};

constexpr OptionSpec kOptions[] = {
    {"--sim", true, OptionGroup::Station},
    {"--direct", false, OptionGroup::Station},
    {"--port", true, OptionGroup::Station},
    {"--raw", false, OptionGroup::Station},
    {"--fault", true, OptionGroup::Station},
    {"--device", true, OptionGroup::PartType},
    {"--size", true, OptionGroup::BufferSize},
    {"--from", true, OptionGroup::From},
    {"--reset", true, OptionGroup::OptionBits},
    {"--busy", true, OptionGroup::OptionBits},
    {"--output", true, OptionGroup::OptionBits},
    {"--log", true, OptionGroup::Production},
    {"--count", true, OptionGroup::Production},
    {"--json", false, OptionGroup::Json},
    {"--format", true, OptionGroup::StreamFormat},
};

struct GivenOption {
    const OptionSpec* spec;
    std::string value;
};

const OptionSpec* FindOption(std::string_view name) {
    for (const OptionSpec& spec : kOptions) {
        if (spec.name == name) {
            return &spec;
        }
    }
    return nullptr;
}

bool GroupAllowed(OptionGroup group, Command command) {
    switch (group) {
    case OptionGroup::Station:
        return UsesStation(command);
    case OptionGroup::PartType:
        return GroupAllowed(OptionGroup::BufferSize, command) || command == Command::Produce;
    case OptionGroup::BufferSize:
        return command == Command::Convert || command == Command::Checksum || command == Command::Dump;
    case OptionGroup::From:
        return command == Command::Dump;
    case OptionGroup::OptionBits:
        return command == Command::Program || command == Command::Produce;
    case OptionGroup::Production:
        return command == Command::Produce;
    case OptionGroup::Json:
        return command == Command::Devices || command == Command::Ports || command == Command::Identify ||
               command == Command::Blank || command == Command::Read || command == Command::Verify ||
               command == Command::Program || command == Command::Checksum;
    case OptionGroup::StreamFormat:
        // The commands that read or write a record file.
        return command == Command::Read || command == Command::Convert || command == Command::Checksum ||
               command == Command::Dump || command == Command::Program || command == Command::Verify;
    }
    return false;
}

// A decimal number, or a hexadecimal one after 0x.
bool ParseNumber(const std::string& text, uint32_t& value) {
    int base = 10;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        first += 2;
    }
    if (first == last || *first == '+' || *first == '-') {
        return false;
    }
    const auto [end, problem] = std::from_chars(first, last, value, base);
    return problem == std::errc() && end == last;
}

// Splits the words of the command line into options (with their values) and the rest.
bool SplitArguments(const std::vector<std::string>& args, std::vector<GivenOption>& options,
                    std::vector<std::string>& words, bool& help, bool& version, std::string& error) {
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            words.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            help = true;
            return true;
        }
        if (arg == "--version") {
            version = true;
            return true;
        }
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const OptionSpec* spec = FindOption(name);
        if (!spec) {
            error = "unknown option '" + name + "'";
            return false;
        }
        GivenOption given{spec, {}};
        if (!spec->takesValue && equals != std::string::npos) {
            error = name + " takes no value";
            return false;
        }
        if (spec->takesValue && equals != std::string::npos) {
            given.value = arg.substr(equals + 1);
        } else if (spec->takesValue) {
            if (i + 1 == args.size()) {
                error = name + " needs a value";
                return false;
            }
            given.value = args[++i];
        }
        for (const GivenOption& earlier : options) {
            if (earlier.spec == spec) {
                error = name + " is given twice";
                return false;
            }
        }
        options.push_back(std::move(given));
    }
    return true;
}

const PromDevice* FindType(const std::string& name, std::string& error) {
    const PromDevice* type = FindDeviceType(DeviceCatalog::Standard(), name);
    if (!type) {
        error = "unknown PROM type '" + name + "' ('promtool devices' lists the types)";
    }
    return type;
}

// One of two words for an on/off choice: `off` gives false, `on` true.
bool ParseChoice(const GivenOption& option, const char* off, const char* on, std::optional<bool>& choice,
                 std::string& error) {
    if (option.value == off || option.value == on) {
        choice = option.value == on;
        return true;
    }
    error = std::string(option.spec->name) + " must be " + off + " or " + on;
    return false;
}

// NAME or NAME@ACCESSES, NAME one of the simulator's programmer faults.
bool ParseFault(const std::string& value, FaultChoice& fault, std::string& error) {
    static constexpr std::pair<std::string_view, InjectedFault> kFaults[] = {
        {"absent", InjectedFault::Absent},         {"flat-battery", InjectedFault::FlatBattery},
        {"no-pulse", InjectedFault::NoPulse},      {"endless-pulse", InjectedFault::EndlessPulse},
        {"pulled", InjectedFault::Pulled},         {"port-lost", InjectedFault::PortLost},
    };
    const size_t at = value.find('@');
    const std::string name = value.substr(0, at);
    fault.fault = InjectedFault::None;
    for (const auto& [faultName, kind] : kFaults) {
        if (name == faultName) {
            fault.fault = kind;
        }
    }
    uint32_t accesses = 0;
    const bool countGood = at == std::string::npos || ParseNumber(value.substr(at + 1), accesses);
    if (fault.fault == InjectedFault::None || !countGood) {
        error = "--fault must be absent, flat-battery, no-pulse, endless-pulse, pulled or port-lost, optionally "
                "followed by @ACCESSES";
        return false;
    }
    fault.afterAccesses = accesses;
    return true;
}

bool ApplyOption(const GivenOption& option, CommandLine& line, std::string& error) {
    const std::string_view name = option.spec->name;
    const std::string& value = option.value;
    if (name == "--sim") {
        const size_t colon = value.find(':');
        line.station.simulatedType = FindType(value.substr(0, colon), error);
        if (colon != std::string::npos) {
            line.station.chipFile = value.substr(colon + 1);
            if (line.station.chipFile.empty()) {
                error = "--sim TYPE:CHIPFILE needs a file name after the colon";
                return false;
            }
        }
        return line.station.simulatedType != nullptr;
    }
    if (name == "--fault") {
        return ParseFault(value, line.station.fault, error);
    }
    if (name == "--direct") {
        line.station.direct = true;
        return true;
    }
    if (name == "--raw") {
        line.station.raw = true;
        return true;
    }
    if (name == "--port") {
        // Room for the status and control registers above the base; whether the machine has a
        // port there is for the port's opening to say.
        uint32_t base = 0;
        if (!ParseNumber(value, base) || base == 0 || base > 0xFFFD) {
            error = "--port must be a port base address such as 0x378, 0x278, 0x3BC or 0xD010";
            return false;
        }
        line.station.portBase = static_cast<uint16_t>(base);
        return true;
    }
    if (name == "--device") {
        const PromDevice* type = FindType(value, error);
        if (type) {
            line.bufferSize = type->sizeBits / 8;
            line.deviceType = type;
        }
        return type != nullptr;
    }
    if (name == "--size") {
        if (!ParseNumber(value, line.bufferSize) || line.bufferSize == 0 || line.bufferSize > kMaxBufferSize) {
            error = "--size must be a number of bytes from 1 to " + std::to_string(kMaxBufferSize);
            return false;
        }
        return true;
    }
    if (name == "--from") {
        if (!ParseNumber(value, line.dumpFrom)) {
            error = "--from must be a byte offset";
            return false;
        }
        return true;
    }
    if (name == "--log") {
        if (value.empty()) {
            error = "--log needs a file name";
            return false;
        }
        line.logFile = value;
        return true;
    }
    if (name == "--count") {
        if (!ParseNumber(value, line.partCount) || line.partCount == 0) {
            error = "--count must be a number of parts from 1";
            return false;
        }
        return true;
    }
    if (name == "--json") {
        line.json = true;
        return true;
    }
    if (name == "--format") {
        return ParseStreamFormat(value, line.streamFormat, error);
    }
    if (name == "--reset") {
        return ParseChoice(option, "high", "low", line.optionBits.resetLow, error);
    }
    if (name == "--busy") {
        return ParseChoice(option, "floating", "pulldown", line.optionBits.busyPulldown, error);
    }
    return ParseChoice(option, "serial", "parallel", line.optionBits.expressParallel, error);
}

bool Given(const std::vector<GivenOption>& options, std::string_view name) {
    for (const GivenOption& option : options) {
        if (option.spec->name == name) {
            return true;
        }
    }
    return false;
}

// What no single option can tell: options that go together or exclude each other.
bool CheckCombination(const std::vector<GivenOption>& options, CommandLine& line, std::string& error) {
    const bool sizeGiven = Given(options, "--device") || Given(options, "--size");
    if (GroupAllowed(OptionGroup::BufferSize, line.command) && !sizeGiven) {
        error = "give the buffer size with --device NAME or --size BYTES";
        return false;
    }
    if (Given(options, "--device") && Given(options, "--size")) {
        error = "give either --device or --size, not both";
        return false;
    }
    if (line.command == Command::Dump && line.dumpFrom >= line.bufferSize) {
        error = "--from lies beyond the buffer of " + std::to_string(line.bufferSize) + " bytes";
        return false;
    }
    if (line.command == Command::Produce && line.station.simulatedType && line.partCount == 0) {
        error = "a rehearsal with --sim needs --count N: no operator stops it";
        return false;
    }
    if (Given(options, "--fault") && !line.station.simulatedType) {
        error = "--fault is for the simulated programmer: give --sim TYPE too";
        return false;
    }
    if (line.station.raw && line.station.simulatedType) {
        error = "--raw is for real hardware: leave out --sim";
        return false;
    }
    if (line.station.raw && line.station.direct) {
        error = "--raw runs direct mode already: leave out --direct";
        return false;
    }
    if (line.station.direct && !line.station.simulatedType) {
        error = "direct mode on real hardware is --raw: leave out --direct to use the port driver";
        return false;
    }
    return CheckStandardStreams(line, error);
}

}  // namespace

bool UsesStation(Command command) {
    return command == Command::Identify || command == Command::Blank || command == Command::Read ||
           command == Command::Program || command == Command::Verify || command == Command::Produce;
}

const char* CommandName(Command command) {
    for (const CommandSpec& spec : kCommands) {
        if (spec.command == command) {
            return spec.name;
        }
    }
    return "";
}

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& into, std::string& error) {
    std::vector<GivenOption> options;
    std::vector<std::string> words;
    if (!SplitArguments(args, options, words, into.help, into.version, error)) {
        return false;
    }
    if (into.help || into.version) {
        return true;
    }
    if (words.empty()) {
        error = "no command given";
        return false;
    }
    const CommandSpec* spec = nullptr;
    for (const CommandSpec& candidate : kCommands) {
        if (words[0] == candidate.name) {
            spec = &candidate;
        }
    }
    if (!spec) {
        error = "unknown command '" + words[0] + "'";
        return false;
    }
    into.command = spec->command;
    into.files.assign(words.begin() + 1, words.end());
    if (into.files.size() > spec->fileCount) {
        error = "unexpected argument '" + into.files[spec->fileCount] + "'";
        return false;
    }
    if (into.files.size() < spec->fileCount) {
        error = std::string(spec->name) + " needs " + spec->fileNames;
        return false;
    }
    for (const GivenOption& option : options) {
        if (!GroupAllowed(option.spec->group, into.command)) {
            error = std::string(option.spec->name) + " is not an option of " + spec->name;
            return false;
        }
        if (!ApplyOption(option, into, error)) {
            return false;
        }
    }
    return CheckCombination(options, into, error);
}

}  // namespace cli
