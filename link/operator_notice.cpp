#include "link/operator_notice.h"

#include <cstdio>

namespace {
WarningHook& InstalledHook() {
    static WarningHook hook;
    return hook;
}
}  // namespace

void SetWarningHook(WarningHook hook) {
    InstalledHook() = std::move(hook);
}

void ShowWarning(const std::string& text, const std::string& caption) {
    if (InstalledHook()) {
        InstalledHook()(text, caption);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}
