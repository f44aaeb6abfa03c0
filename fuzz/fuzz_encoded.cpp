// Any text given as an encoded module either decodes or fails with DecodeError, never crashes;
// and any text encoded and decoded again comes back unchanged.
#include "../tests/script/basic/script_encoder.h"
#include "script/encoded/script_decoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace enc = vorlan::script::encoded;
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        (void)enc::decodeScript(text);
        (void)enc::decodeModuleLines({text, text});
    } catch (const enc::DecodeError&) {
    }
    if (enc::decodeScript(vorlan::testing::encodeScriptBlock(text)) != text) std::abort();
    return 0;
}
