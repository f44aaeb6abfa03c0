#include "core/path_mapper.h"

#include "core/cp1250.h"

#include <cctype>
#include <cstdlib>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace vorlan {
namespace fs = std::filesystem;

namespace {

char driveKey(char drive) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(drive)));
}

std::vector<std::string> splitComponents(std::string_view path) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : path) {
        if (c == '\\' || c == '/') {
            if (!current.empty()) parts.push_back(std::move(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) parts.push_back(std::move(current));
    return parts;
}

} // namespace

PathMapper::PathMapper() {
    if (const char* home = std::getenv("HOME"); home && *home)
        drives_['C'] = home;
    else
        drives_['C'] = "/";
}

void PathMapper::setDriveRoot(char drive, fs::path root) {
    drives_[driveKey(drive)] = std::move(root);
}

void PathMapper::clearDrives() {
    drives_.clear();
}

fs::path PathMapper::driveRoot(char drive) const {
    auto it = drives_.find(driveKey(drive));
    return it == drives_.end() ? fs::path() : it->second;
}

fs::path findNoCase(const fs::path& folder, const std::string& name) {
    std::error_code ec;
    const fs::path exact = folder / name;
    if (fs::exists(exact, ec)) return exact;
    const fs::path where = folder.empty() ? fs::path(".") : folder;
    for (fs::directory_iterator it(where, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string candidate = it->path().filename().string();
        if (candidate.size() == name.size() && equalsNoCase(candidate, name))
            return folder / candidate;
    }
    // Names with Czech letters differ in their UTF-8 bytes; compare them decoded.
    const std::string wanted = utf8ToCp1250(name);
    if (wanted != name) {
        for (fs::directory_iterator it(where, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string candidate = it->path().filename().string();
            if (equalsNoCase(utf8ToCp1250(candidate), wanted)) return folder / candidate;
        }
    }
    return exact;
}

fs::path PathMapper::toHost(std::string_view programPath) const {
    std::string_view rest = programPath;
    fs::path result;
    bool absolute = false;
    if (rest.size() >= 2 && rest[1] == ':' && std::isalpha(static_cast<unsigned char>(rest[0]))) {
        const fs::path root = driveRoot(rest[0]);
        if (root.empty())
            throw std::invalid_argument(czech("Jednotka ") + std::string(1, driveKey(rest[0])) +
                                        czech(": není připojena"));
        result = root;
        rest.remove_prefix(2);
        absolute = true;
    } else if (!rest.empty() && (rest[0] == '\\' || rest[0] == '/')) {
        result = "/";
        absolute = true;
    }
    const auto parts = splitComponents(rest);
    if (parts.empty()) return absolute ? result : fs::path(".");
    for (const auto& part : parts) {
        const std::string hostName = cp1250ToUtf8(part);
        if (part == ".") continue;
        if (part == "..") {
            result /= "..";
            continue;
        }
        result = findNoCase(result, hostName);
    }
    return result;
}

fs::path PathMapper::toHostOrEmpty(std::string_view programPath) const {
    try {
        return toHost(programPath);
    } catch (const std::invalid_argument&) {
        return {};
    }
}

std::string PathMapper::toProgram(const fs::path& hostPath) const {
    std::error_code ec;
    const fs::path absolute = fs::absolute(hostPath, ec).lexically_normal();
    const std::string text = ec ? hostPath.string() : absolute.string();
    // The longest matching root wins, so nested drive roots map to the most specific letter.
    char bestDrive = 0;
    std::size_t bestLength = 0;
    for (const auto& [drive, root] : drives_) {
        std::string rootText = root.lexically_normal().string();
        while (rootText.size() > 1 && rootText.back() == '/')
            rootText.pop_back();
        const bool inside = text == rootText || (text.size() > rootText.size() &&
                                                 text.compare(0, rootText.size(), rootText) == 0 &&
                                                 (text[rootText.size()] == '/' || rootText == "/"));
        if (inside && rootText.size() >= bestLength) {
            bestDrive = drive;
            bestLength = rootText.size();
        }
    }
    std::string out;
    if (bestDrive) {
        out = std::string(1, bestDrive) + ":";
        std::string tail = text.substr(bestLength);
        if (tail.empty() || tail[0] != '/') tail.insert(tail.begin(), '/');
        out += tail;
    } else {
        out = text;
    }
    for (char& c : out)
        if (c == '/') c = '\\';
    return utf8ToCp1250(out);
}

PathMapper& pathMapper() {
    static PathMapper mapper;
    return mapper;
}

} // namespace vorlan
