#pragma once
// The order a Czech reader expects of Windows-1250 text: letters by the alphabet (Č, Ř, Š, Ž
// and the digraph CH are letters of their own; other accents only break ties), digits before
// letters, punctuation before digits; then accents; then letter case, lower case first.

#include <string_view>

namespace vorlan {

// -1, 0 or 1. With `ignoreCase` texts that differ only in letter case compare equal; without
// it only identical texts do.
int compareCzech(std::string_view a, std::string_view b, bool ignoreCase);

} // namespace vorlan
