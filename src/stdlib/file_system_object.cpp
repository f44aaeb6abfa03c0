#include "stdlib/file_system_object.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "script/dispatch.h"
#include "stdlib/host_files.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <random>

namespace vorlan::stdlib {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void raiseFileError(const char* utf8, std::string_view path = {}) {
    std::string text = czech(utf8);
    if (!path.empty()) text += " (" + std::string(path) + ")";
    throw script::ScriptException(text);
}

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

// The path without separators at its end, unless it is a root (C:\ or \).
std::string_view trimmed(std::string_view path) {
    while (path.size() > 1 && isSeparator(path.back()) && !(path.size() == 3 && path[1] == ':'))
        path.remove_suffix(1);
    return path;
}

std::size_t lastSeparator(std::string_view path) {
    const std::size_t at = path.find_last_of("\\/");
    if (at != std::string_view::npos) return at;
    return path.size() >= 2 && path[1] == ':' ? 1 : std::string_view::npos;
}

bool exists(std::string_view path, bool folder) {
    const fs::path host = hostPathOf(path);
    std::error_code ec;
    if (host.empty()) return false;
    return folder ? fs::is_directory(host, ec)
                  : fs::exists(host, ec) && !fs::is_directory(host, ec);
}

// A target that ends with a separator names the folder to put the file in.
std::string targetPath(std::string_view from, std::string_view to) {
    if (!to.empty() && isSeparator(to.back())) return std::string(to) + winpath::fileName(from);
    return std::string(to);
}

} // namespace

// ---- path texts

std::string winpath::fileName(std::string_view path) {
    path = trimmed(path);
    if (path.size() == 3 && path[1] == ':') return {};
    const std::size_t at = lastSeparator(path);
    return std::string(at == std::string_view::npos ? path : path.substr(at + 1));
}

std::string winpath::baseName(std::string_view path) {
    const std::string name = fileName(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string winpath::extensionName(std::string_view path) {
    const std::string name = fileName(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

std::string winpath::parentFolderName(std::string_view path) {
    path = trimmed(path);
    const std::size_t at = lastSeparator(path);
    if (at == std::string_view::npos || (path.size() == 3 && path[1] == ':')) return {};
    std::string parent(path.substr(0, at));
    if (parent.size() == 2 && parent[1] == ':') return parent + "\\"; // C:\x -> C:\ .
    if (parent.empty() && isSeparator(path[0])) return "\\";
    return parent;
}

std::string winpath::buildPath(std::string_view path, std::string_view name) {
    if (path.empty()) return std::string(name);
    if (name.empty()) return std::string(path);
    const bool pathEnds = isSeparator(path.back());
    const bool nameStarts = isSeparator(name.front());
    if (pathEnds && nameStarts) return std::string(path) + std::string(name.substr(1));
    if (pathEnds || nameStarts) return std::string(path) + std::string(name);
    return std::string(path) + "\\" + std::string(name);
}

// ---- TextStream

TextStream::TextStream(std::string_view programPath, int mode, bool create, bool unicode)
    : NativeObject("Scripting.TextStream"), reading_(mode == kForReading), unicode_(unicode) {
    const fs::path host = hostPathOf(programPath);
    std::error_code ec;
    if (host.empty()) raiseFileError("Cesta nebyla nalezena", programPath);
    if (fs::is_directory(host, ec)) raiseFileError("Přístup odepřen", programPath);
    const bool present = fs::exists(host, ec);
    if (!present && !create) raiseFileError("Soubor nebyl nalezen", programPath);
    if (!present && !fs::is_directory(host.parent_path().empty() ? "." : host.parent_path(), ec))
        raiseFileError("Cesta nebyla nalezena", programPath);
    if (reading_) {
        if (!present) std::ofstream(host, std::ios::binary);
        std::optional<std::string> bytes = readFileBytes(programPath);
        if (!bytes) raiseFileError("Přístup odepřen", programPath);
        std::string& b = *bytes;
        const bool utf16 = b.size() >= 2 && b[0] == '\xFF' && b[1] == '\xFE';
        if (utf16 ||
            (unicode && b.size() % 2 == 0 && !(b.size() >= 3 && b.starts_with("\xEF\xBB\xBF")))) {
            std::u16string units;
            for (std::size_t i = utf16 ? 2 : 0; i + 1 < b.size(); i += 2)
                units += static_cast<char16_t>(static_cast<unsigned char>(b[i]) |
                                               (static_cast<unsigned char>(b[i + 1]) << 8));
            text_ = utf16ToCp1250(units);
        } else {
            text_ = textFromFileBytes(std::move(b));
        }
        return;
    }
    const bool append = mode == kForAppending;
    const bool empty = !present || fs::file_size(host, ec) == 0;
    out_.open(host, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
    if (!out_) raiseFileError("Přístup odepřen", programPath);
    if (unicode_ && (!append || empty)) out_.write("\xFF\xFE", 2);
}

void TextStream::needReading() const {
    if (closed_ || !reading_) raiseFileError("Chybný režim souboru");
}

void TextStream::needWriting() const {
    if (closed_ || reading_) raiseFileError("Chybný režim souboru");
}

void TextStream::advance(char c) {
    if (c == '\n') {
        ++line_;
        column_ = 1;
    } else {
        ++column_;
    }
}

std::string TextStream::readLine() {
    needReading();
    if (at_ >= text_.size()) raiseFileError("Čtení za koncem souboru");
    const std::size_t end = std::min(text_.find_first_of("\r\n", at_), text_.size());
    std::string out = text_.substr(at_, end - at_);
    at_ = end;
    if (at_ < text_.size() && text_[at_] == '\r') ++at_;
    if (at_ < text_.size() && text_[at_] == '\n') ++at_;
    ++line_;
    column_ = 1;
    return out;
}

std::string TextStream::read(std::int32_t count) {
    needReading();
    if (at_ >= text_.size() && count > 0) raiseFileError("Čtení za koncem souboru");
    const std::size_t n = count > 0 ? std::min<std::size_t>(count, text_.size() - at_) : 0;
    std::string out = text_.substr(at_, n);
    for (char c : out)
        advance(c);
    at_ += n;
    return out;
}

std::string TextStream::readAll() {
    needReading();
    return read(static_cast<std::int32_t>(std::min<std::size_t>(text_.size() - at_, INT32_MAX)));
}

void TextStream::skipLine() {
    readLine();
}

void TextStream::skip(std::int32_t count) {
    read(count);
}

bool TextStream::atEndOfStream() const {
    needReading();
    return at_ >= text_.size();
}

bool TextStream::atEndOfLine() const {
    needReading();
    return at_ >= text_.size() || text_[at_] == '\r' || text_[at_] == '\n';
}

void TextStream::write(std::string_view text) {
    needWriting();
    if (unicode_) {
        std::string bytes;
        for (char16_t u : cp1250ToUtf16(text)) {
            bytes += static_cast<char>(u & 0xFF);
            bytes += static_cast<char>(u >> 8);
        }
        out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    } else {
        out_.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    if (!out_) raiseFileError("Zápis do souboru selhal");
    for (char c : text)
        advance(c);
}

void TextStream::writeLine(std::string_view text) {
    write(std::string(text) + "\r\n");
}

void TextStream::writeBlankLines(std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i)
        write("\r\n");
}

void TextStream::close() {
    if (out_.is_open()) out_.close();
    closed_ = true;
}

// ---- FileSystemObject

bool FileSystemObject::fileExists(std::string_view path) const {
    return exists(path, false);
}

bool FileSystemObject::folderExists(std::string_view path) const {
    return exists(path, true);
}

void FileSystemObject::createFolder(std::string_view path) const {
    const fs::path host = hostPathOf(path);
    std::error_code ec;
    if (host.empty()) raiseFileError("Cesta nebyla nalezena", path);
    if (fs::exists(host, ec)) raiseFileError("Soubor již existuje", path);
    if (!fs::create_directory(host, ec)) raiseFileError("Cesta nebyla nalezena", path);
}

void FileSystemObject::deleteFile(std::string_view path, bool /*force*/) const {
    if (!fileExists(path)) raiseFileError("Soubor nebyl nalezen", path);
    std::error_code ec;
    if (!fs::remove(hostPathOf(path), ec)) raiseFileError("Přístup odepřen", path);
}

void FileSystemObject::deleteFolder(std::string_view path, bool /*force*/) const {
    if (!folderExists(path)) raiseFileError("Cesta nebyla nalezena", path);
    std::error_code ec;
    fs::remove_all(hostPathOf(path), ec);
    if (ec) raiseFileError("Přístup odepřen", path);
}

void FileSystemObject::copyFile(std::string_view from, std::string_view to, bool overwrite) const {
    if (!fileExists(from)) raiseFileError("Soubor nebyl nalezen", from);
    const std::string target = targetPath(from, to);
    if (folderExists(target)) raiseFileError("Přístup odepřen", target);
    if (fileExists(target) && !overwrite) raiseFileError("Soubor již existuje", target);
    const fs::path host = hostPathOf(target);
    std::error_code ec;
    if (host.empty() ||
        !fs::copy_file(hostPathOf(from), host, fs::copy_options::overwrite_existing, ec))
        raiseFileError("Cesta nebyla nalezena", target);
}

void FileSystemObject::moveFile(std::string_view from, std::string_view to) const {
    if (!fileExists(from)) raiseFileError("Soubor nebyl nalezen", from);
    const std::string target = targetPath(from, to);
    if (fileExists(target) || folderExists(target)) raiseFileError("Soubor již existuje", target);
    const fs::path source = hostPathOf(from);
    const fs::path host = hostPathOf(target);
    std::error_code ec;
    if (host.empty()) raiseFileError("Cesta nebyla nalezena", target);
    fs::rename(source, host, ec);
    if (!ec) return;
    // Across file systems: a copy, then the original goes.
    if (!fs::copy_file(source, host, ec)) raiseFileError("Cesta nebyla nalezena", target);
    fs::remove(source, ec);
}

std::string FileSystemObject::absolutePathName(std::string_view path) const {
    const fs::path host = hostPathOf(path.empty() ? "." : path);
    std::error_code ec;
    if (host.empty()) return std::string(path);
    return pathMapper().toProgram(fs::absolute(host, ec).lexically_normal());
}

std::string FileSystemObject::tempName() const {
    static std::mt19937 generator{std::random_device{}()};
    char name[16];
    std::snprintf(name, sizeof name, "rad%05X.tmp", static_cast<unsigned>(generator() & 0xFFFFF));
    return name;
}

} // namespace vorlan::stdlib
