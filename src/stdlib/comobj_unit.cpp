// COMOBJ: automation objects. There is no automation server on this system: CreateOleObject
// and GetActiveOleObject name the class that is missing, except for the two scripting objects
// programs use for data and files, which the runtime provides itself. The same objects come
// from ActiveXObject (new ActiveXObject(...) in JavaScript); the Basic dialect's CreateObject
// hands names it does not know to CreateOleObject.
#include "core/cp1250.h"
#include "script/bind.h"
#include "stdlib/dictionary.h"
#include "stdlib/exceptions.h"
#include "stdlib/file_system_object.h"
#include "stdlib/units.h"

namespace vorlan::stdlib {

using script::ClassBinder;
using script::Value;

namespace {

[[noreturn]] void raiseNotAvailable(std::string_view className) {
    raiseException("EOleSysError", czech("Objekt <") + std::string(className) +
                                       czech("> není v tomto systému k dispozici"));
}

// Optional arguments of the file system object's methods.
bool flagOr(std::span<Value> a, std::size_t i, bool fallback) {
    return i < a.size() && !a[i].isEmpty() ? a[i].toBool() : fallback;
}
void checkCount(std::span<Value> a, std::size_t least, std::size_t most) {
    if (a.size() < least || a.size() > most)
        throw script::ScriptException(czech("Nesprávný počet parametrů"));
}

// OpenTextFile(Name, IOMode = ForReading, Create = False, Format = 0; -1 is Unicode).
Value openTextFile(script::Registry& reg, std::span<Value> a) {
    checkCount(a, 1, 4);
    const int mode = a.size() > 1 && !a[1].isEmpty() ? a[1].toInt() : kForReading;
    if (mode != kForReading && mode != kForWriting && mode != kForAppending)
        throw script::ScriptException(czech("Neplatný režim otevření souboru"));
    const bool unicode = a.size() > 3 && !a[3].isEmpty() && a[3].toInt() == -1;
    return Value(script::wrapOwnedObject(
        reg, std::make_unique<TextStream>(a[0].toString(), mode, flagOr(a, 2, false), unicode)));
}

// CreateTextFile(Name, Overwrite = True, Unicode = False).
Value createTextFile(script::Registry& reg, const FileSystemObject& fso, std::span<Value> a) {
    checkCount(a, 1, 3);
    const std::string name = a[0].toString();
    if (!flagOr(a, 1, true) && fso.fileExists(name))
        throw script::ScriptException(czech("Soubor již existuje (") + name + ")");
    return Value(script::wrapOwnedObject(
        reg, std::make_unique<TextStream>(name, kForWriting, true, flagOr(a, 2, false))));
}

void bindDictionary(script::Registry& reg) {
    ClassBinder<Dictionary> d(reg, "Scripting.Dictionary");
    d.bind("Add", "procedure(Key, Item: Variant)", &Dictionary::add);
    d.bind("Exists", "function(Key: Variant): Boolean", &Dictionary::exists);
    d.bind("Remove", "procedure(Key: Variant)", &Dictionary::remove);
    d.bind("RemoveAll", "procedure", &Dictionary::removeAll);
    d.bind("Keys", "function: Variant", &Dictionary::keys);
    d.bind("Items", "function: Variant", &Dictionary::items);
    d.property("Count", "Integer", &Dictionary::count);
    d.defaultProperty("Item", "Variant", &Dictionary::item, &Dictionary::setItem);
    d.property("Key", "Variant", nullptr, &Dictionary::renameKey);
    d.property("CompareMode", "Integer", &Dictionary::compareMode, &Dictionary::setCompareMode);
}

void bindFileSystem(script::Registry& reg) {
    ClassBinder<TextStream> t(reg, "Scripting.TextStream");
    t.bind("ReadLine", "function: string", &TextStream::readLine);
    t.bind("Read", "function(Characters: Integer): string", &TextStream::read);
    t.bind("ReadAll", "function: string", &TextStream::readAll);
    t.bind("SkipLine", "procedure", &TextStream::skipLine);
    t.bind("Skip", "procedure(Characters: Integer)", &TextStream::skip);
    t.bind("Write", "procedure(Text: string)", &TextStream::write);
    t.bind("WriteLine", "procedure(Text: string = '')", &TextStream::writeLine);
    t.bind("WriteBlankLines", "procedure(Lines: Integer)", &TextStream::writeBlankLines);
    t.bind("Close", "procedure", &TextStream::close);
    t.property("AtEndOfStream", "Boolean", &TextStream::atEndOfStream);
    t.property("AtEndOfLine", "Boolean", &TextStream::atEndOfLine);
    t.property("Line", "Integer", &TextStream::line);
    t.property("Column", "Integer", &TextStream::column);

    using F = FileSystemObject;
    ClassBinder<F> f(reg, "Scripting.FileSystemObject");
    f.bind("FileExists", "function(FileSpec: string): Boolean", &F::fileExists);
    f.bind("FolderExists", "function(FolderSpec: string): Boolean", &F::folderExists);
    f.bind("CreateFolder", "procedure(FolderSpec: string)", &F::createFolder);
    f.bind("DeleteFile", "procedure(FileSpec: string; Force: Boolean = False)", &F::deleteFile);
    f.bind("DeleteFolder", "procedure(FolderSpec: string; Force: Boolean = False)",
           &F::deleteFolder);
    f.bindVariadic("CopyFile", "procedure(Source, Destination: string; OverwriteFiles: Boolean)",
                   [](F& fso, std::span<Value> a, Value&) {
                       checkCount(a, 2, 3);
                       fso.copyFile(a[0].toString(), a[1].toString(), flagOr(a, 2, true));
                   });
    f.bind("MoveFile", "procedure(Source, Destination: string)", &F::moveFile);
    f.bind("GetFileName", "function(Path: string): string", &winpath::fileName);
    f.bind("GetBaseName", "function(Path: string): string", &winpath::baseName);
    f.bind("GetExtensionName", "function(Path: string): string", &winpath::extensionName);
    f.bind("GetParentFolderName", "function(Path: string): string", &winpath::parentFolderName);
    f.bind("BuildPath", "function(Path, Name: string): string", &winpath::buildPath);
    f.bind("GetAbsolutePathName", "function(Path: string): string", &F::absolutePathName);
    f.bind("GetTempName", "function: string", &F::tempName);
    f.bindVariadic(
        "OpenTextFile",
        "function(FileName: string; IOMode: Integer; Create: Boolean; Format: Integer): Variant",
        [&reg](F&, std::span<Value> a, Value& r) { r = openTextFile(reg, a); });
    f.bindVariadic(
        "CreateTextFile", "function(FileName: string; Overwrite, Unicode: Boolean): Variant",
        [&reg](F& fso, std::span<Value> a, Value& r) { r = createTextFile(reg, fso, a); });
    static constexpr std::pair<const char*, int> constants[] = {
        {"ForReading", kForReading}, {"ForWriting", kForWriting}, {"ForAppending", kForAppending}};
    for (const auto& [name, value] : constants)
        reg.registerConst(name, Value(value));
}

Value createObject(script::Registry& reg, std::string_view className) {
    if (equalsNoCase(className, "Scripting.Dictionary"))
        return Value(script::wrapOwnedObject(reg, std::make_unique<Dictionary>()));
    if (equalsNoCase(className, "Scripting.FileSystemObject"))
        return Value(script::wrapOwnedObject(reg, std::make_unique<FileSystemObject>()));
    raiseNotAvailable(className);
}

} // namespace

void registerComObjUnit(script::Registry& reg) {
    static constexpr ExceptionClass kComObjExceptions[] = {{"EOleError", "Exception"},
                                                           {"EOleSysError", "EOleError"}};
    bindExceptionClasses(reg, kComObjExceptions);
    bindDictionary(reg);
    bindFileSystem(reg);
    script::Binder b(reg);
    b.bind({"CreateOleObject", "ActiveXObject"}, "function(ClassName: string): Variant",
           [&reg](std::string_view name) { return createObject(reg, name); });
    b.bind("GetActiveOleObject", "function(ClassName: string): Variant",
           [](std::string_view name) -> Value { raiseNotAvailable(name); });
}

} // namespace vorlan::stdlib
