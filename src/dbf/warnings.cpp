#include "dbf/warnings.h"

#include "core/cp1250.h"

#include <cstdio>
#include <mutex>

namespace vorlan::dbf {
namespace {

std::mutex& guard() {
    static std::mutex m;
    return m;
}

WarningListener& current() {
    static WarningListener listener;
    return listener;
}

} // namespace

WarningListener setWarningListener(WarningListener listener) {
    std::lock_guard lock(guard());
    WarningListener previous = std::move(current());
    current() = std::move(listener);
    return previous;
}

void warn(const std::string& text) {
    WarningListener listener;
    {
        std::lock_guard lock(guard());
        listener = current();
    }
    if (listener) {
        listener(text);
        return;
    }
    const std::string line = cp1250ToUtf8(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}

} // namespace vorlan::dbf
