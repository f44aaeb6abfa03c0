// A headless run registers the desktop's units only when a program first uses one of their
// names. Registered late, they must give the registry a desktop run has, and the runtime must
// know every name they bring (desktop_names.inc; VORLAN_WRITE_DESKTOP_NAMES=1 rewrites it).
#include "app/vorlan/desktop_units.h"
#include "core/cp1250.h"
#include "script/registry.h"
#include "ui/qt/canvas/image_picture.h"
#include "window_models/canvas/canvas.h"
#include "window_models/console/console.h"
#include "window_models/dbf/work_areas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

using namespace vorlan;

namespace {

// What a name stands for, told apart by the routine behind it: the type of a registered
// callable names the unit whose code registered it.
std::string describe(const script::MethodInfo& m) {
    return "method " + std::to_string(m.signature.params.size()) + " " +
           m.entry.target_type().name();
}

std::string describe(const script::PropertyInfo& p) {
    return std::string("property ") + (p.read ? p.read.target_type().name() : "-") + " " +
           (p.write ? p.write.target_type().name() : "-");
}

std::string constantText(const script::Value& value) {
    try {
        return value.toString();
    } catch (const std::exception&) {
        return "object";
    }
}

std::string upper(std::string_view text) {
    return upperCase(std::string(text));
}

// Every name a script can reach and what it stands for: "NAME", "CLASS.MEMBER" (members found
// through ancestors too), "CLASS^" for a class's ancestry and "CLASS()" for what makes its
// instances.
std::map<std::string, std::string> contents(const script::Registry& reg) {
    std::map<std::string, std::string> all;
    for (const std::string& name : reg.globalNames()) {
        const std::string key = upper(name);
        if (const auto* m = reg.findProc(name))
            all[key] = describe(*m);
        else if (reg.findVar(name))
            all[key] = "variable";
        else if (const script::Value* value = reg.findConst(name))
            all[key] = "constant " + constantText(*value);
        if (const script::ClassInfo* cls = reg.findClass(name)) {
            all[key] += " class";
            std::string chain;
            std::set<std::string> members;
            for (const script::ClassInfo* c = cls; c; c = c->parent) {
                chain += c->name + " ";
                for (const auto& [member, info] : c->methods)
                    members.insert(member);
                for (const auto& [member, info] : c->properties)
                    members.insert(member);
            }
            all[key + "^"] = chain;
            for (const script::ClassInfo* c = cls; c; c = c->parent)
                if (c->factory) {
                    all[key + "()"] = c->name + " " + c->factory.target_type().name();
                    break;
                }
            for (const std::string& member : members) {
                const auto found = reg.findMember(name, member);
                all[key + "." + upper(member)] =
                    found.method ? describe(*found.method) : describe(*found.property);
            }
        }
    }
    return all;
}

struct Objects {
    windows::Console console;
    windows::DbfWorkAreas areas;
    qt::ImagePicture picture;
    windows::Canvas canvas{picture};
    app::RuntimeUnits units() { return {console, areas, canvas, {}}; }
};

std::filesystem::path namesFile() {
    return std::filesystem::path(VORLAN_SOURCE_DIR) / "src/app/vorlan/desktop_names.inc";
}

} // namespace

TEST(DesktopNames, RegisteredLateTheyGiveTheRegistryOfADesktopRunAndTheRuntimeKnowsThemAll) {
    const app::DesktopUnits desktop = app::desktopUnits();
    Objects first;
    script::Registry inPlace;
    app::registerRuntimeUnits(inPlace, first.units(), &desktop);

    Objects second;
    script::Registry late;
    app::registerRuntimeUnits(late, second.units(), nullptr);
    const auto before = contents(late);
    app::registerDesktopUnitsLate(late, desktop);
    const auto after = contents(late);

    // The same names standing for the same routines, the same ancestry.
    const auto expected = contents(inPlace);
    std::vector<std::string> differences;
    for (const auto& [key, what] : expected)
        if (auto it = after.find(key); it == after.end() || it->second != what)
            differences.push_back(key);
    for (const auto& [key, what] : after)
        if (!expected.count(key)) differences.push_back(key);
    EXPECT_TRUE(differences.empty()) << ::testing::PrintToString(differences);

    // The desktop adds names and changes none a headless run had before, except for the way
    // instances of a class are made (the runtime asks before it makes one).
    std::vector<std::string> changed;
    std::vector<std::string> added;
    for (const auto& [key, what] : after) {
        if (key.back() == '^') continue;
        const auto it = before.find(key);
        if (it == before.end() || (key.back() == ')' && it->second != what))
            added.push_back(key);
        else if (it->second != what)
            changed.push_back(key);
    }
    EXPECT_TRUE(changed.empty()) << ::testing::PrintToString(changed);

    // Members of classes that come with the desktop are reached only through their class.
    std::vector<std::string> listed;
    for (const std::string& key : added) {
        const auto dot = key.find_first_of(".(");
        if (dot == std::string::npos || before.count(key.substr(0, dot))) listed.push_back(key);
    }
    std::sort(listed.begin(), listed.end(),
              [](const std::string& a, const std::string& b) { return compareNoCase(a, b) < 0; });
    std::ostringstream text;
    for (const std::string& key : listed)
        text << '"' << key << "\",\n";
    if (std::getenv("VORLAN_WRITE_DESKTOP_NAMES")) std::ofstream(namesFile()) << text.str();
    std::ifstream file(namesFile());
    const std::string stored((std::istreambuf_iterator<char>(file)), {});
    EXPECT_EQ(stored, text.str()) << "VORLAN_WRITE_DESKTOP_NAMES=1 writes the list again";

    for (const std::string& key : listed) {
        const auto dot = key.find_first_of(".(");
        if (dot == std::string::npos)
            EXPECT_TRUE(app::isDesktopName(key)) << key;
        else if (key[dot] == '(')
            EXPECT_TRUE(app::isDesktopMember(late, key.substr(0, dot), {})) << key;
        else
            EXPECT_TRUE(app::isDesktopMember(late, key.substr(0, dot), key.substr(dot + 1))) << key;
    }
    EXPECT_FALSE(app::isDesktopName("Writeln"));
    EXPECT_FALSE(app::isDesktopMember(late, "TDataTable", "Open"));
}
