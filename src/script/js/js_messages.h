#pragma once
// The JavaScript engine words its errors in English; a program's user reads them in Czech. The
// names the engine quotes ('total') stay as they are, so the error's column can still be found.

#include <string>
#include <string_view>

namespace vorlan::script::js {

// `text` (UTF-8, "TypeError: undefined not callable") in Czech; parts it does not know are
// kept.
std::string czechEngineMessage(std::string_view text);

} // namespace vorlan::script::js
