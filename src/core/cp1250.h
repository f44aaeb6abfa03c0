#pragma once
// Windows-1250 text as the programs see it, and its conversion to and from UTF-8 at the edges.
//
// The five bytes that Windows-1250 leaves undefined (0x81, 0x83, 0x88, 0x90, 0x98) map to the
// C1 control characters of the same value, so every byte string survives a round trip.

#include <string>
#include <string_view>

namespace vorlan {

char32_t cp1250ToUnicode(unsigned char byte);
// The Windows-1250 byte for a code point, or -1 when the code page has none.
int unicodeToCp1250(char32_t codePoint);

std::string cp1250ToUtf8(std::string_view text);
// Characters without a Windows-1250 byte become `replacement`; invalid UTF-8 bytes are taken as
// Windows-1250 bytes already, so text that was never UTF-8 passes through unchanged.
std::string utf8ToCp1250(std::string_view text, char replacement = '?');
// Strict form: false when the text is not valid UTF-8 or holds a character outside the code page.
bool tryUtf8ToCp1250(std::string_view text, std::string& out);
bool isValidUtf8(std::string_view text);
// A Czech text literal written in UTF-8 source as the engine's Windows-1250 bytes.
inline std::string czech(std::string_view utf8) {
    return utf8ToCp1250(utf8);
}

std::u16string cp1250ToUtf16(std::string_view text);
std::string utf16ToCp1250(std::u16string_view text, char replacement = '?');
std::string utf16ToUtf8(std::u16string_view text);
std::u16string utf8ToUtf16(std::string_view text);
void appendUtf8(std::string& out, char32_t codePoint);

// Letter case of Windows-1250 text, Czech letters included.
unsigned char cp1250Upper(unsigned char c);
unsigned char cp1250Lower(unsigned char c);
std::string upperCase(std::string_view text);
std::string lowerCase(std::string_view text);
// Case-insensitive comparison of Windows-1250 text (-1, 0, 1), by upper-cased bytes.
int compareNoCase(std::string_view a, std::string_view b);
bool equalsNoCase(std::string_view a, std::string_view b);

} // namespace vorlan
