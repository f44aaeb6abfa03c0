#include "library/library.h"

#include "library/codepages.h"
#include "library/files_system.h"
#include "library/math_strings.h"
#include "library/sysvar.h"

namespace vorlan::library {

void registerLibrary(script::Registry& registry) {
    registerSystemVariables(registry);
    registerMathStrings(registry);
    registerFilesSystem(registry);
    registerCodePages(registry);
}

} // namespace vorlan::library
