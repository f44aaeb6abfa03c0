// FORMS: Application and Screen, and the constants of forms and message boxes.
#include "script/bind.h"
#include "script/scripter.h"
#include "ui/qt/forms/control.h"
#include "ui/qt/forms/font_object.h"
#include "ui/qt/forms/form.h"
#include "ui/qt/forms/standard_controls.h"
#include "ui/qt/forms/string_list.h"
#include "ui/qt/stdlib/application.h"
#include "ui/qt/stdlib/constant_table.h"
#include "ui/qt/stdlib/form_tracker.h"
#include "ui/qt/stdlib/units.h"

namespace vorlan::stdlib {

namespace {

using script::ClassBinder;
using script::Value;

constexpr IntConstant kFormsConstants[] = {
    // Application.MessageBox: buttons, icons, default button and answers.
    {"MB_OK", 0x00},
    {"MB_OKCANCEL", 0x01},
    {"MB_ABORTRETRYIGNORE", 0x02},
    {"MB_YESNOCANCEL", 0x03},
    {"MB_YESNO", 0x04},
    {"MB_RETRYCANCEL", 0x05},
    {"MB_ICONHAND", 0x10},
    {"MB_ICONERROR", 0x10},
    {"MB_ICONSTOP", 0x10},
    {"MB_ICONQUESTION", 0x20},
    {"MB_ICONEXCLAMATION", 0x30},
    {"MB_ICONWARNING", 0x30},
    {"MB_ICONASTERISK", 0x40},
    {"MB_ICONINFORMATION", 0x40},
    {"MB_DEFBUTTON1", 0x000},
    {"MB_DEFBUTTON2", 0x100},
    {"MB_DEFBUTTON3", 0x200},
    {"MB_APPLMODAL", 0x0000},
    {"MB_SYSTEMMODAL", 0x1000},
    {"MB_TASKMODAL", 0x2000},
    {"IDOK", 1},
    {"IDCANCEL", 2},
    {"IDABORT", 3},
    {"IDRETRY", 4},
    {"IDIGNORE", 5},
    {"IDYES", 6},
    {"IDNO", 7},
};

// Stored forms keep these as identifiers, and the form layer reads them by name.
constexpr const char* kFormsNames[] = {
    "poDesigned",     "poDefault",       "poDefaultPosOnly", "poDefaultSizeOnly",
    "poScreenCenter", "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter",
    "bsNone",         "bsSingle",        "bsSizeable",       "bsDialog",
    "bsToolWindow",   "bsSizeToolWin",   "wsNormal",         "wsMinimized",
    "wsMaximized",    "fsNormal",        "fsMDIChild",       "fsMDIForm",
    "fsStayOnTop",
};

} // namespace

void registerFormsUnit(script::Registry& reg) {
    trackProgramForms(reg);

    ClassBinder<ApplicationObject> app(reg, "TApplication", "TComponent");
    app.property("Title", "string", &ApplicationObject::title, &ApplicationObject::setTitle);
    app.property("ExeName", "string", &ApplicationObject::exeName);
    app.property("MainForm", "TForm", &ApplicationObject::mainForm);
    app.property("Terminated", "Boolean", &ApplicationObject::terminated);
    app.property("Active", "Boolean", &ApplicationObject::active);
    app.property("Handle", "Integer", [](ApplicationObject&) { return 0; });
    app.property("Hint", "string", &ApplicationObject::hint, &ApplicationObject::setHint);
    app.property("ShowHint", "Boolean", &ApplicationObject::showHint,
                 &ApplicationObject::setShowHint);
    app.property("HintColor", "Variant", &ApplicationObject::hintColor,
                 &ApplicationObject::setHintColor);
    app.property("HintPause", "Integer", &ApplicationObject::hintPause,
                 &ApplicationObject::setHintPause);
    app.property("OnException", "string", &ApplicationObject::onException,
                 &ApplicationObject::setOnException);
    app.property("OnIdle", "string", &ApplicationObject::onIdle, &ApplicationObject::setOnIdle);
    for (const char* event : {"OnActivate", "OnDeactivate", "OnHint", "OnMinimize", "OnRestore"})
        app.property(
            event, "string", [event](ApplicationObject& a) { return a.handler(event); },
            [event](ApplicationObject& a, const std::string& name) { a.handler(event) = name; });
    app.property(
        "HelpFile", "string", [](ApplicationObject& a) { return a.helpFile; },
        [](ApplicationObject& a, const std::string& v) { a.helpFile = v; });
    app.property(
        "HintHidePause", "Integer", [](ApplicationObject& a) { return a.hintHidePause; },
        [](ApplicationObject& a, std::int32_t v) { a.hintHidePause = v; });
    app.bind("Minimize", "procedure", &ApplicationObject::minimize);
    app.bind("Restore", "procedure", &ApplicationObject::restore);
    app.bind("BringToFront", "procedure", &ApplicationObject::bringToFront);
    app.bind("ShowException", "procedure(E: Exception)", &ApplicationObject::showException);
    // There is no help viewer: help asked for is not shown.
    app.bind("HelpCommand", "function(Command: Integer; Data: Integer): Boolean",
             [](ApplicationObject&, std::int32_t, std::int32_t) { return false; });
    app.bind("HelpContext", "function(Context: Integer): Boolean",
             [](ApplicationObject&, std::int32_t) { return false; });
    // The runtime starts and runs the program's event loop itself.
    app.bind({"Initialize", "Run"}, "procedure", [](ApplicationObject&) {});
    app.bind("ProcessMessages", "procedure", &ApplicationObject::processMessages);
    app.bind("Terminate", "procedure", &ApplicationObject::terminate);
    // Halt ends the program as Terminate does; a Pascal program stops at once (its compiler ends
    // the run after the call), and a headless run exits with the code.
    script::Binder(reg).bind("Halt", "procedure(ExitCode: Integer = 0)", [](std::int32_t code) {
        script::requestHalt(code);
        application().terminate();
    });
    app.bind("MessageBox", "function(Text, Caption: string; Flags: Integer): Integer",
             &ApplicationObject::messageBox);

    ClassBinder<ScreenObject> scr(reg, "TScreen", "TComponent");
    scr.property("Width", "Integer", &ScreenObject::width);
    scr.property("Height", "Integer", &ScreenObject::height);
    scr.property("DesktopWidth", "Integer", &ScreenObject::width);
    scr.property("DesktopHeight", "Integer", &ScreenObject::height);
    scr.property("WorkAreaWidth", "Integer", &ScreenObject::workAreaWidth);
    scr.property("WorkAreaHeight", "Integer", &ScreenObject::workAreaHeight);
    scr.property("PixelsPerInch", "Integer", &ScreenObject::pixelsPerInch);
    scr.property("Cursor", "Variant", &ScreenObject::cursor, &ScreenObject::setCursor);
    scr.property("FormCount", "Integer", &ScreenObject::formCount);
    scr.property("Forms", "TForm", &ScreenObject::form);
    scr.property("ActiveForm", "TForm", &ScreenObject::activeForm);
    scr.property("Fonts", "TStrings", [](ScreenObject& s) { return &s.fonts(); });
    scr.property("ActiveControl", "TWinControl", &ScreenObject::activeControl);
    // Cursors are numbers here: Cursors[crHourGlass] is crHourGlass.
    scr.property("Cursors", "Integer", [](ScreenObject&, std::int32_t i) { return i; });
    for (bool formChange : {false, true})
        scr.property(
            formChange ? "OnActiveFormChange" : "OnActiveControlChange", "string",
            [formChange](ScreenObject& s) { return s.handler(formChange); },
            [formChange](ScreenObject& s, const std::string& name) {
                s.handler(formChange) = name;
            });

    registerIntConstants(reg, kFormsConstants);
    registerNameConstants(reg, kFormsNames);
    reg.registerConst("Application", Value(script::wrapObject(reg, &application())));
    reg.registerConst("Screen", Value(script::wrapObject(reg, &screen())));
}

} // namespace vorlan::stdlib
