#pragma once
// Open-array and set arguments, read the same way by every routine that takes them (Format,
// MessageDlg's buttons, StringReplace's flags, Sum ...).
//
// A Pascal literal `[a, b]` arrives as an array with bounds 0..2 whose last element is not part
// of the list: the compiler leaves one element more than was written. Arrays from Basic and
// JavaScript pass all their elements. Which rule applies is the running program's dialect, named
// when the program starts. Before any program has started (tools, tests) a trailing empty
// element is taken to be the one a Pascal literal adds.

#include "script/value.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace vorlan::script {

// The dialect of the running program by its main module's extension ("ZLM", "PMB", "TRX",
// letter case ignored); an empty text forgets it.
void setProgramLanguage(std::string_view extension);
// Same, from the main module's file name.
void setProgramLanguageOfModule(std::string_view moduleFileName);
bool programIsPascal();
// Whether a dialect has been named since the start or the last reset.
bool programLanguageKnown();

// The elements of one open-array argument. A value that is no array is a list of itself; an
// empty argument is an empty list. The view borrows from the argument, which must outlive it.
class OpenArray {
public:
    explicit OpenArray(const Value& argument);
    OpenArray(const OpenArray&) = delete;
    OpenArray& operator=(const OpenArray&) = delete;

    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    const Value& operator[](std::size_t i) const { return items_[i]; }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    std::span<const Value> items_;
};

// A set argument as a bit mask: an array of ordinals read as an open array, or an integer that
// is a mask already (MkSet). Ordinals outside 0..31 and values that are no numbers add nothing.
std::uint32_t setMask(const Value& argument);

} // namespace vorlan::script
