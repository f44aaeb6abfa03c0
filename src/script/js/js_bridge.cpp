#include "script/js/js_bridge.h"

namespace vorlan::script::js {

std::string jsName(const std::string& cp1250) {
    return cp1250ToUtf8(cp1250);
}

// Plain ASCII reads the same in UTF-8 and Windows-1250: it crosses without a conversion.
bool isAscii(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

std::string stringAt(duk_context* ctx, duk_idx_t index) {
    duk_size_t len = 0;
    const char* s = duk_get_lstring(ctx, index, &len);
    if (!s) return {};
    const std::string_view text(s, len);
    return isAscii(text) ? std::string(text) : utf8ToCp1250(text);
}

void pushText(duk_context* ctx, const std::string& cp1250) {
    if (isAscii(cp1250)) {
        duk_push_lstring(ctx, cp1250.data(), cp1250.size());
        return;
    }
    const std::string utf8 = cp1250ToUtf8(cp1250);
    duk_push_lstring(ctx, utf8.data(), utf8.size());
}

// The error names the script line that made the failing call, not a place in this file.
void pushError(duk_context* ctx, const std::string& cp1250) {
    const std::string utf8 = cp1250ToUtf8(cp1250);
    duk_push_error_object_raw(ctx, DUK_ERR_ERROR, nullptr, 0, "%s", utf8.c_str());
}

// Property keys as text: the engine hands array indexes over as numbers.
bool keyAsText(duk_context* ctx, duk_idx_t index) {
    if (duk_is_number(ctx, index)) duk_to_string(ctx, index);
    return duk_is_string(ctx, index) && !duk_is_symbol(ctx, index);
}

bool isArrayIndex(const std::string& key, std::int32_t& out) {
    if (key.empty() || key.size() > 9) return false;
    std::int32_t v = 0;
    for (char c : key) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (key.size() > 1 && key[0] == '0') return false;
    out = v;
    return true;
}

JsEngine& engineOf(duk_context* ctx) {
    duk_memory_functions functions;
    duk_get_memory_functions(ctx, &functions);
    return *static_cast<JsEngine*>(functions.udata);
}

} // namespace vorlan::script::js
