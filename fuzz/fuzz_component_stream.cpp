// Any bytes given to the binary reader either fail with StreamError or read to a tree that writes
// back to exactly the bytes that were read. The text form of a tree that reads must also read back
// whenever the writer accepts it.
#include "script/stream/component_stream.h"
#include "script/stream/text_form.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace vorlan::stream;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    StreamObject object;
    try {
        object = readComponentStream(bytes);
    } catch (const StreamError&) {
        return 0;
    }
    std::string written;
    try {
        written = writeComponentStream(object);
    } catch (const StreamError&) {
        std::abort(); // whatever the reader accepts, the writer must be able to write
    }
    if (written != bytes) std::abort();

    std::string text;
    try {
        text = componentToText(object);
    } catch (const StreamError&) {
        return 0; // names that are no identifiers, NaN, ...: the text cannot say them
    }
    try {
        if (componentToText(componentFromText(text)) != text) std::abort();
    } catch (const StreamError&) {
        std::abort();
    }
    return 0;
}
