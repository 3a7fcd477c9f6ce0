#pragma once
#include <csignal>
#include <sys/resource.h>

// Makes writes past `bytes` fail with "File too large" for as long as it lives, even for root.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ok = ::getrlimit(RLIMIT_FSIZE, &saved) == 0;
        rlimit small = saved;
        small.rlim_cur = bytes;
        oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ok = ok && ::setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool ok = false;

private:
    rlimit saved{};
    void (*oldHandler)(int) = SIG_DFL;
};
