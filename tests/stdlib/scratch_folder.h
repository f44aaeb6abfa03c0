#pragma once
// A scratch folder mapped as drive T: for one test, with the registry tree inside it; the
// drives and the registry folder are put back afterwards.

#include "core/path_mapper.h"
#include "stdlib/registry_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <unistd.h>

namespace vorlan::stdlib_test {

class ScratchFolder : public ::testing::Test {
protected:
    void SetUp() override {
        savedDrives_ = pathMapper().drives();
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vorlan-stdlib-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
        pathMapper().setDriveRoot('T', root / "t");
        std::filesystem::create_directories(root / "t");
        stdlib::setRegistryFolder(root / "registry");
    }
    void TearDown() override {
        stdlib::setRegistryFolder({});
        pathMapper().clearDrives();
        for (const auto& [letter, path] : savedDrives_)
            pathMapper().setDriveRoot(letter, path);
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }

    void write(const std::string& name, const std::string& bytes) {
        std::ofstream(root / "t" / name, std::ios::binary) << bytes;
    }
    std::string read(const std::string& name) {
        std::ifstream in(root / "t" / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool exists(const std::string& name) { return std::filesystem::exists(root / "t" / name); }

    std::filesystem::path root;

private:
    std::map<char, std::filesystem::path> savedDrives_;
};

} // namespace vorlan::stdlib_test
