#include "script/pascal/handled_exception.h"

#include "core/cp1250.h"
#include "script/pascal/bin_prog.h"
#include "script/raised_exception.h"
#include "script/registry.h"

namespace vorlan::script::pascal {

namespace {

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

} // namespace

std::string runErrorClass(const std::exception& e, std::int32_t op) {
    if (dynamic_cast<const ClassedScriptException*>(&e)) return exceptionClassOf(e);
    if (!dynamic_cast<const ValueError*>(&e)) return "Exception";
    const std::string_view text = e.what();
    // The value layer's errors are told apart by their texts (Windows-1250).
    if (contains(text, czech("Dělení nulou"))) return op == OpDivide ? "EZeroDivide" : "EDivByZero";
    if (contains(text, "ariant") || contains(text, "pole") || contains(text, "Pole"))
        return "EVariantError";
    if (contains(text, czech("Přetečení"))) return "EIntOverflow";
    return "Exception";
}

std::string runErrorMessage(const std::exception& e, std::int32_t op) {
    if (op == OpDivide && runErrorClass(e, op) == "EZeroDivide")
        return czech("Dělení nulou v reálné aritmetice");
    return e.what();
}

bool exceptionMatches(std::string_view className, std::string_view handledClass) {
    // Every exception is an Exception, also one whose class the registry does not know.
    if (equalsNoCase(handledClass, "Exception") || equalsNoCase(handledClass, "TObject"))
        return true;
    return equalsNoCase(className, handledClass) ||
           registry().isClassOrDescendant(className, handledClass);
}

ObjectRef makeExceptionObject(const std::string& className, const std::string& message) {
    Registry& reg = registry();
    const std::string name = reg.findClass(className) ? className : std::string("Exception");
    if (!reg.findClass(name)) return nullptr;
    const ObjectRef scope = reg.globalScope();
    Value classRef;
    ExceptionInfo error;
    if (invokeByName(*scope, name, InvokeGet, {}, classRef, error) != DispStatus::Ok ||
        !classRef.isObject() || !classRef.asObject())
        return nullptr;
    Value text(message);
    Value object;
    if (invokeByName(*classRef.asObject(), "Create", InvokeMethod, std::span<Value>(&text, 1),
                     object, error) != DispStatus::Ok ||
        !object.isObject())
        return nullptr;
    return object.asObject();
}

void freeExceptionObject(const ObjectRef& object) {
    if (!object || !registry().isClassOrDescendant(object->dispatchClassName(), "Exception"))
        return;
    Value ignored;
    ExceptionInfo error;
    (void)invokeByName(*object, "Free", InvokeMethod, {}, ignored, error);
}

} // namespace vorlan::script::pascal
