#pragma once
// The script encoder's side of the encoded-module format, for tests: plain text in, one encoded
// block out. The runtime itself only ever decodes.
#include "script/encoded/script_decoder.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vorlan::testing {

inline std::string encodeScriptBlock(std::string_view plain) {
    namespace enc = vorlan::script::encoded;
    std::string body;
    std::uint32_t sum = 0;
    int position = 0;
    for (const char ch : plain) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x80) { // passes through and keeps the position
            body += ch;
            continue;
        }
        switch (c) {
        case '\r':
            body += "@#";
            break;
        case '\n':
            body += "@&";
            break;
        case '<':
            body += "@!";
            break;
        case '>':
            body += "@*";
            break;
        case '@':
            body += "@$";
            break;
        default:
            body += enc::encodeChar(enc::tableAt(position), c);
        }
        sum += c;
        ++position;
    }
    return "#@~^" + enc::encodeNumber(static_cast<std::uint32_t>(body.size())) + "==" + body +
           enc::encodeNumber(sum) + "==^#~@";
}

} // namespace vorlan::testing
