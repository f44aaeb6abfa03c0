// Any text given to the text reader either fails with StreamError or reads to a tree whose text
// reads again and writes the same text; when that tree fits the binary stream, the stream reads
// back to the same text as well.
#include "script/stream/component_stream.h"
#include "script/stream/text_form.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace vorlan::stream;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    StreamObject object;
    try {
        object = componentFromText(input);
    } catch (const StreamError&) {
        return 0;
    }
    std::string text;
    try {
        text = componentToText(object);
        if (componentToText(componentFromText(text)) != text) std::abort();
    } catch (const StreamError&) {
        std::abort();
    }

    std::string binary;
    try {
        binary = writeComponentStream(object);
    } catch (const StreamError&) {
        return 0; // a class name of 240 bytes or more without a prefix, for one
    }
    try {
        if (componentToText(readComponentStream(binary)) != text) std::abort();
    } catch (const StreamError&) {
        std::abort();
    }
    return 0;
}
