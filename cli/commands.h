#pragma once
#include <string>

#include "cli/command_line.h"
#include "cli/console.h"
#include "cli/station_setup.h"
#include "engine/programmer.h"

namespace cli {

// Each returns the exit status.

// The catalogue, one type a line.
int RunDevices(const Console& console);
// The machine's parallel ports: device, base, who holds it, whether this user may open it.
int RunPorts(const Console& console);

// On the part in the programmer.
int RunIdentify(Programmer& programmer, const Console& console);
int RunBlank(Programmer& programmer, const Console& console);
int RunRead(Programmer& programmer, const std::string& file, const Console& console);
int RunProgram(Programmer& programmer, const std::string& file, const OptionBitChoices& optionBits,
               const Console& console);
int RunVerify(Programmer& programmer, const std::string& file, const Console& console);
// A production run: one part after another from the station, until the count or the operator ends it.
int RunProduce(const CommandLine& line, Station& station, const Console& console);

// On files, with a buffer of the size the command line gives.
int RunConvert(const CommandLine& line, const Console& console);
int RunChecksum(const CommandLine& line, const Console& console);
int RunDump(const CommandLine& line, const Console& console);

}  // namespace cli
