#pragma once
// FindFirst, FindNext and FindClose: the entries of a folder whose names match a Windows
// wildcard pattern (C:\DATA\*.DBF), letter case ignored, read through the host path mapper.
// The search record is a script object (TSearchRec) with the entry found last.

#include "script/native_object.h"
#include "script/value.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::stdlib {

// The codes the routines answer besides 0 (found), as on the platform the programs know.
constexpr std::int32_t kSearchPathNotFound = 3;
constexpr std::int32_t kSearchNoMoreFiles = 18;

class SearchRec : public script::NativeObject {
public:
    SearchRec() : NativeObject("TSearchRec") {}

    struct Entry {
        std::string name; // Windows-1250
        std::int32_t size = 0;
        std::int32_t attr = 0;
        std::int32_t time = 0; // packed DOS date and time
    };
    Entry current;
    // The entries not handed out yet, in the order FindNext gives them.
    std::vector<Entry> pending;
    std::size_t next = 0;
};

// Whether the name matches the pattern: "*" any run of characters, "?" one character, letter
// case ignored (Windows-1250). "*.*" matches every name, also one without a dot.
bool matchesWildcard(std::string_view name, std::string_view pattern);

// The search record in `rec` (a new one when it holds none) gets the first entry; 0 or an
// error code. Directories come only with faDirectory, hidden entries only with faHidden.
std::int32_t findFirst(std::string_view path, std::int32_t attributes, script::Value& rec);
std::int32_t findNext(script::Value& rec);
void findClose(script::Value& rec);

} // namespace vorlan::stdlib
