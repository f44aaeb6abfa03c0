#pragma once
// TRegistry and TRegIniFile over the registry tree of registry_store.h. A key path that begins
// with a backslash starts at the root key; any other is relative to the open key, as on Windows.

#include "script/native_object.h"
#include "script/value.h"
#include "stdlib/registry_store.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::stdlib {

class RegistryObject : public script::NativeObject {
public:
    explicit RegistryObject(std::string className = "TRegistry")
        : NativeObject(std::move(className)) {}

    std::uint32_t rootKey() const { return rootKey_; }
    // Closes the open key.
    void setRootKey(std::uint32_t rootKey);
    const std::string& currentPath() const { return currentPath_; }
    bool hasOpenKey() const { return !folder_.empty(); }

    bool openKey(std::string_view key, bool canCreate);
    bool openKeyReadOnly(std::string_view key);
    bool createKey(std::string_view key);
    void closeKey();
    bool keyExists(std::string_view key) const;
    bool deleteKey(std::string_view key);
    bool hasSubKeys() const;
    std::vector<std::string> keyNames() const;
    std::vector<std::string> valueNames() const;

    bool valueExists(std::string_view name) const;
    bool deleteValue(std::string_view name);
    void renameValue(std::string_view oldName, std::string_view newName);
    RegType dataType(std::string_view name) const;
    // Bytes the value takes as Windows stores it; -1 when missing.
    std::int32_t dataSize(std::string_view name) const;

    // A missing value reads as the empty text; other types than the one asked for, and a
    // missing number, raise an error that names the value.
    std::string readString(std::string_view name) const;
    std::int32_t readInteger(std::string_view name) const;
    bool readBool(std::string_view name) const { return readInteger(name) != 0; }
    double readFloat(std::string_view name) const;
    void writeString(std::string_view name, std::string_view value);
    void writeExpandString(std::string_view name, std::string_view value);
    void writeInteger(std::string_view name, std::int32_t value);
    void writeBool(std::string_view name, bool value) { writeInteger(name, value ? 1 : 0); }
    void writeFloat(std::string_view name, double value);

protected:
    struct OpenState {
        std::filesystem::path folder;
        std::vector<std::string> parts;
        std::string path;
        bool readOnly = false;
    };
    OpenState saveState() const { return {folder_, currentParts_, currentPath_, readOnly_}; }
    void restoreState(OpenState state);
    // The parts of a key path as given to OpenKey and the others.
    std::vector<std::string> resolve(std::string_view key) const;
    void writeValue(std::string_view name, RegValue value);
    const RegValue* findIn(const RegValues& values, std::string_view name) const;

private:
    std::uint32_t rootKey_ = kHkeyCurrentUser;
    std::filesystem::path folder_;
    std::vector<std::string> currentParts_;
    std::string currentPath_;
    bool readOnly_ = false;
};

// TRegIniFile: sections are subkeys of the key named at creation (under HKEY_CURRENT_USER),
// identifiers are values in them; numbers are kept as text, as the class has always done.
class RegIniFile : public RegistryObject {
public:
    explicit RegIniFile(std::string_view fileName);

    const std::string& fileName() const { return fileName_; }
    std::string readString(std::string_view section, std::string_view ident,
                           std::string_view fallback);
    std::int32_t readInteger(std::string_view section, std::string_view ident,
                             std::int32_t fallback);
    bool readBool(std::string_view section, std::string_view ident, bool fallback);
    void writeString(std::string_view section, std::string_view ident, std::string_view value);
    void writeInteger(std::string_view section, std::string_view ident, std::int32_t value);
    void writeBool(std::string_view section, std::string_view ident, bool value);
    std::vector<std::string> sectionNames() const { return keyNames(); }
    std::vector<std::string> identNames(std::string_view section);
    // "Ident=Value" for each value of a section.
    std::vector<std::string> sectionValues(std::string_view section);
    void eraseSection(std::string_view section) { RegistryObject::deleteKey(section); }
    void deleteIdent(std::string_view section, std::string_view ident);

private:
    // Runs `f` with the section's key open (created when `create`), then goes back to the
    // file's key; false when the section is missing.
    template <class F> bool inSection(std::string_view section, bool create, F f);
    std::string fileName_;
};

} // namespace vorlan::stdlib
