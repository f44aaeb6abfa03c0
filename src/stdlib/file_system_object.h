#pragma once
// Scripting.FileSystemObject and its TextStream, over the path mapper: program paths
// (C:\DATA\X.TXT) reach the host files they stand for. Text files are Windows-1250 with CR LF line
// ends; a file opened as Unicode is UTF-16 (little-endian, with its byte order mark), and a file
// that begins with a UTF-8 or UTF-16 byte order mark reads as such whatever was asked.

#include "script/native_object.h"

#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>

namespace vorlan::stdlib {

// The path text functions (GetFileName and the others) work on the text alone: either
// separator, a drive letter, a trailing separator ignored.
namespace winpath {
std::string fileName(std::string_view path);
std::string baseName(std::string_view path);
std::string extensionName(std::string_view path);
std::string parentFolderName(std::string_view path);
std::string buildPath(std::string_view path, std::string_view name);
} // namespace winpath

// I/O modes of OpenTextFile.
constexpr int kForReading = 1;
constexpr int kForWriting = 2;
constexpr int kForAppending = 8;

class TextStream : public script::NativeObject {
public:
    // Reading: the whole file is read now. Writing and appending: the file stays open.
    TextStream(std::string_view programPath, int mode, bool create, bool unicode);

    std::string readLine();
    std::string read(std::int32_t count);
    std::string readAll();
    void skipLine();
    void skip(std::int32_t count);
    bool atEndOfStream() const;
    bool atEndOfLine() const;
    std::int32_t line() const { return line_; }
    std::int32_t column() const { return column_; }
    void write(std::string_view text);
    void writeLine(std::string_view text);
    void writeBlankLines(std::int32_t count);
    void close();

private:
    void needReading() const;
    void needWriting() const;
    void advance(char c);

    bool reading_ = false;
    bool unicode_ = false;
    bool closed_ = false;
    std::string text_; // what is read, as Windows-1250
    std::size_t at_ = 0;
    std::ofstream out_;
    std::int32_t line_ = 1;
    std::int32_t column_ = 1;
};

class FileSystemObject : public script::NativeObject {
public:
    FileSystemObject() : NativeObject("Scripting.FileSystemObject") {}

    bool fileExists(std::string_view path) const;
    bool folderExists(std::string_view path) const;
    void createFolder(std::string_view path) const;
    void deleteFile(std::string_view path, bool force) const;
    void deleteFolder(std::string_view path, bool force) const;
    void copyFile(std::string_view from, std::string_view to, bool overwrite) const;
    void moveFile(std::string_view from, std::string_view to) const;
    std::string absolutePathName(std::string_view path) const;
    std::string tempName() const;
};

} // namespace vorlan::stdlib
