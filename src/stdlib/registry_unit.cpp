// REGISTRY: TRegistry and TRegIniFile over the per-user registry tree, and the root keys.
#include "script/bind.h"
#include "stdlib/exceptions.h"
#include "stdlib/new_object.h"
#include "stdlib/registry_classes.h"
#include "stdlib/script_lists.h"
#include "stdlib/units.h"

namespace vorlan::stdlib {

using script::ClassBinder;
using script::Value;

namespace {

// Root keys are 32-bit numbers with the top bit set: scripts hold them as Integers.
std::int32_t asInteger(std::uint32_t key) {
    return static_cast<std::int32_t>(key);
}

void bindRegistry(script::Registry& reg) {
    using R = RegistryObject;
    ClassBinder<R> r(reg, "TRegistry", "TObject",
                     [](script::Component*) { return std::make_unique<R>(); });
    r.property(
        "RootKey", "Integer", [](R& x) { return asInteger(x.rootKey()); },
        [](R& x, std::int32_t key) { x.setRootKey(static_cast<std::uint32_t>(key)); });
    r.property("CurrentPath", "string", &R::currentPath);
    r.property("CurrentKey", "Integer", [](R& x) { return x.hasOpenKey() ? 1 : 0; });
    // Written at once anyway; access rights are not checked on a per-user tree.
    r.property(
        "LazyWrite", "Boolean", [](R&) { return true; }, [](R&, bool) {});
    r.property(
        "Access", "Integer", [](R&) { return 0xF003F; }, [](R&, std::int32_t) {});
    r.bind("OpenKey", "function(Key: string; CanCreate: Boolean): Boolean", &R::openKey);
    r.bind("OpenKeyReadOnly", "function(Key: string): Boolean", &R::openKeyReadOnly);
    r.bind("CreateKey", "function(Key: string): Boolean", &R::createKey);
    r.bind("CloseKey", "procedure", &R::closeKey);
    r.bind("KeyExists", "function(Key: string): Boolean", &R::keyExists);
    r.bind("DeleteKey", "function(Key: string): Boolean", &R::deleteKey);
    r.bind("HasSubKeys", "function: Boolean", &R::hasSubKeys);
    r.bind("GetKeyNames", "procedure(Strings: TStrings)",
           [](R& x, const Value& list) { fillScriptList(list, x.keyNames()); });
    r.bind("GetValueNames", "procedure(Strings: TStrings)",
           [](R& x, const Value& list) { fillScriptList(list, x.valueNames()); });
    r.bind("ValueExists", "function(Name: string): Boolean", &R::valueExists);
    r.bind("DeleteValue", "function(Name: string): Boolean", &R::deleteValue);
    r.bind("RenameValue", "procedure(OldName, NewName: string)", &R::renameValue);
    r.bind("GetDataType", "function(ValueName: string): Integer",
           [](R& x, std::string_view name) { return static_cast<int>(x.dataType(name)); });
    r.bind("GetDataSize", "function(ValueName: string): Integer", &R::dataSize);
    r.bind("ReadString", "function(Name: string): string", &R::readString);
    r.bind("WriteString", "procedure(Name, Value: string)", &R::writeString);
    r.bind("WriteExpandString", "procedure(Name, Value: string)", &R::writeExpandString);
    r.bind("ReadInteger", "function(Name: string): Integer", &R::readInteger);
    r.bind("WriteInteger", "procedure(Name: string; Value: Integer)", &R::writeInteger);
    r.bind("ReadBool", "function(Name: string): Boolean", &R::readBool);
    r.bind("WriteBool", "procedure(Name: string; Value: Boolean)", &R::writeBool);
    r.bind({"ReadFloat", "ReadCurrency"}, "function(Name: string): Double", &R::readFloat);
    r.bind({"WriteFloat", "WriteCurrency"}, "procedure(Name: string; Value: Double)",
           &R::writeFloat);
    r.bind({"ReadDateTime", "ReadDate", "ReadTime"}, "function(Name: string): TDateTime",
           [](R& x, std::string_view name) { return script::DateTime{x.readFloat(name)}; });
    r.bind({"WriteDateTime", "WriteDate", "WriteTime"}, "procedure(Name: string; Value: TDateTime)",
           [](R& x, std::string_view name, script::DateTime d) { x.writeFloat(name, d.days); });
}

void bindRegIniFile(script::Registry& reg) {
    ClassBinder<RegIniFile> f(reg, "TRegIniFile", "TRegistry");
    f.bindClassLevel(
        "Create", "function(FileName: string): TRegIniFile",
        [](std::string_view name) { return keepNew(std::make_unique<RegIniFile>(name)); });
    f.property("FileName", "string", &RegIniFile::fileName);
    f.bind("ReadString", "function(Section, Ident, Default: string): string",
           &RegIniFile::readString);
    f.bind("ReadInteger", "function(Section, Ident: string; Default: Integer): Integer",
           &RegIniFile::readInteger);
    f.bind("ReadBool", "function(Section, Ident: string; Default: Boolean): Boolean",
           &RegIniFile::readBool);
    f.bind("WriteString", "procedure(Section, Ident, Value: string)", &RegIniFile::writeString);
    f.bind("WriteInteger", "procedure(Section, Ident: string; Value: Integer)",
           &RegIniFile::writeInteger);
    f.bind("WriteBool", "procedure(Section, Ident: string; Value: Boolean)",
           &RegIniFile::writeBool);
    f.bind("ReadSection", "procedure(Section: string; Strings: TStrings)",
           [](RegIniFile& x, std::string_view section, const Value& list) {
               fillScriptList(list, x.identNames(section));
           });
    f.bind("ReadSections", "procedure(Strings: TStrings)",
           [](RegIniFile& x, const Value& list) { fillScriptList(list, x.sectionNames()); });
    f.bind("ReadSectionValues", "procedure(Section: string; Strings: TStrings)",
           [](RegIniFile& x, std::string_view section, const Value& list) {
               fillScriptList(list, x.sectionValues(section));
           });
    f.bind("EraseSection", "procedure(Section: string)", &RegIniFile::eraseSection);
    f.bind("DeleteKey", "procedure(Section, Ident: string)", &RegIniFile::deleteIdent);
}

} // namespace

void registerRegistryUnit(script::Registry& reg) {
    static constexpr ExceptionClass kRegistryExceptions[] = {{"ERegistryException", "Exception"}};
    bindExceptionClasses(reg, kRegistryExceptions);
    bindRegistry(reg);
    bindRegIniFile(reg);
    static constexpr std::pair<const char*, std::uint32_t> roots[] = {
        {"HKEY_CLASSES_ROOT", kHkeyClassesRoot},
        {"HKEY_CURRENT_USER", kHkeyCurrentUser},
        {"HKEY_LOCAL_MACHINE", kHkeyLocalMachine},
        {"HKEY_USERS", kHkeyUsers},
        {"HKEY_PERFORMANCE_DATA", kHkeyPerformanceData},
        {"HKEY_CURRENT_CONFIG", kHkeyCurrentConfig},
        {"HKEY_DYN_DATA", kHkeyDynData},
    };
    for (const auto& [name, key] : roots)
        reg.registerConst(name, Value(asInteger(key)));
    static constexpr std::pair<const char*, RegType> types[] = {
        {"rdUnknown", RegType::Unknown},
        {"rdString", RegType::String},
        {"rdExpandString", RegType::ExpandString},
        {"rdInteger", RegType::Integer},
        {"rdBinary", RegType::Binary},
    };
    for (const auto& [name, type] : types)
        reg.registerConst(name, Value(static_cast<int>(type)));
}

} // namespace vorlan::stdlib
