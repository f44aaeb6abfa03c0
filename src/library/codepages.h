#pragma once
// Conversion of Czech text between the three 8-bit encodings it reaches us in (Kamenický, the
// Czech DOS code page; Latin 2, code page 852; Windows-1250, our own) and plain ASCII letters.
// Only the 35 Czech and Slovak letters below are translated; every other byte stays as it is,
// so a conversion never changes the length of a text.

#include <string>
#include <string_view>

namespace vorlan::script {
class Registry;
}

namespace vorlan::library {

enum class CodePage { Kamenicky, Latin2, Windows1250, Ascii };

// `to` may be Ascii (the diacritics are dropped); `from` must not be.
std::string convertCodePage(std::string_view text, CodePage from, CodePage to);

// CsKamToLat, CsKamToWin, CsKamToAsc, CsLatToKam, CsLatToWin, CsLatToAsc, CsWinToKam,
// CsWinToLat, CsWinToAsc.
void registerCodePages(script::Registry& registry);

} // namespace vorlan::library
