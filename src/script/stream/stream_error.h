#pragma once
// The one error the component stream code throws: corrupt or truncated binary input (the message
// names the byte offset), text form mistakes (the message names the line), and trees that cannot
// be written in the requested form.

#include <stdexcept>
#include <string>

namespace vorlan::stream {

class StreamError : public std::runtime_error {
public:
    explicit StreamError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace vorlan::stream
