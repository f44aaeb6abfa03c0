#include "app/vorlan/front_end_loader.h"

#include "app/vorlan/command_line.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace vorlan::app {

namespace {

namespace fs = std::filesystem;

constexpr const char* kLibraryName = "vorlan-desktop.so";

std::vector<fs::path> candidates() {
    std::error_code ec;
    const fs::path folder = fs::read_symlink("/proc/self/exe", ec).parent_path();
    if (ec) return {};
    return {folder / kLibraryName, folder / VORLAN_FRONT_END_FOLDER / kLibraryName};
}

[[noreturn]] void missing(const std::string& detail) {
    std::cerr << "vorlan: nelze načíst knihovnu okenního rozhraní (" << kLibraryName
              << "), kterou tento běh potřebuje: " << detail << '\n';
    std::exit(kExitRunError);
}

FrontEnd& load() {
    std::string errors;
    for (const fs::path& file : candidates()) {
        std::error_code ec;
        if (!fs::exists(file, ec)) continue;
        void* library = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!library) missing(dlerror());
        auto entry = reinterpret_cast<FrontEndEntry>(dlsym(library, kFrontEndEntry));
        if (!entry) missing(file.string() + " nemá vstup " + kFrontEndEntry);
        return *entry();
    }
    const auto tried = candidates();
    missing(tried.empty() ? std::string("složka programu není známa")
                          : "není ve složce " + tried.front().parent_path().string() + " ani v " +
                                tried.back().parent_path().lexically_normal().string());
}

} // namespace

FrontEnd& loadFrontEnd() {
    static FrontEnd& frontEnd = load();
    return frontEnd;
}

} // namespace vorlan::app
