#pragma once
// Tests that need a tool or a facility of the host (a program, fonts, a locale, a print
// scheduler). On a developer's machine without it the test is skipped and says why; under CI
// (the CI variable set, as .ci/run does) it fails, because scripts/install-deps.sh installs
// everything these tests need and a green run must not hide a whole area.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string_view>

namespace vorlan::testing {

inline bool underCi() {
    const char* ci = std::getenv("CI");
    if (!ci) return false;
    const std::string_view value = ci;
    return !value.empty() && value != "0" && value != "false";
}

} // namespace vorlan::testing

// Leaves the current test: skipped, or failed under CI.
#define VORLAN_SKIP_WITHOUT(what)                                                                  \
    do {                                                                                           \
        if (::vorlan::testing::underCi())                                                          \
            GTEST_FAIL() << what << " (scripts/install-deps.sh installs it)";                      \
        else                                                                                       \
            GTEST_SKIP() << what;                                                                  \
    } while (0)
