#pragma once
// Reads the source of a Basic-dialect module into its syntax tree.

#include "script/basic/basic_ast.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace vorlan::script::basic {

// A syntax error; line and column count from 0.
struct SyntaxError : std::runtime_error {
    SyntaxError(const std::string& message, int errorLine, int errorColumn)
        : std::runtime_error(message), line(errorLine), column(errorColumn) {}
    int line;
    int column;
};

// Throws SyntaxError on the first error.
std::unique_ptr<Module> parseModule(std::string_view text);
// One expression and nothing after it (Eval).
ExprPtr parseExpression(std::string_view text);
// A date or time as a #literal# or a text converted to a date writes it (m/d/y, y-m-d, d.m.y,
// h:mm[:ss] [AM|PM]); days since 30 December 1899. False when the text is no date.
bool parseDateText(std::string_view text, double& days);

} // namespace vorlan::script::basic
