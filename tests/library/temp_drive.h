#pragma once
// A scratch folder mapped as drive T: (drive number 20) for one test; the current directory and
// the mapper's drives are put back afterwards.

#include "core/path_mapper.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace vorlan::library::testing {

constexpr int kDriveT = 20;

class TempDrive : public ::testing::Test {
protected:
    void SetUp() override {
        savedDrives_ = pathMapper().drives();
        savedCwd_ = std::filesystem::current_path();
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vorlan-library-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
        pathMapper().setDriveRoot('T', root);
    }
    void TearDown() override {
        std::filesystem::current_path(savedCwd_);
        pathMapper().clearDrives();
        for (const auto& [letter, path] : savedDrives_)
            pathMapper().setDriveRoot(letter, path);
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }

    void write(const std::string& name, const std::string& bytes) {
        std::ofstream(root / name, std::ios::binary) << bytes;
    }
    std::string read(const std::string& name) {
        std::ifstream in(root / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool exists(const std::string& name) { return std::filesystem::exists(root / name); }

    std::filesystem::path root;

private:
    std::map<char, std::filesystem::path> savedDrives_;
    std::filesystem::path savedCwd_;
};

} // namespace vorlan::library::testing
