#include "ui/program_options.h"

#include "engine/programmer.h"
#include "buffer/operator_services.h"

namespace {

// A set pair's second button, or the prompt's second answer for an unset pair, asks for `flag`.
// False when the operator aborted the prompt.
template <typename Ask>
bool TakeOption(int choice, Ask ask, uint32_t flag, ProgramOptions& options) {
    if (choice == -1) {
        const int answer = ask();
        if (answer == 0) {
            return false;
        }
        if (answer == -1) {
            options.word |= flag;
        }
    } else if (choice == 1) {
        options.word |= flag;
    }
    return true;
}

}  // namespace

ProgramOptions GatherProgramOptions(const OptionChoices& choices, bool vFamilyDevice, OperatorServices& operatorServices) {
    ProgramOptions options{PROGRAM_ARRAY, false};
    options.aborted =
        !TakeOption(choices.reset, [&] { return operatorServices.AskResetPolarity(); }, PROGRAM_RESET_LOW, options);
    if (vFamilyDevice && !options.aborted) {
        // An abort of the busy prompt leaves the output prompt unasked.
        options.aborted =
            !TakeOption(choices.busy, [&] { return operatorServices.AskBusyPin(); }, PROGRAM_BUSY_PULLDOWN, options) ||
            !TakeOption(choices.output, [&] { return operatorServices.AskOutputMode(); }, PROGRAM_EXPRESS_PARALLEL,
                        options);
    }
    return options;
}
