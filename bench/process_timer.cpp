// Best wall time of a whole process over several runs, for comparing command-line tools.
// Usage: process_timer [--fresh FILE] RUNS COMMAND [ARGUMENTS...]
// prints the best time in milliseconds. The command is started directly (no shell) with its
// output discarded, so the figure holds the process's own start-up and work and nothing of a
// shell's. --fresh removes FILE before every run (untimed), so each run creates its output anew
// instead of replacing the last run's.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace {

// Runs the command once; a negative time when it could not run or failed.
double RunOnceMs(char** command) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, command[0], &actions, nullptr, command, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return -1;
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child) {
        return -1;
    }
    const auto end = std::chrono::steady_clock::now();
    // promtool's 3 means "converted, with a load warning": still a complete run.
    if (!WIFEXITED(status) || (WEXITSTATUS(status) != 0 && WEXITSTATUS(status) != 3)) {
        return -1;
    }
    return std::chrono::duration<double, std::milli>(end - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const char* fresh = nullptr;
    if (argc > 2 && std::strcmp(argv[1], "--fresh") == 0) {
        fresh = argv[2];
        argc -= 2;
        argv += 2;
    }
    if (argc < 3 || std::atoi(argv[1]) < 1) {
        std::fprintf(stderr, "usage: process_timer [--fresh FILE] RUNS COMMAND [ARGUMENTS...]\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    double best = 0;
    for (int run = 0; run < runs; ++run) {
        if (fresh != nullptr) {
            unlink(fresh);
        }
        const double ms = RunOnceMs(argv + 2);
        if (ms < 0) {
            std::fprintf(stderr, "process_timer: %s did not run to its end\n", argv[2]);
            return 1;
        }
        best = run == 0 ? ms : std::min(best, ms);
    }
    std::printf("%.2f\n", best);
    return 0;
}
