// vrltool list: what an archive holds, without unpacking it.

#include "tool.h"

#include "core/cp1250.h"
#include "core/version.h"
#include "script/archive/program_archive.h"
#include "script/stream/component_stream.h"

#include <cstdio>
#include <iostream>

namespace vrltool {

namespace fs = std::filesystem;
using namespace vorlan::archive;

namespace {

void listProject(const std::string& bytes) {
    if (bytes.empty()) {
        std::cout << "Project: none\n";
        return;
    }
    std::vector<ProjectItem> items;
    try {
        items = projectItemsFromStream(vorlan::stream::readComponentStream(bytes));
    } catch (const std::exception& e) {
        std::cout << "Project: " << bytes.size() << " bytes that are not a project (" << e.what()
                  << ")\n";
        return;
    }
    std::cout << "Project items: " << items.size() << "\n";
    for (const auto& item : items) {
        std::cout << "  " << vorlan::cp1250ToUtf8(item.fileName);
        if (!item.filerId.empty()) std::cout << "  FilerID=" << vorlan::cp1250ToUtf8(item.filerId);
        std::cout << "\n";
    }
}

} // namespace

int runList(const std::vector<std::string>& args) {
    const Arguments a = parseArguments(args, {});
    if (a.positional.size() != 1) throw UsageError("list needs one archive");
    const fs::path in = a.positional[0];
    auto archive = ArchiveFile::open(in);
    if (!archive) throw std::runtime_error("Cannot open " + in.string());
    if (!archive->hasMagic()) throw std::runtime_error(in.string() + " is not a program archive");
    const auto version = archive->versionText();
    if (!version) throw std::runtime_error(in.string() + " ends within its header");

    std::cout << "Version: " << vorlan::cp1250ToUtf8(*version);
    if (version->substr(0, 4) != vorlan::kRuntimeVersion.substr(0, 4))
        std::cout << "  (this runtime is " << vorlan::kRuntimeVersion << ")";
    std::cout << "\n";
    listProject(archive->projectBlock());

    const auto entries = archive->directory();
    std::cout << "Modules: " << entries.size() << "\n";
    if (entries.empty()) return 0;
    std::printf("  %-16s %10s %10s %10s %7s\n", "Name", "FormAt", "FormSize", "SourceAt", "Lines");
    std::fflush(stdout);
    bool damaged = false;
    for (const auto& e : entries) {
        std::string lines;
        try {
            lines = std::to_string(archive->source(e).lines.size());
        } catch (const ArchiveError& error) {
            lines = "damaged";
            std::cerr << "vrltool: " << error.what() << "\n";
            damaged = true;
        }
        std::printf("  %-16s %10d %10d %10d %7s\n", vorlan::cp1250ToUtf8(e.name).c_str(),
                    e.formOffset, e.formSize, e.sourceOffset, lines.c_str());
    }
    std::fflush(stdout);
    return damaged ? 1 : 0;
}

} // namespace vrltool
