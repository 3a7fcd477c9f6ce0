#include "engine/access_path.h"

#include "engine/programmer.h"

std::unique_ptr<AccessPath> MakeAccessPath(Programmer& programmer) {
    if (programmer.IsDirectMode()) {
        return std::make_unique<DirectPath>(programmer);
    }
    return std::make_unique<DriverPath>(programmer);
}
