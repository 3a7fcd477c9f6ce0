#pragma once
#include <string>

#include "cli/command_line.h"
#include "cli/console.h"
#include "engine/programmer.h"

namespace cli {

// Checks that the programmer answers, then identifies the part with its option bits and sizes
// the buffer to it, as the station's Identify button does. False after telling why.
bool IdentifyPart(Programmer& programmer, const Console& console);
// The same; empty when the part was identified, else why not.
std::string IdentifyPartFailure(Programmer& programmer);

// Whether `part` has the option bits asked for; says so when not.
bool CheckOptionBitsFit(const PromDevice& part, const OptionBitChoices& optionBits, const Console& console);

// The options word of ProgramDevice: the array and the option bits asked for.
uint32_t OptionsWord(const OptionBitChoices& optionBits);

// Loads FILE into the buffer of the identified part. A file that loads only with a warning is
// refused: an image cut short or read with bad checksums must not reach the part. False after
// telling why, with `refusal` naming what was not done.
bool LoadPartImage(Programmer& programmer, const std::string& file, const std::string& refusal,
                   const Console& console);

// A station failure message with the engine's detail after it, when there is one.
std::string WithFailureText(const std::string& message, const std::string& failureText);

}  // namespace cli
