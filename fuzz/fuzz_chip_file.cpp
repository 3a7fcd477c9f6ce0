// A hand-edited or corrupt virtual chip file: the loader refuses it with a text that names the
// file, or gives a part that is whole and survives a save and a load unchanged.
#include "file_input.h"
#include "sim/simulated_programmer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const std::string path = fuzz::WriteInput("chip.prom", bytes, size);
    sim::SimulatedProm part;
    std::string error;
    if (!sim::LoadChipFile(path, part, error)) {
        if (error.find(path) == std::string::npos) {
            std::abort();
        }
        return 0;
    }
    if (part.contents.size() != part.type.sizeBits / 8) {
        std::abort();
    }
    const std::string copy = (fuzz::InputFolder() / "copy.prom").string();
    sim::SimulatedProm again;
    if (!sim::SaveChipFile(copy, part, error) || !sim::LoadChipFile(copy, again, error) ||
        again.type.name != part.type.name || again.contents != part.contents ||
        again.resetProgrammed != part.resetProgrammed || again.expressProgrammed != part.expressProgrammed ||
        again.busyProgrammed != part.busyProgrammed || fuzz::ReadWhole(copy) != fuzz::ReadWhole(path)) {
        std::abort();
    }
    return 0;
}
