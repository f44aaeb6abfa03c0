#include "ui/qt/stdlib/geometry.h"

#include "core/cp1250.h"
#include "script/dispatch.h"

#include <array>

namespace vorlan::stdlib {

using script::Value;

namespace {

script::Value arrayOf(std::initializer_list<int> items) {
    auto array = script::VarArray::create(0, static_cast<std::int32_t>(items.size()) - 1);
    std::size_t i = 0;
    for (int item : items)
        array->items()[i++] = Value(static_cast<std::int32_t>(item));
    return Value(std::move(array));
}

// Reads N numbers from an array (its first N elements) or from the named properties.
template <std::size_t N>
bool numbersOf(const Value& value, const std::array<const char*, N>& names,
               std::array<int, N>& out) {
    if (value.isArray()) {
        const auto& items = value.asArray()->items();
        if (items.size() < N) return false;
        for (std::size_t i = 0; i < N; ++i)
            out[i] = items[i].toInt();
        return true;
    }
    const script::ObjectRef object = value.isObject() ? value.asObject() : nullptr;
    if (!object) return false;
    for (std::size_t i = 0; i < N; ++i) {
        Value v;
        script::ExceptionInfo error;
        if (script::invokeByName(*object, names[i], script::InvokeGet, {}, v, error) !=
            script::DispStatus::Ok)
            return false;
        out[i] = v.toInt();
    }
    return true;
}

} // namespace

Value rectValue(int left, int top, int right, int bottom) {
    return arrayOf({left, top, right, bottom});
}

Value pointValue(int x, int y) {
    return arrayOf({x, y});
}

windows::CanvasRect rectOf(const Value& value) {
    std::array<int, 4> n{};
    if (!numbersOf<4>(value, {"Left", "Top", "Right", "Bottom"}, n))
        throw script::ScriptException(czech("Očekává se obdélník (Rect)"));
    return {n[0], n[1], n[2], n[3]};
}

windows::CanvasPoint pointOf(const Value& value) {
    std::array<int, 2> n{};
    if (!numbersOf<2>(value, {"X", "Y"}, n))
        throw script::ScriptException(czech("Očekává se bod (Point)"));
    return {n[0], n[1]};
}

std::vector<windows::CanvasPoint> pointsOf(const Value& value) {
    std::vector<windows::CanvasPoint> points;
    if (!value.isArray()) throw script::ScriptException(czech("Očekává se pole bodů"));
    for (const Value& item : value.asArray()->items())
        if (!item.isEmpty() && !item.isNull()) points.push_back(pointOf(item));
    return points;
}

} // namespace vorlan::stdlib
