#pragma once
// Helpers for archive tests: byte-level construction of archives and a scratch folder.

#include "script/archive/program_archive.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace vorlan::archive::test {

inline void putInt32(std::string& out, std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline void setInt32(std::string& bytes, std::size_t at, std::int32_t value) {
    std::string four;
    putInt32(four, value);
    bytes.replace(at, 4, four);
}

inline std::int32_t int32At(const std::string& bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
    return static_cast<std::int32_t>(v);
}

inline void putShort(std::string& out, const std::string& text) {
    out += static_cast<char>(text.size());
    out += text;
}

// The 128-byte head of an archive with the given version text (17 characters).
inline std::string archiveHead(const std::string& version) {
    std::string out(kArchiveMagic);
    out.resize(27, '\0');
    out += scrambleText(version, kVersionKey);
    out.resize(128, '\0');
    return out;
}

class ScratchFolder {
public:
    ScratchFolder() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() / ("vorlan-archive-" + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path write(const std::string& name, const std::string& bytes) const {
        std::ofstream out(path_ / name, std::ios::binary);
        out << bytes;
        return path_ / name;
    }

private:
    std::filesystem::path path_;
};

} // namespace vorlan::archive::test
