#include "script/module_dispatch.h"

#include "core/cp1250.h"

namespace vorlan::script {

DispStatus moduleClosed(ExceptionInfo& error) {
    error.description = czech("Modul už byl zavřen");
    return DispStatus::Exception;
}

} // namespace vorlan::script
