#pragma once
// Encoded script modules (.VBE, .JSE): the script encoder's obfuscated form of a source text.
//
// An encoded block reads
//   #@~^ LLLLLL == <encoded characters> CCCCCC == ^#~@
// where LLLLLL is the number of encoded characters and CCCCCC the sum of the decoded characters,
// each a 32-bit little-endian number in six base-64 digits. Every character below 0x80 is
// substituted through one of three tables, chosen by its position in the block from a fixed
// cycle of 64; CR, LF, '<', '>' and '@' are written as the escapes @#, @&, @!, @* and @$.
// Bytes from 0x80 up pass through unchanged and do not advance the position. Text outside the
// blocks is kept as it is.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::script::encoded {

// A damaged block: bad length or checksum digits, a truncated block, an unknown escape, a
// checksum that does not match.
class DecodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The text with every encoded block replaced by its decoded characters. Throws DecodeError.
std::string decodeScript(std::string_view text);

// A module's lines as the scripter holds them, decoded and split again into lines (the decoded
// text carries CR LF line ends). Throws DecodeError.
std::vector<std::string> decodeModuleLines(const std::vector<std::string>& lines);

// The position cycle and the substitution tables, shared with anything that has to write the
// format (the tests' encoder).
constexpr int kCycle = 64;
// Which of the three tables the character at a position (modulo 64) goes through.
int tableAt(int position);
// The encoded form of a plain character (0x09 or 0x20..0x7F, none of < > @) in a table.
char encodeChar(int table, unsigned char plain);
// The six base-64 digits of a 32-bit number as the block header and trailer write it.
std::string encodeNumber(std::uint32_t value);

} // namespace vorlan::script::encoded
