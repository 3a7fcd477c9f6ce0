#pragma once
#include <cstdint>

class OperatorServices;

// The option-pair choices of the station window: -1 while no button of the pair is pressed,
// 0 for its first button, 1 for its second.
struct OptionChoices {
    int reset = -1;
    int busy = -1;
    int output = -1;
};

// What to ask ProgramDevice for; `aborted` when the operator abandoned a prompt.
struct ProgramOptions {
    uint32_t word = 0;
    bool aborted = false;
};

// Turns the choices into the options word, asking the operator for each unset pair in the order
// reset, busy, output; an Abort ends the questions. The busy and output bits count only for
// `vFamilyDevice`, the two types that have them.
ProgramOptions GatherProgramOptions(const OptionChoices& choices, bool vFamilyDevice, OperatorServices& operatorServices);
