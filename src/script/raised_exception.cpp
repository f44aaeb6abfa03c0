#include "script/raised_exception.h"

namespace vorlan::script {

namespace {

RaisedException& slot() {
    static RaisedException raised;
    return raised;
}

} // namespace

void setRaisedException(std::string className, std::string message) {
    RaisedException& r = slot();
    r.className = std::move(className);
    r.message = std::move(message);
}

const RaisedException& raisedException() {
    return slot();
}

std::string exceptionClassOf(const std::exception& e) {
    if (const auto* classed = dynamic_cast<const ClassedScriptException*>(&e))
        return classed->className();
    return "Exception";
}

} // namespace vorlan::script
