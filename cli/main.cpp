#include <unistd.h>

#include <iostream>

#include "cli/promtool.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return RunPromtool(args, std::cout, std::cerr, isatty(STDERR_FILENO) == 1);
}
