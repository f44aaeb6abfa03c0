// The two streamed-file slots: one file read and one file written at a time, process-wide,
// surviving from one program run to the next. No function here stops a script: every failure
// leaves the neutral result (the empty text, -1, or nothing done).

#include "library/files_internal.h"
#include "library/files_system.h"
#include "script/bind.h"

#include <cstdio>
#include <sys/stat.h>

namespace vorlan::library {

namespace fs = std::filesystem;

namespace {

class FileSlot {
public:
    FileSlot() = default;
    FileSlot(const FileSlot&) = delete;
    FileSlot& operator=(const FileSlot&) = delete;
    ~FileSlot() { close(); }

    bool open(const fs::path& path, const char* mode) {
        close();
        file_ = std::fopen(path.c_str(), mode);
        return file_ != nullptr;
    }
    void close() {
        if (file_) std::fclose(file_);
        file_ = nullptr;
    }
    std::FILE* file() const { return file_; }

    std::int32_t position() const {
        if (!file_) return -1;
        const long p = std::ftell(file_);
        return p < 0 ? -1 : static_cast<std::int32_t>(p);
    }
    void seek(std::int32_t pos) {
        if (file_ && pos >= 0) std::fseek(file_, pos, SEEK_SET);
    }
    std::int32_t size() const {
        if (!file_) return -1;
        std::fflush(file_); // what was written counts
        struct stat st {};
        if (::fstat(fileno(file_), &st) != 0) return -1;
        return static_cast<std::int32_t>(st.st_size);
    }

private:
    std::FILE* file_ = nullptr;
};

FileSlot& readSlot() {
    static FileSlot slot;
    return slot;
}

FileSlot& writeSlot() {
    static FileSlot slot;
    return slot;
}

// Runs a slot operation so that nothing escapes to the script.
template <class F> void quietly(F&& f) {
    try {
        f();
    } catch (...) {
    }
}

std::string readBlock(std::int32_t count) {
    std::FILE* f = readSlot().file();
    std::string out;
    if (!f || count <= 0) return out;
    // Read in pieces, so a huge count asks for no more memory than the file can give.
    char buffer[64 * 1024];
    auto left = static_cast<std::size_t>(count);
    while (left > 0) {
        const std::size_t got = std::fread(buffer, 1, std::min(left, sizeof buffer), f);
        out.append(buffer, got);
        left -= got;
        if (got == 0) break;
    }
    return out;
}

// The next line with its line end: bytes up to and including the line feed, or to the end of
// the file for a last line without one.
std::string readLine() {
    std::FILE* f = readSlot().file();
    std::string line;
    if (!f) return line;
    for (int c; (c = std::getc(f)) != EOF;) {
        line += static_cast<char>(c);
        if (c == '\n') break;
    }
    return line;
}

void writeBlock(const std::string& text) {
    if (std::FILE* f = writeSlot().file()) std::fwrite(text.data(), 1, text.size(), f);
}

} // namespace

void closeStreamedFiles() {
    readSlot().close();
    writeSlot().close();
}

void registerStreamedFiles(script::Registry& reg) {
    script::Binder b(reg);
    b.bind("FileReadOpen", "procedure(name: string)", [](std::string_view name) {
        quietly([&] {
            const auto host = hostPath(name);
            std::error_code ec;
            // A missing file leaves the slot as it was.
            if (!host || name.empty() || !fs::is_regular_file(*host, ec)) return;
            readSlot().open(*host, "rb");
        });
    });
    b.bind("FileWriteOpen", "procedure(name: string)", [](std::string_view name) {
        quietly([&] {
            writeSlot().close();
            const auto host = hostPath(name);
            if (host && !name.empty()) writeSlot().open(*host, "wb");
        });
    });
    b.bind("FileReadBlock", "function(count: Integer): string", [](std::int32_t count) {
        std::string block;
        quietly([&] { block = readBlock(count); });
        return block;
    });
    b.bind("FileReadLine", "function: string", [] {
        std::string line;
        quietly([&] { line = readLine(); });
        return line;
    });
    // A line is written as given: scripts add the carriage return and line feed themselves.
    b.bind({"FileWriteBlock", "FileWriteLine"}, "procedure(text: string)",
           [](const std::string& text) { quietly([&] { writeBlock(text); }); });
    b.bind("FileReadClose", "procedure", [] { quietly([] { readSlot().close(); }); });
    b.bind("FileWriteClose", "procedure", [] { quietly([] { writeSlot().close(); }); });
    b.bind("FileReadSetPos", "procedure(pos: Integer)",
           [](std::int32_t pos) { quietly([&] { readSlot().seek(pos); }); });
    // Beyond the end is allowed: the next write fills the gap with zero bytes.
    b.bind("FileWriteSetPos", "procedure(pos: Integer)",
           [](std::int32_t pos) { quietly([&] { writeSlot().seek(pos); }); });
    b.bind("FileReadGetPos", "function: Integer", [] { return readSlot().position(); });
    b.bind("FileWriteGetPos", "function: Integer", [] { return writeSlot().position(); });
    b.bind("FileReadSize", "function: Integer", [] { return readSlot().size(); });
    b.bind("FileWriteSize", "function: Integer", [] { return writeSlot().size(); });
}

} // namespace vorlan::library
