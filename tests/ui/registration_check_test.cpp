// Everything the desktop runtime registers at start-up, the form classes, dialogs and desktop
// units included: each binding must agree with its declaration.
#include "data/script/data_table_registration.h"
#include "integration/registration_check.h"
#include "library/library.h"
#include "script/builtins.h"
#include "stdlib/stdlib.h"
#include "ui/qt/forms/dialogs.h"
#include "ui/qt/forms/form_classes.h"
#include "ui/qt/stdlib/qt_stdlib.h"

#include <gtest/gtest.h>

using namespace vorlan;

TEST(RegistrationCheck, EveryBindingOfTheDesktopUnitsAgreesWithItsDeclaration) {
    bool dialogs = false;
    const auto mismatches = test_support::bindingMismatchesOf([&](script::Registry& reg) {
        script::registerEngineBuiltins(reg);
        forms::registerFormClasses(reg);
        forms::registerDialogs(reg);
        library::registerLibrary(reg);
        data::registerDataTable(reg);
        stdlib::registerStandardLibrary(reg);
        stdlib::registerDesktopUnits(reg);
        dialogs = reg.findProc("MessageDlg") != nullptr;
    });
    EXPECT_TRUE(mismatches.empty()) << test_support::joined(mismatches);
    EXPECT_TRUE(dialogs);
}
