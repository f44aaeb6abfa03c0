#include "script/script_runner.h"

#include "script/scripter.h"

namespace vorlan::script {

Value ScriptRunner::callByName(std::string_view name, std::span<Value> args) {
    Value result;
    ObjectRef module = moduleDispatch();
    if (!module) return result;
    const DispId id = module->idOfName(name);
    if (id == kUnknownDispId) return result;
    ExceptionInfo error;
    module->invoke(id, InvokeMethod, args, result, error);
    return result;
}

void ScriptRunner::addNamedObject(const std::string& name, ObjectRef object, bool global) {
    namedObjects_.push_back({name, std::move(object), global});
}

bool ScriptRunner::reportError(int line, int position, const ExceptionInfo& exception) {
    ScriptErrorInfo info;
    info.fileSystem = scripter_.fileSystem;
    info.fileName = scripter_.scriptFile;
    info.line = line;
    info.position = position;
    info.exception = exception;
    return scripter_.handleError(info);
}

} // namespace vorlan::script
