// vrltool pack: builds an archive from module files, or from a folder that unpack wrote.

#include "tool.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "script/archive/archive_writer.h"

#include <algorithm>
#include <set>

namespace vrltool {

namespace fs = std::filesystem;
using vorlan::archive::ArchiveContents;
using vorlan::archive::ArchiveModule;

namespace {

// Module sources are Windows-1250. A file saved by a UTF-8 editor is converted, which is only
// recognisable when it holds letters outside ASCII.
std::string moduleText(const fs::path& path) {
    std::string bytes = readFile(path);
    const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii || !vorlan::isValidUtf8(bytes)) return bytes;
    std::string converted;
    if (vorlan::tryUtf8ToCp1250(bytes, converted)) {
        note(path.string() + " je v UTF-8; převeden do Windows-1250");
        return converted;
    }
    note(path.string() + " je v UTF-8 se znaky, které Windows-1250 nemá; nahradil je znak '?'");
    return vorlan::utf8ToCp1250(bytes);
}

ArchiveModule moduleFromFile(const fs::path& path) {
    const std::string fileName = path.filename().string();
    const std::string ext = upperExtension(fileName);
    ArchiveModule module;
    module.name = vorlan::upperCase(vorlan::utf8ToCp1250(fileName));
    module.lines = splitLines(moduleText(path));
    if (const auto formExt = formExtension(ext)) {
        const fs::path folder = path.parent_path();
        const fs::path form = vorlan::findNoCase(folder, path.stem().string() + *formExt);
        std::error_code ec;
        if (fs::is_regular_file(form, ec)) module.form = componentBytesFromFile(form);
    }
    return module;
}

void addModule(std::vector<ArchiveModule>& modules, ArchiveModule module) {
    for (const auto& m : modules)
        if (m.name == module.name)
            throw std::runtime_error("Modul " + vorlan::cp1250ToUtf8(module.name) +
                                     " je zadán dvakrát");
    modules.push_back(std::move(module));
}

int parsePad(const std::string& text) {
    std::size_t used = 0;
    int pad = -1;
    try {
        pad = std::stoi(text, &used);
    } catch (const std::exception&) {
    }
    if (used != text.size() || pad < 0 || pad > 255)
        throw UsageError("--pad potřebuje číslo od 0 do 255, ne '" + text + "'");
    return pad;
}

ArchiveContents fromUnpackedFolder(const fs::path& folder) {
    const UnpackedArchive s = readSettings(folder / kSettingsFile);
    ArchiveContents contents;
    contents.versionText = s.versionText;
    contents.padLength = s.padLength;
    if (!s.block1File.empty()) contents.block1 = readFile(folder / s.block1File);
    contents.projectStream = s.projectFile.empty() ? std::string()
                             : s.projectRaw        ? readFile(folder / s.projectFile)
                                                   : componentBytesFromFile(folder / s.projectFile);
    for (const auto& m : s.modules) {
        ArchiveModule module;
        module.name = m.name;
        // Taken as the Windows-1250 bytes unpack wrote, never reinterpreted as UTF-8.
        module.lines = splitLines(readFile(folder / vorlan::cp1250ToUtf8(m.name)));
        if (!m.formFile.empty())
            module.form = m.formRaw ? readFile(folder / m.formFile)
                                    : componentBytesFromFile(folder / m.formFile);
        contents.modules.push_back(std::move(module));
    }
    return contents;
}

} // namespace

int runPack(const std::vector<std::string>& args) {
    const Arguments a = parseArguments(args, {"--version", "--pad", "--project", "--from"});
    if (a.positional.empty()) throw UsageError("pack potřebuje archiv, který má zapsat");
    const fs::path out = a.positional[0];
    const std::vector<std::string> items(a.positional.begin() + 1, a.positional.end());

    ArchiveContents contents;
    if (const std::string* from = a.option("--from")) {
        if (!items.empty() || a.option("--project"))
            throw UsageError("--from bere soubory ze složky; nezadávejte POLOŽKY ani --project");
        contents = fromUnpackedFolder(*from);
    } else {
        const std::string* project = a.option("--project");
        // A project alone makes an archive without modules: what a damaged delivery looks like.
        if (items.empty() && !project)
            throw UsageError("pack potřebuje soubory, které vloží do archivu");
        if (project) contents.projectStream = componentBytesFromFile(*project);
        for (const auto& item : items) {
            const fs::path path = item;
            std::error_code ec;
            if (!fs::is_regular_file(path, ec))
                throw std::runtime_error("Soubor neexistuje: " + item);
            const std::string fileName = path.filename().string();
            if (isModuleExtension(upperExtension(fileName)))
                addModule(contents.modules, moduleFromFile(path));
            else if (project)
                note(item + " není modul; s --project se vynechává");
            if (!project) {
                vorlan::archive::ProjectItem projectItem;
                projectItem.fileName = vorlan::utf8ToCp1250(fileName);
                contents.projectItems.push_back(std::move(projectItem));
            }
        }
    }
    if (const std::string* version = a.option("--version"))
        contents.versionText = vorlan::utf8ToCp1250(*version);
    if (const std::string* pad = a.option("--pad")) contents.padLength = parsePad(*pad);

    vorlan::archive::writeProgramArchiveFile(contents, out);
    return 0;
}

} // namespace vrltool
