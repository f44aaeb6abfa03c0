#include "stdlib/registry_store.h"

#include "core/config_folder.h"
#include "core/cp1250.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>

namespace vorlan::stdlib {

namespace fs = std::filesystem;

namespace {

constexpr const char* kValuesFile = ".values";

std::optional<fs::path>& folderOverride() {
    static std::optional<fs::path> folder;
    return folder;
}

const char* hexDigits = "0123456789ABCDEF";

// A key name (Windows-1250) as one folder name (UTF-8).
std::string encodeKeyName(std::string_view name) {
    const std::string utf8 = cp1250ToUtf8(name);
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x20 || c == 0x7F || c == '%' || c == '/' || (i == 0 && c == '.')) {
            out += '%';
            out += hexDigits[c >> 4];
            out += hexDigits[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string decodeKeyName(std::string_view folderName) {
    std::string utf8;
    for (std::size_t i = 0; i < folderName.size(); ++i) {
        if (folderName[i] == '%' && i + 2 < folderName.size() && hexValue(folderName[i + 1]) >= 0 &&
            hexValue(folderName[i + 2]) >= 0) {
            utf8 +=
                static_cast<char>(hexValue(folderName[i + 1]) * 16 + hexValue(folderName[i + 2]));
            i += 2;
        } else {
            utf8 += folderName[i];
        }
    }
    return utf8ToCp1250(utf8);
}

// The existing folder of a key name in `parent` (any letter case), or the folder it would get.
fs::path childFolder(const fs::path& parent, std::string_view name) {
    std::error_code ec;
    for (fs::directory_iterator it(parent, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        if (entry.empty() || entry[0] == '.') continue;
        if (equalsNoCase(decodeKeyName(entry), name)) return it->path();
    }
    return parent / encodeKeyName(name);
}

bool isRealFolder(const fs::path& p) {
    std::error_code ec;
    return !fs::is_symlink(p, ec) && fs::is_directory(p, ec);
}

std::string escapeText(std::string_view text) {
    std::string out = "\"";
    for (char c : cp1250ToUtf8(text)) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
    return out + "\"";
}

// Reads a quoted text at `line[at]`; moves `at` past it.
bool readQuoted(std::string_view line, std::size_t& at, std::string& out) {
    if (at >= line.size() || line[at] != '"') return false;
    std::string utf8;
    for (++at; at < line.size(); ++at) {
        const char c = line[at];
        if (c == '"') {
            ++at;
            out = utf8ToCp1250(utf8);
            return true;
        }
        if (c == '\\' && at + 1 < line.size()) {
            const char e = line[++at];
            utf8 += e == 'r' ? '\r' : e == 'n' ? '\n' : e;
        } else {
            utf8 += c;
        }
    }
    return false;
}

} // namespace

std::string_view rootKeyName(std::uint32_t rootKey) {
    switch (rootKey) {
    case kHkeyClassesRoot:
        return "HKEY_CLASSES_ROOT";
    case kHkeyCurrentUser:
        return "HKEY_CURRENT_USER";
    case kHkeyLocalMachine:
        return "HKEY_LOCAL_MACHINE";
    case kHkeyUsers:
        return "HKEY_USERS";
    case kHkeyPerformanceData:
        return "HKEY_PERFORMANCE_DATA";
    case kHkeyCurrentConfig:
        return "HKEY_CURRENT_CONFIG";
    case kHkeyDynData:
        return "HKEY_DYN_DATA";
    default:
        return {};
    }
}

fs::path registryFolder() {
    if (folderOverride()) return *folderOverride();
    return configFolder() / "registry";
}

void setRegistryFolder(fs::path folder) {
    if (folder.empty())
        folderOverride().reset();
    else
        folderOverride() = std::move(folder);
}

std::vector<std::string> splitKeyPath(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        if (end > start) parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

fs::path keyFolder(std::uint32_t rootKey, const std::vector<std::string>& parts, bool create) {
    const std::string_view rootName = rootKeyName(rootKey);
    if (rootName.empty()) return {};
    std::error_code ec;
    fs::path folder = registryFolder() / std::string(rootName);
    // A root key always exists.
    fs::create_directories(folder, ec);
    if (!isRealFolder(folder)) return {};
    for (const std::string& part : parts) {
        folder = childFolder(folder, part);
        if (!fs::exists(fs::symlink_status(folder, ec))) {
            if (!create || !fs::create_directory(folder, ec)) return {};
        }
        if (!isRealFolder(folder)) return {};
    }
    return folder;
}

bool deleteKeyTree(std::uint32_t rootKey, const std::vector<std::string>& parts) {
    if (parts.empty()) return false;
    const fs::path folder = keyFolder(rootKey, parts, false);
    if (folder.empty()) return false;
    std::error_code ec;
    fs::remove_all(folder, ec);
    return !ec;
}

std::vector<std::string> subKeyNames(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        if (!entry.empty() && entry[0] != '.' && isRealFolder(it->path()))
            names.push_back(decodeKeyName(entry));
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return compareNoCase(a, b) < 0; });
    return names;
}

std::string valueLine(const std::string& name, const RegValue& value) {
    std::string line = name.empty() ? "@" : escapeText(name);
    line += '=';
    switch (value.type) {
    case RegType::Integer: {
        char digits[9];
        std::snprintf(digits, sizeof digits, "%08x", static_cast<std::uint32_t>(value.number));
        line += "dword:";
        line += digits;
        break;
    }
    case RegType::Binary:
        line += "hex:";
        for (std::size_t i = 0; i < value.bytes.size(); ++i) {
            const auto b = static_cast<unsigned char>(value.bytes[i]);
            if (i) line += ',';
            line += hexDigits[b >> 4];
            line += hexDigits[b & 15];
        }
        break;
    case RegType::ExpandString:
        line += "expand:" + escapeText(value.text);
        break;
    default:
        line += escapeText(value.text);
    }
    return line;
}

bool parseValueLine(std::string_view line, std::string& name, RegValue& value) {
    std::size_t at = 0;
    if (line.starts_with("@")) {
        name.clear();
        at = 1;
    } else if (!readQuoted(line, at, name)) {
        return false;
    }
    if (at >= line.size() || line[at] != '=') return false;
    std::string_view data = line.substr(at + 1);
    value = RegValue();
    if (data.starts_with("dword:")) {
        data.remove_prefix(6);
        if (data.empty() || data.size() > 8) return false;
        std::uint32_t n = 0;
        for (char c : data) {
            if (hexValue(c) < 0) return false;
            n = n * 16 + static_cast<std::uint32_t>(hexValue(c));
        }
        value.type = RegType::Integer;
        value.number = static_cast<std::int32_t>(n);
        return true;
    }
    if (data.starts_with("hex:")) {
        data.remove_prefix(4);
        value.type = RegType::Binary;
        for (std::size_t i = 0; i < data.size(); i += 3) {
            if (i + 1 >= data.size() || hexValue(data[i]) < 0 || hexValue(data[i + 1]) < 0)
                return false;
            if (i + 2 < data.size() && data[i + 2] != ',') return false;
            value.bytes += static_cast<char>(hexValue(data[i]) * 16 + hexValue(data[i + 1]));
        }
        return true;
    }
    std::size_t pos = 0;
    if (data.starts_with("expand:")) {
        value.type = RegType::ExpandString;
        pos = 7;
    }
    return readQuoted(data, pos, value.text) && pos == data.size();
}

RegValues readValues(const fs::path& folder) {
    RegValues values;
    std::ifstream in(folder / kValuesFile, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string name;
        RegValue value;
        if (parseValueLine(line, name, value) && findValue(values, name) < 0)
            values.emplace_back(std::move(name), std::move(value));
    }
    return values;
}

bool writeValues(const fs::path& folder, const RegValues& values) {
    const fs::path target = folder / kValuesFile;
    const fs::path temporary = folder / ".values.new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        for (const auto& [name, value] : values)
            out << valueLine(name, value) << '\n';
        out.close();
        if (out.fail()) return false;
    }
    std::error_code ec;
    fs::rename(temporary, target, ec);
    return !ec;
}

int findValue(const RegValues& values, std::string_view name) {
    for (std::size_t i = 0; i < values.size(); ++i)
        if (equalsNoCase(values[i].first, name)) return static_cast<int>(i);
    return -1;
}

} // namespace vorlan::stdlib
