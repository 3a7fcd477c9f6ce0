#include <ext/stdio_filebuf.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "cli/promtool.h"
#include "cli/standard_streams.h"

namespace {

// A full disk or a closed pipe behind standard output fails a run that would otherwise succeed
// (a command that failed has said why already).
int Flushed(std::ostream& out, int status) {
    if (out.flush() || status != 0) {
        return status;
    }
    std::cerr << "error: standard output could not be written\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const bool showProgress = isatty(STDERR_FILENO) == 1;
    if (!cli::ReservesStandardOutput(args)) {
        return Flushed(std::cout, RunPromtool(args, std::cin, std::cout, std::cerr, showProgress));
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
    return Flushed(out, RunPromtool(args, std::cin, out, std::cerr, showProgress));
}
