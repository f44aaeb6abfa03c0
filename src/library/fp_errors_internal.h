#pragma once
// The floating-point failures that stop a script: invalid operation, division by zero and
// overflow. Underflow and inexact results stay silent. The texts name the function so the
// script's author sees where it happened.

#include "core/cp1250.h"
#include "script/dispatch.h"

#include <cmath>
#include <string>
#include <string_view>

namespace vorlan::library {

[[noreturn]] inline void raiseInvalidOperation(std::string_view function,
                                               std::string_view why = {}) {
    std::string text =
        czech("Neplatná operace s reálným číslem ve funkci ") + std::string(function);
    if (!why.empty()) text += ": " + std::string(why);
    throw script::ScriptException(text);
}

[[noreturn]] inline void raiseDivisionByZero(std::string_view function) {
    throw script::ScriptException(czech("Dělení nulou v reálné aritmetice ve funkci ") +
                                  std::string(function));
}

[[noreturn]] inline void raiseOverflow(std::string_view function) {
    throw script::ScriptException(czech("Přetečení reálného čísla ve funkci ") +
                                  std::string(function));
}

// A computed result as the script may see it: not-a-number is an invalid operation, an
// infinite result an overflow.
inline double checkedResult(double r, std::string_view function) {
    if (std::isnan(r)) raiseInvalidOperation(function);
    if (std::isinf(r)) raiseOverflow(function);
    return r;
}

// The 6-byte real's precision and range applied to a number, its overflow reported for the
// function at hand.
double throughReal48(double x, std::string_view function);

} // namespace vorlan::library
