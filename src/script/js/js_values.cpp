#include "script/js/js_bridge.h"

#include "script/js/js_dates.h"

#include <cmath>
#include <vector>

namespace vorlan::script::js {

// ---- values

void JsEngine::pushValue(duk_context* ctx, const Value& value) {
    switch (value.type()) {
    case ValueType::Empty:
        duk_push_undefined(ctx);
        return;
    case ValueType::Null:
        duk_push_null(ctx);
        return;
    case ValueType::Integer:
        duk_push_int(ctx, value.asInt());
        return;
    case ValueType::Double:
        duk_push_number(ctx, value.asDouble());
        return;
    case ValueType::Currency:
        duk_push_number(ctx, static_cast<double>(value.asCurrency().scaled) / 10000.0);
        return;
    case ValueType::Date:
        duk_push_heapptr(ctx, dateCtor_);
        duk_push_number(ctx, localDaysToUtcMs(value.asDate().days));
        duk_new(ctx, 1);
        return;
    case ValueType::String:
        pushText(ctx, value.asString());
        return;
    case ValueType::Boolean:
        duk_push_boolean(ctx, value.asBool());
        return;
    case ValueType::Object:
        pushHost(ctx, value.asObject());
        return;
    case ValueType::Array: {
        const VarArray& array = *value.asArray();
        if (array.dimensions() == 1 && array.bound(0).low == 0) {
            duk_push_array(ctx);
            for (std::size_t i = 0; i < array.size(); ++i) {
                pushValue(ctx, array.items()[i]);
                duk_put_prop_index(ctx, -2, static_cast<duk_uarridx_t>(i));
            }
            return;
        }
        duk_push_object(ctx);
        duk_push_heapptr(ctx, safeArrayProto_);
        duk_set_prototype(ctx, -2);
        duk_push_array(ctx);
        for (std::size_t d = 0; d < array.dimensions(); ++d) {
            duk_push_array(ctx);
            duk_push_int(ctx, array.bound(d).low);
            duk_put_prop_index(ctx, -2, 0);
            duk_push_int(ctx, array.bound(d).high);
            duk_put_prop_index(ctx, -2, 1);
            duk_put_prop_index(ctx, -2, static_cast<duk_uarridx_t>(d));
        }
        duk_put_prop_string(ctx, -2, "_b");
        duk_push_array(ctx);
        for (std::size_t i = 0; i < array.size(); ++i) {
            pushValue(ctx, array.items()[i]);
            duk_put_prop_index(ctx, -2, static_cast<duk_uarridx_t>(i));
        }
        duk_put_prop_string(ctx, -2, "_i");
        return;
    }
    }
    duk_push_undefined(ctx);
}

Value JsEngine::toValue(duk_context* ctx, int index, int depth) {
    // Arguments come with their own places; only relative places need the engine's help.
    const duk_idx_t idx = index < 0 ? duk_normalize_index(ctx, index) : index;
    switch (duk_get_type(ctx, idx)) {
    case DUK_TYPE_NULL:
        return Value::null();
    case DUK_TYPE_BOOLEAN:
        return Value(static_cast<bool>(duk_get_boolean(ctx, idx)));
    case DUK_TYPE_NUMBER: {
        const double d = duk_get_number(ctx, idx);
        if (d >= -2147483648.0 && d <= 2147483647.0) {
            const auto whole = static_cast<std::int32_t>(d);
            if (static_cast<double>(whole) == d && !(whole == 0 && std::signbit(d)))
                return Value(whole);
        }
        return Value(d);
    }
    case DUK_TYPE_STRING: {
        duk_size_t len = 0;
        const char* s = duk_get_lstring(ctx, idx, &len);
        // A symbol's inner form starts with a byte that is not ASCII.
        if (s && isAscii(std::string_view(s, len))) return Value(std::string(s, len));
        if (duk_is_symbol(ctx, idx)) return {};
        return Value(stringAt(ctx, idx));
    }
    case DUK_TYPE_OBJECT:
        break;
    default:
        return {};
    }
    if (HostObject* host = hostOfProxy(duk_get_heapptr(ctx, idx))) return Value(host->dispatch);
    if (depth > 16) return {};
    if (duk_is_array(ctx, idx)) {
        const duk_size_t length = duk_get_length(ctx, idx);
        if (length > kMaxArrayItems) throw ValueError(czech("Pole je příliš velké"));
        const auto count = static_cast<std::int32_t>(length);
        auto array = VarArray::create(0, count - 1);
        for (std::int32_t i = 0; i < count; ++i) {
            duk_get_prop_index(ctx, idx, static_cast<duk_uarridx_t>(i));
            array->items()[static_cast<std::size_t>(i)] = toValue(ctx, -1, depth + 1);
            duk_pop(ctx);
        }
        return Value(array);
    }
    duk_get_prototype(ctx, idx);
    void* proto = duk_get_heapptr(ctx, -1);
    duk_pop(ctx);
    if (proto && (proto == safeArrayProto_ || proto == vbArrayProto_)) {
        std::vector<VarArray::Bound> bounds;
        duk_get_prop_string(ctx, idx, "_b");
        const auto dims = static_cast<duk_uarridx_t>(duk_get_length(ctx, -1));
        for (duk_uarridx_t d = 0; d < dims && d < 60; ++d) {
            duk_get_prop_index(ctx, -1, d);
            duk_get_prop_index(ctx, -1, 0);
            duk_get_prop_index(ctx, -2, 1);
            bounds.push_back({duk_get_int(ctx, -2), duk_get_int(ctx, -1)});
            duk_pop_3(ctx);
        }
        duk_pop(ctx);
        if (bounds.empty()) return {};
        std::size_t total = 1;
        for (const auto& b : bounds)
            total *= static_cast<std::size_t>(b.count());
        if (total > kMaxArrayItems) throw ValueError(czech("Pole je příliš velké"));
        auto array = std::make_shared<VarArray>(bounds);
        duk_get_prop_string(ctx, idx, "_i");
        for (std::size_t i = 0; i < array->size(); ++i) {
            duk_get_prop_index(ctx, -1, static_cast<duk_uarridx_t>(i));
            array->items()[i] = toValue(ctx, -1, depth + 1);
            duk_pop(ctx);
        }
        duk_pop(ctx);
        return Value(array);
    }
    if (proto && proto == dateProto_) {
        duk_push_heapptr(ctx, getTime_);
        duk_dup(ctx, idx);
        double ms = NAN;
        if (duk_pcall_method(ctx, 0) == DUK_EXEC_SUCCESS) ms = duk_get_number(ctx, -1);
        duk_pop(ctx);
        if (std::isnan(ms)) return Value::null();
        return Value(DateTime{utcMsToLocalDays(ms)});
    }
    // Any other object crosses as its text.
    duk_dup(ctx, idx);
    const char* text = duk_safe_to_string(ctx, -1);
    Value out(utf8ToCp1250(text ? text : ""));
    duk_pop(ctx);
    return out;
}

} // namespace vorlan::script::js
