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
        std::cout << "Projekt: žádný\n";
        return;
    }
    std::vector<ProjectItem> items;
    try {
        items = projectItemsFromStream(vorlan::stream::readComponentStream(bytes));
    } catch (const std::exception& e) {
        std::cout << "Projekt: " << bytes.size() << " bajtů, které nejsou projektem (" << e.what()
                  << ")\n";
        return;
    }
    std::cout << "Položky projektu: " << items.size() << "\n";
    for (const auto& item : items) {
        std::cout << "  " << vorlan::cp1250ToUtf8(item.fileName);
        if (!item.filerId.empty()) std::cout << "  FilerID=" << vorlan::cp1250ToUtf8(item.filerId);
        std::cout << "\n";
    }
}

} // namespace

int runList(const std::vector<std::string>& args) {
    const Arguments a = parseArguments(args, {});
    if (a.positional.size() != 1) throw UsageError("list potřebuje jeden archiv");
    const fs::path in = a.positional[0];
    auto archive = ArchiveFile::open(in);
    if (!archive) throw std::runtime_error("Nelze otevřít " + in.string());
    if (!archive->hasMagic()) throw std::runtime_error(in.string() + " není archiv programu");
    const auto version = archive->versionText();
    if (!version) throw std::runtime_error(in.string() + " končí uprostřed hlavičky");

    std::cout << "Verze: " << vorlan::cp1250ToUtf8(*version);
    if (version->substr(0, 4) != vorlan::kRuntimeVersion.substr(0, 4))
        std::cout << "  (tento běhový systém je " << vorlan::kRuntimeVersion << ")";
    std::cout << "\n";
    listProject(archive->projectBlock());

    const auto entries = archive->directory();
    std::cout << "Moduly: " << entries.size() << "\n";
    if (entries.empty()) return 0;
    std::printf("  %-16s %10s %10s %10s %7s\n", "Název", "FormOd", "FormDélka", "ZdrojOd", "Řádků");
    std::fflush(stdout);
    bool damaged = false;
    for (const auto& e : entries) {
        std::string lines;
        try {
            lines = std::to_string(archive->source(e).lines.size());
        } catch (const ArchiveError& error) {
            lines = "poškozen";
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
