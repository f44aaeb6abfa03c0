// SHELLAPI: ShellExecute and its show commands and error results.
#include "script/bind.h"
#include "ui/qt/stdlib/constant_table.h"
#include "ui/qt/stdlib/shell_execute.h"
#include "ui/qt/stdlib/units.h"

namespace vorlan::stdlib {

namespace {

constexpr IntConstant kShellapiConstants[] = {
    {"SW_HIDE", 0},
    {"SW_SHOWNORMAL", 1},
    {"SW_NORMAL", 1},
    {"SW_SHOWMINIMIZED", 2},
    {"SW_SHOWMAXIMIZED", 3},
    {"SW_MAXIMIZE", 3},
    {"SW_SHOWNOACTIVATE", 4},
    {"SW_SHOW", 5},
    {"SW_MINIMIZE", 6},
    {"SW_SHOWMINNOACTIVE", 7},
    {"SW_SHOWNA", 8},
    {"SW_RESTORE", 9},
    {"SW_SHOWDEFAULT", 10},
    {"ERROR_FILE_NOT_FOUND", kShellFileNotFound},
    {"ERROR_PATH_NOT_FOUND", kShellPathNotFound},
    {"SE_ERR_FNF", kShellFileNotFound},
    {"SE_ERR_PNF", kShellPathNotFound},
    {"SE_ERR_ACCESSDENIED", kShellAccessDenied},
    {"SE_ERR_NOASSOC", kShellNoAssociation},
};

} // namespace

void registerShellApiUnit(script::Registry& reg) {
    script::Binder global(reg);
    // The window handle and the show command mean nothing here: the desktop places windows.
    global.bind("ShellExecute",
                "function(Handle: Integer; Operation, FileName, Parameters, Directory: string; "
                "ShowCmd: Integer): Integer",
                [](std::int32_t, const std::string& operation, const std::string& file,
                   const std::string& parameters, const std::string& directory,
                   std::int32_t) { return shellExecute(operation, file, parameters, directory); });
    registerIntConstants(reg, kShellapiConstants);
}

} // namespace vorlan::stdlib
