#pragma once
// Constants of the standard units as tables: one line per name. A name the registry already
// holds keeps its value; a table that disagrees with it is a binding mismatch, so one name can
// never stand for two things.

#include <cstdint>
#include <span>

namespace vorlan::script {
class Registry;
}

namespace vorlan::stdlib {

struct IntConstant {
    const char* name;
    std::int32_t value;
};

// Integer constants (key codes, cursors, flags ...).
void registerIntConstants(script::Registry& registry, std::span<const IntConstant> table);

// Enumeration values that stored forms keep as identifiers (poScreenCenter, bsDialog ...): each
// name is a constant whose value is its own name, as the form layer reads them.
void registerNameConstants(script::Registry& registry, std::span<const char* const> names);

} // namespace vorlan::stdlib
