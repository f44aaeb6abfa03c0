// Every unit the runtime registers without the desktop, registered as at start-up: each
// routine, method and property bound in one line must agree with its declaration.
#include "data/script/data_table_registration.h"
#include "integration/registration_check.h"
#include "library/library.h"
#include "script/builtins.h"
#include "stdlib/stdlib.h"
#include "window_models/canvas/canvas.h"
#include "window_models/canvas/canvas_procs.h"
#include "window_models/canvas/recording_surface.h"
#include "window_models/console/console.h"
#include "window_models/console/console_procs.h"

#include <gtest/gtest.h>

using namespace vorlan;

TEST(RegistrationCheck, EveryBindingOfTheEngineUnitsAgreesWithItsDeclaration) {
    windows::Console console;
    test_support::RecordingSurface surface;
    windows::Canvas canvas(surface);
    std::size_t procs = 0;
    const auto mismatches = test_support::bindingMismatchesOf([&](script::Registry& reg) {
        script::registerEngineBuiltins(reg);
        script::registerScriptRunners(reg);
        library::registerLibrary(reg);
        data::registerDataTable(reg);
        stdlib::registerStandardLibrary(reg);
        windows::registerConsole(reg, console);
        windows::registerCanvas(reg, canvas);
        // Every unit did register: the check did not pass by checking nothing.
        for (const char* name : {"InSet", "Length", "ConsoleClear", "ImageArc"})
            procs += reg.findProc(name) != nullptr;
        procs += reg.findMember("TDataTable", "Seek").method != nullptr;
    });
    EXPECT_TRUE(mismatches.empty()) << test_support::joined(mismatches);
    EXPECT_EQ(procs, 5u);
}
