// Every standard unit registered in the runtime's order: no unit takes a name another unit, the
// engine, the built-in library or the form layer registered before (a later registration would
// silently replace the earlier one's meaning), and the names each unit brings are counted. The
// counts are printed for docs/stdlib.md (`desktop_units_tests --gtest_filter=UnitTables.*`).
#include "core/cp1250.h"
#include "library/library.h"
#include "script/builtins.h"
#include "script/registry.h"
#include "stdlib/stdlib.h"
#include "stdlib/units.h"
#include "ui/qt/forms/dialogs.h"
#include "ui/qt/forms/form_classes.h"
#include "ui/qt/stdlib/units.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace vorlan;

namespace {

// What the registry holds, by upper-case name, with what each name points to now.
struct Snapshot {
    std::map<std::string, const void*> routines, variables;
    std::map<std::string, script::Value> constants;
    std::set<std::string> classes;
    std::map<std::string, const void*> members; // "CLASS.MEMBER"
};

Snapshot snapshot(const script::Registry& reg) {
    Snapshot s;
    for (const std::string& name : reg.globalNames()) {
        const std::string key = upperCase(name);
        if (const script::MethodInfo* proc = reg.findProc(name)) s.routines[key] = proc;
        if (const script::VarInfo* var = reg.findVar(name)) s.variables[key] = var->address;
        if (const script::Value* value = reg.findConst(name)) s.constants[key] = *value;
        if (const script::ClassInfo* cls = reg.findClass(name)) {
            s.classes.insert(key);
            for (const auto& [member, method] : cls->methods)
                s.members[key + "." + upperCase(member)] = method;
            for (const auto& [member, property] : cls->properties)
                s.members[key + "." + upperCase(member)] = property;
        }
    }
    return s;
}

bool sameConstant(const script::Value& a, const script::Value& b) {
    if (a.type() != b.type()) return false;
    try {
        return script::compareValues(a, b) == 0;
    } catch (const std::exception&) {
        return false;
    }
}

struct UnitCount {
    const char* unit;
    std::size_t routines = 0, variables = 0, constants = 0, classes = 0, members = 0;
    std::size_t total() const { return routines + variables + constants + classes; }
};

// Counts what `registerUnit` adds and lists what it replaces.
template <class Map>
std::size_t added(const Map& before, const Map& after, std::vector<std::string>& replaced,
                  const std::function<bool(const typename Map::mapped_type&,
                                           const typename Map::mapped_type&)>& same) {
    std::size_t n = 0;
    for (const auto& [name, now] : after) {
        auto it = before.find(name);
        if (it == before.end())
            ++n;
        else if (!same(it->second, now))
            replaced.push_back(name);
    }
    return n;
}

// Counts what a registration adds (routines, variables, constants, classes and the members of
// any class) between two snapshots.
UnitCount countAdded(const char* unit, const Snapshot& before, const Snapshot& after,
                     std::vector<std::string>& replaced) {
    const auto samePointer = [](const void* a, const void* b) { return a == b; };
    UnitCount c{unit};
    c.routines =
        added<decltype(after.routines)>(before.routines, after.routines, replaced, samePointer);
    c.variables =
        added<decltype(after.variables)>(before.variables, after.variables, replaced, samePointer);
    c.constants = added<decltype(after.constants)>(before.constants, after.constants, replaced,
                                                   &sameConstant);
    // Members of a class that a unit fills again in place of another's are replaced too;
    // a class registered again only gets a factory or parent, which is not a name.
    c.members =
        added<decltype(after.members)>(before.members, after.members, replaced, samePointer);
    for (const std::string& cls : after.classes)
        if (!before.classes.count(cls)) ++c.classes;
    return c;
}

} // namespace

TEST(UnitTables, NoUnitReplacesAnEarlierNameAndEachIsCounted) {
    script::Registry reg;
    script::registerEngineBuiltins(reg);
    // The form layer (the control classes of STDCTRLS, COMCTRLS, EXTCTRLS ... with their members
    // and constants) gives real windows to classes the engine declares: it is counted, but
    // filling the engine's classes is what it is for.
    std::vector<std::string> formsReplace;
    const Snapshot engine = snapshot(reg);
    forms::registerFormClasses(reg);
    forms::registerDialogs(reg);
    const UnitCount formLayer = countAdded("Form classes", engine, snapshot(reg), formsReplace);
    script::registerScriptRunners(reg);
    library::registerLibrary(reg);

    const std::pair<const char*, void (*)(script::Registry&)> units[] = {
        {"SYSTEM", &stdlib::registerSystemUnit},     {"SYSUTILS", &stdlib::registerSysUtilsUnit},
        {"CLASSES", &stdlib::registerClassesUnit},   {"MATH", &stdlib::registerMathUnit},
        {"REGISTRY", &stdlib::registerRegistryUnit}, {"COMOBJ", &stdlib::registerComObjUnit},
        {"GRAPHICS", &stdlib::registerGraphicsUnit}, {"CONTROLS", &stdlib::registerControlsUnit},
        {"FORMS", &stdlib::registerFormsUnit},       {"PRINTERS", &stdlib::registerPrintersUnit},
        {"CLIPBRD", &stdlib::registerClipbrdUnit},   {"SHELLAPI", &stdlib::registerShellApiUnit},
    };
    std::vector<UnitCount> counts{formLayer};
    UnitCount all{"All units"};
    for (const auto& [unit, registerUnit] : units) {
        const Snapshot before = snapshot(reg);
        registerUnit(reg);
        const Snapshot after = snapshot(reg);
        std::vector<std::string> replaced;
        UnitCount c = countAdded(unit, before, after, replaced);
        // A routine, variable, constant or class under a name another kind already has.
        for (const auto& [name, p] : after.routines)
            if (!before.routines.count(name) &&
                (before.variables.count(name) || before.constants.count(name) ||
                 before.classes.count(name)))
                replaced.push_back(name);
        for (const auto& [name, v] : after.constants)
            if (!before.constants.count(name) &&
                (before.variables.count(name) || before.routines.count(name)))
                replaced.push_back(name);
        EXPECT_TRUE(replaced.empty()) << unit << " registers again: " << replaced.front() << " ("
                                      << replaced.size() << " names)";
        counts.push_back(c);
        all.routines += c.routines;
        all.variables += c.variables;
        all.constants += c.constants;
        all.classes += c.classes;
        all.members += c.members;
    }
    counts.push_back(all);

    std::printf("| Unit | Routines | Variables | Constants | Classes | Class members | Names |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|\n");
    for (const UnitCount& c : counts)
        std::printf("| %s | %zu | %zu | %zu | %zu | %zu | %zu |\n", c.unit, c.routines, c.variables,
                    c.constants, c.classes, c.members, c.total() + c.members);
    // Each unit brings something; the large ones bring what programs call most.
    for (const UnitCount& c : counts)
        EXPECT_GT(c.total() + c.members, 0u) << c.unit;
}
