#include <ext/stdio_filebuf.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "cli/promtool.h"
#include "cli/standard_streams.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const bool showProgress = isatty(STDERR_FILENO) == 1;
    if (!cli::ReservesStandardOutput(args)) {
        return RunPromtool(args, std::cin, std::cout, std::cerr, showProgress);
    }
    // Standard output carries JSON or a file's data. The engine prints its own diagnostics there,
    // so they are sent to standard error, and promtool writes to a copy of the descriptor.
    std::fflush(stdout);
    const int reserved = dup(STDOUT_FILENO);
    if (reserved < 0 || dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
        std::perror("promtool: standard output");
        return 1;
    }
    __gnu_cxx::stdio_filebuf<char> buffer(reserved, std::ios::out | std::ios::binary, 1 << 16);
    std::ostream out(&buffer);
    const int status = RunPromtool(args, std::cin, out, std::cerr, showProgress);
    if (!out.flush()) {
        std::cerr << "error: standard output could not be written\n";
        return status == 0 ? 1 : status;
    }
    return status;
}
