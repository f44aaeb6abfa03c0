#pragma once
// Fuzz inputs reach the table and memo readers through real files: one scratch folder per
// process, overwritten for every input.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fuzzdbf {

// The folder lives as long as the process and is removed when it ends normally.
struct ScratchDir {
    std::filesystem::path path;
    ScratchDir()
        : path(std::filesystem::temp_directory_path() /
               ("vorlan_fuzz_dbf_" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(path);
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

inline std::filesystem::path scratch(const std::string& name) {
    static const ScratchDir dir;
    return dir.path / name;
}

inline void put(const std::filesystem::path& p, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

} // namespace fuzzdbf
