#pragma once
// What the desktop unit tests share: the registry filled as the runtime fills it, calls through
// the scripts' dispatch, and scratch folders.

#include "core/cp1250.h"
#include "script/builtins.h"
#include "script/comp_wrapper.h"
#include "script/registry.h"
#include "stdlib/stdlib.h"
#include "stdlib/units.h"
#include "ui/qt/forms/dialogs.h"
#include "ui/qt/forms/form_classes.h"
#include "ui/qt/stdlib/qt_stdlib.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

namespace vorlan::stdlib::testing {

inline script::Registry& desktopRegistry() {
    auto& reg = script::registry();
    if (!reg.findClass("TComponent")) {
        script::registerEngineBuiltins(reg);
        script::registerScriptRunners(reg);
    }
    forms::registerFormClasses(reg);
    forms::registerDialogs(reg);
    if (!reg.findMember("TStrings", "Add").method) {
        if (!reg.findClass("Exception")) registerSysUtilsUnit(reg);
        registerClassesUnit(reg);
    }
    registerDesktopUnits(reg);
    return reg;
}

struct CallResult {
    script::DispStatus status;
    script::Value value;
    std::string error;
};

inline CallResult tryCall(script::Dispatch& target, std::string_view name,
                          std::vector<script::Value> args = {},
                          unsigned flags = script::InvokeMethod | script::InvokeGet) {
    CallResult r;
    script::ExceptionInfo error;
    r.status = script::invokeByName(target, name, flags, args, r.value, error);
    r.error = cp1250ToUtf8(error.description);
    return r;
}

// A method or a property read; the test fails when the call does.
inline script::Value call(script::Dispatch& target, std::string_view name,
                          std::vector<script::Value> args = {}) {
    CallResult r = tryCall(target, name, std::move(args));
    EXPECT_EQ(r.status, script::DispStatus::Ok) << name << ": " << r.error;
    return r.value;
}

inline void put(script::Dispatch& target, std::string_view name, script::Value value,
                std::vector<script::Value> index = {}) {
    index.push_back(std::move(value));
    CallResult r = tryCall(target, name, std::move(index), script::InvokePut);
    EXPECT_EQ(r.status, script::DispStatus::Ok) << name << ": " << r.error;
}

// A global name (routine, constant, object) of the scripts.
inline script::Value global(std::string_view name, std::vector<script::Value> args = {}) {
    return call(*desktopRegistry().globalScope(), name, std::move(args));
}

inline script::ObjectRef object(std::string_view name) {
    return global(name).toObject();
}

inline std::filesystem::path scratch(const std::string& name) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("vorlan_desktop_" + std::to_string(::getpid()) + "_" + name);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

inline int pdfPages(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    static const std::regex page("/Type\\s*/Page[^s]");
    return int(std::distance(std::sregex_iterator(bytes.begin(), bytes.end(), page),
                             std::sregex_iterator()));
}

} // namespace vorlan::stdlib::testing
