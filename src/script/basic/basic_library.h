#pragma once
// Built-in functions of the Basic dialect that live outside the main table: the Format…
// family and CreateObject with the objects it can make.

#include "script/basic/basic_interp.h"
#include "script/dispatch.h"

#include <span>
#include <vector>

namespace vorlan::script::basic {

// FormatNumber, FormatCurrency, FormatPercent (expression, digits after the decimal point,
// leading zero, parentheses for negatives, digit grouping) and FormatDateTime (date, named
// format). Numbers use "." before the decimals and "," between groups of three, as scripts
// write them; the currency is the koruna ("1,234.50 Kč"); dates are written the Czech way.
Value formatNumber(std::span<Value> args);
Value formatCurrency(std::span<Value> args);
Value formatPercent(std::span<Value> args);
Value formatDateTime(std::span<Value> args);

// A value as a date; texts are read the way dates are written (m/d/y, y-m-d, d.m.y, times).
DateTime toDateValue(const Value& v);

// CreateObject(class name): "Scripting.Dictionary" is offered; any other name goes to the
// registered CreateOleObject (Scripting.FileSystemObject), and what that refuses fails as
// error 429.
Value createObject(std::span<Value> args);

// An object of the dialect's own (the dictionary). The script calls it directly, so its errors
// keep their numbers; the system calls it through invoke, which turns them into a failed call.
class OwnObject : public Dispatch {
public:
    virtual Value callFromScript(DispId id, unsigned flags, std::span<Value> args) = 0;
    DispStatus invoke(DispId id, unsigned flags, std::span<Value> args, Value& result,
                      ExceptionInfo& error) final {
        try {
            result = callFromScript(id, flags, args);
            return DispStatus::Ok;
        } catch (const BasicError& e) {
            error.description = e.description;
            return DispStatus::Exception;
        }
    }
};

// An object whose items For Each walks directly (a dictionary's keys).
class Enumerable {
public:
    virtual ~Enumerable() = default;
    virtual std::vector<Value> enumerate() const = 0;
};

} // namespace vorlan::script::basic
