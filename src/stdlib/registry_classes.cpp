#include "stdlib/registry_classes.h"

#include "core/cp1250.h"
#include "stdlib/exceptions.h"

#include <climits>
#include <cstring>
#include <string>

namespace vorlan::stdlib {

namespace {

[[noreturn]] void raiseWriteError(std::string_view name) {
    raiseException("ERegistryException",
                   czech("Hodnotu '") + std::string(name) + czech("' nelze do registru zapsat"));
}

[[noreturn]] void raiseReadError(std::string_view name) {
    raiseException("ERegistryException", czech("Hodnota '") + std::string(name) +
                                             czech("' v registru chybí nebo má jiný datový typ"));
}

std::string joinParts(const std::vector<std::string>& parts) {
    std::string out;
    for (const std::string& p : parts)
        out += (out.empty() ? "" : "\\") + p;
    return out;
}

} // namespace

// ---- RegistryObject

void RegistryObject::setRootKey(std::uint32_t rootKey) {
    closeKey();
    rootKey_ = rootKey;
}

std::vector<std::string> RegistryObject::resolve(std::string_view key) const {
    const bool relative = key.empty() || key[0] != '\\';
    std::vector<std::string> parts =
        relative && hasOpenKey() ? currentParts_ : std::vector<std::string>{};
    for (std::string& p : splitKeyPath(key))
        parts.push_back(std::move(p));
    return parts;
}

bool RegistryObject::openKey(std::string_view key, bool canCreate) {
    std::vector<std::string> parts = resolve(key);
    const std::filesystem::path folder = keyFolder(rootKey_, parts, canCreate);
    if (folder.empty()) return false;
    folder_ = folder;
    currentPath_ = joinParts(parts);
    currentParts_ = std::move(parts);
    readOnly_ = false;
    return true;
}

bool RegistryObject::openKeyReadOnly(std::string_view key) {
    if (!openKey(key, false)) return false;
    readOnly_ = true;
    return true;
}

bool RegistryObject::createKey(std::string_view key) {
    return !keyFolder(rootKey_, resolve(key), true).empty();
}

void RegistryObject::closeKey() {
    folder_.clear();
    currentParts_.clear();
    currentPath_.clear();
    readOnly_ = false;
}

void RegistryObject::restoreState(OpenState state) {
    folder_ = std::move(state.folder);
    currentParts_ = std::move(state.parts);
    currentPath_ = std::move(state.path);
    readOnly_ = state.readOnly;
}

bool RegistryObject::keyExists(std::string_view key) const {
    return !keyFolder(rootKey_, resolve(key), false).empty();
}

bool RegistryObject::deleteKey(std::string_view key) {
    return deleteKeyTree(rootKey_, resolve(key));
}

bool RegistryObject::hasSubKeys() const {
    return !keyNames().empty();
}

std::vector<std::string> RegistryObject::keyNames() const {
    return hasOpenKey() ? subKeyNames(folder_) : std::vector<std::string>{};
}

std::vector<std::string> RegistryObject::valueNames() const {
    std::vector<std::string> names;
    if (!hasOpenKey()) return names;
    for (auto& [name, value] : readValues(folder_))
        names.push_back(name);
    return names;
}

const RegValue* RegistryObject::findIn(const RegValues& values, std::string_view name) const {
    const int at = findValue(values, name);
    return at < 0 ? nullptr : &values[static_cast<std::size_t>(at)].second;
}

bool RegistryObject::valueExists(std::string_view name) const {
    return hasOpenKey() && findValue(readValues(folder_), name) >= 0;
}

bool RegistryObject::deleteValue(std::string_view name) {
    if (!hasOpenKey() || readOnly_) return false;
    RegValues values = readValues(folder_);
    const int at = findValue(values, name);
    if (at < 0) return false;
    values.erase(values.begin() + at);
    return writeValues(folder_, values);
}

void RegistryObject::renameValue(std::string_view oldName, std::string_view newName) {
    if (!hasOpenKey() || readOnly_) return;
    RegValues values = readValues(folder_);
    const int at = findValue(values, oldName);
    if (at < 0 || findValue(values, newName) >= 0) return;
    values[static_cast<std::size_t>(at)].first = std::string(newName);
    if (!writeValues(folder_, values)) raiseWriteError(newName);
}

RegType RegistryObject::dataType(std::string_view name) const {
    if (!hasOpenKey()) return RegType::Unknown;
    const RegValues values = readValues(folder_);
    const RegValue* v = findIn(values, name);
    return v ? v->type : RegType::Unknown;
}

std::int32_t RegistryObject::dataSize(std::string_view name) const {
    if (!hasOpenKey()) return -1;
    const RegValues values = readValues(folder_);
    const RegValue* v = findIn(values, name);
    if (!v) return -1;
    switch (v->type) {
    case RegType::Integer:
        return 4;
    case RegType::Binary:
        return static_cast<std::int32_t>(v->bytes.size());
    default:
        return static_cast<std::int32_t>(v->text.size() + 1);
    }
}

std::string RegistryObject::readString(std::string_view name) const {
    if (!hasOpenKey()) return {};
    const RegValues values = readValues(folder_);
    const RegValue* v = findIn(values, name);
    if (!v) return {};
    if (v->type != RegType::String && v->type != RegType::ExpandString) raiseReadError(name);
    return v->text;
}

std::int32_t RegistryObject::readInteger(std::string_view name) const {
    const RegValues values = hasOpenKey() ? readValues(folder_) : RegValues{};
    const RegValue* v = findIn(values, name);
    if (!v || v->type != RegType::Integer) raiseReadError(name);
    return v->number;
}

double RegistryObject::readFloat(std::string_view name) const {
    const RegValues values = hasOpenKey() ? readValues(folder_) : RegValues{};
    const RegValue* v = findIn(values, name);
    if (!v || v->type != RegType::Binary || v->bytes.size() != sizeof(double)) raiseReadError(name);
    double d = 0;
    std::memcpy(&d, v->bytes.data(), sizeof d);
    return d;
}

void RegistryObject::writeValue(std::string_view name, RegValue value) {
    if (!hasOpenKey() || readOnly_) raiseWriteError(name);
    RegValues values = readValues(folder_);
    const int at = findValue(values, name);
    if (at < 0)
        values.emplace_back(std::string(name), std::move(value));
    else
        values[static_cast<std::size_t>(at)].second = std::move(value);
    if (!writeValues(folder_, values)) raiseWriteError(name);
}

void RegistryObject::writeString(std::string_view name, std::string_view value) {
    RegValue v;
    v.text = std::string(value);
    writeValue(name, std::move(v));
}

void RegistryObject::writeExpandString(std::string_view name, std::string_view value) {
    RegValue v;
    v.type = RegType::ExpandString;
    v.text = std::string(value);
    writeValue(name, std::move(v));
}

void RegistryObject::writeInteger(std::string_view name, std::int32_t value) {
    RegValue v;
    v.type = RegType::Integer;
    v.number = value;
    writeValue(name, std::move(v));
}

void RegistryObject::writeFloat(std::string_view name, double value) {
    RegValue v;
    v.type = RegType::Binary;
    v.bytes.assign(reinterpret_cast<const char*>(&value), sizeof value);
    writeValue(name, std::move(v));
}

// ---- RegIniFile

RegIniFile::RegIniFile(std::string_view fileName)
    : RegistryObject("TRegIniFile"), fileName_(fileName) {
    openKey(fileName, true);
}

template <class F> bool RegIniFile::inSection(std::string_view section, bool create, F f) {
    if (section.empty()) {
        f();
        return true;
    }
    OpenState saved = saveState();
    if (!openKey(section, create)) return false;
    struct Restore {
        RegIniFile& self;
        OpenState& state;
        ~Restore() { self.restoreState(std::move(state)); }
    } restore{*this, saved};
    f();
    return true;
}

std::string RegIniFile::readString(std::string_view section, std::string_view ident,
                                   std::string_view fallback) {
    std::string result(fallback);
    inSection(section, false, [&] {
        if (valueExists(ident)) result = RegistryObject::readString(ident);
    });
    return result;
}

std::int32_t RegIniFile::readInteger(std::string_view section, std::string_view ident,
                                     std::int32_t fallback) {
    std::int32_t result = fallback;
    inSection(section, false, [&] {
        if (dataType(ident) == RegType::Integer) {
            result = RegistryObject::readInteger(ident);
            return;
        }
        if (!valueExists(ident)) return;
        std::string text = RegistryObject::readString(ident);
        int base = 10;
        std::size_t start = 0;
        if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
            base = 16;
            start = 2;
        } else if (text.size() > 1 && text[0] == '$') {
            base = 16;
            start = 1;
        }
        try {
            std::size_t used = 0;
            const long long n = std::stoll(text.substr(start), &used, base);
            if (start + used == text.size() && n >= INT32_MIN && n <= INT32_MAX)
                result = static_cast<std::int32_t>(n);
        } catch (const std::exception&) {
            // Not a number: the default stays.
        }
    });
    return result;
}

bool RegIniFile::readBool(std::string_view section, std::string_view ident, bool fallback) {
    return readInteger(section, ident, fallback ? 1 : 0) != 0;
}

void RegIniFile::writeString(std::string_view section, std::string_view ident,
                             std::string_view value) {
    if (!inSection(section, true, [&] { RegistryObject::writeString(ident, value); }))
        raiseWriteError(ident);
}

void RegIniFile::writeInteger(std::string_view section, std::string_view ident,
                              std::int32_t value) {
    writeString(section, ident, std::to_string(value));
}

void RegIniFile::writeBool(std::string_view section, std::string_view ident, bool value) {
    writeInteger(section, ident, value ? 1 : 0);
}

std::vector<std::string> RegIniFile::identNames(std::string_view section) {
    std::vector<std::string> names;
    inSection(section, false, [&] { names = valueNames(); });
    return names;
}

std::vector<std::string> RegIniFile::sectionValues(std::string_view section) {
    std::vector<std::string> lines;
    inSection(section, false, [&] {
        for (const std::string& name : valueNames()) {
            std::string text;
            if (dataType(name) == RegType::Integer)
                text = std::to_string(RegistryObject::readInteger(name));
            else if (dataType(name) != RegType::Binary)
                text = RegistryObject::readString(name);
            lines.push_back(name + "=" + text);
        }
    });
    return lines;
}

void RegIniFile::deleteIdent(std::string_view section, std::string_view ident) {
    inSection(section, false, [&] { deleteValue(ident); });
}

} // namespace vorlan::stdlib
