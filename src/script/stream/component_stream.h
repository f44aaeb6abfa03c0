#pragma once
// The binary component stream: "TPF0" followed by one object (see stream_object.h for the tree).
//
// Reading then writing a stream gives back the same bytes: the tree keeps how every value was
// stored (integer width, string kind, child position width, list markers of collection items).

#include "script/stream/stream_error.h"
#include "script/stream/stream_object.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace vorlan::stream {

// Objects, lists and collections may nest this deep; deeper input is refused rather than risking
// the stack.
constexpr int kMaxStreamDepth = 256;

// Reads a whole stream; bytes after the root object are an error. Throws StreamError on truncated
// or corrupt input, with the byte offset in the message.
StreamObject readComponentStream(std::string_view bytes);
// Reads a stream that may be followed by other data; `consumed` receives its length in bytes.
StreamObject readComponentStream(std::string_view bytes, std::size_t& consumed);

// Throws StreamError when the tree holds something the stream cannot express (a short string
// over 255 bytes, an integer too wide for its kind, a Null inside a list, ...).
std::string writeComponentStream(const StreamObject& object);

} // namespace vorlan::stream
