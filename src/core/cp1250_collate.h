#pragma once
// The order of Windows-1250 text the way a Czech Windows sorts it (AnsiCompareText,
// AnsiCompareStr): letters by the Czech alphabet, where CH follows H and Č, Ř, Š, Ž are letters
// of their own after C, R, S, Z; other accents only break ties (a < á < b); punctuation before
// digits before letters; the hyphen and the apostrophe count only when everything else is equal
// ("co-op" sits next to "coop"). With case, a lower-case letter comes before its capital.
//
// Two texts are equal only when they are the same text (case-insensitively: the same in upper
// case), so the order is total and agrees with equalsNoCase.

#include <string>
#include <string_view>

namespace vorlan {

// A key whose byte order is the text's order: sorting many texts by their keys is much faster
// than comparing the texts again and again.
std::string collationKey(std::string_view text, bool caseSensitive);
void appendCollationKey(std::string& out, std::string_view text, bool caseSensitive);

// -1, 0 or 1.
int compareCollated(std::string_view a, std::string_view b, bool caseSensitive);
inline int ansiCompareText(std::string_view a, std::string_view b) {
    return compareCollated(a, b, false);
}
inline int ansiCompareStr(std::string_view a, std::string_view b) {
    return compareCollated(a, b, true);
}

} // namespace vorlan
