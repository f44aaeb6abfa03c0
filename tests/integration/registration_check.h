#pragma once
// Registers units into a fresh registry and gives every binding that disagrees with its
// declaration: the mismatches recorded meanwhile, or the one a debug build stopped at.

#include "script/bind.h"
#include "script/registry.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace vorlan::test_support {

template <class F> std::vector<std::string> bindingMismatchesOf(F&& registerUnits) {
    // The list is process-wide: only what these units add counts.
    const std::size_t before = script::bindingMismatches().size();
    script::Registry registry;
    try {
        registerUnits(registry);
    } catch (const std::logic_error& e) {
        return {e.what()};
    }
    const auto& all = script::bindingMismatches();
    return {all.begin() + static_cast<std::ptrdiff_t>(before), all.end()};
}

inline std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + '\n';
    return text;
}

} // namespace vorlan::test_support
