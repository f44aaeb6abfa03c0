// vrltool unpack: spreads an archive into files a developer can read and edit, and that pack
// --from turns back into the same archive.

#include "tool.h"

#include "core/cp1250.h"
#include "script/archive/program_archive.h"

#include <set>

namespace vrltool {

namespace fs = std::filesystem;
using vorlan::archive::ArchiveFile;

namespace {

// Directory names come from the archive and must not reach outside the target folder.
std::string safeFileName(const std::string& name) {
    const bool bad = name.empty() || name == "." || name == ".." ||
                     name.find_first_of(std::string("/\\:\0", 4)) != std::string::npos;
    if (bad)
        throw std::runtime_error("Archiv uvádí modul '" + vorlan::cp1250ToUtf8(name) +
                                 "', což není prostý název souboru");
    return vorlan::cp1250ToUtf8(name);
}

std::string formFileName(const std::string& hostName) {
    const std::string ext = upperExtension(hostName);
    if (const auto formExt = formExtension(ext))
        return hostName.substr(0, hostName.size() - ext.size() - 1) + *formExt;
    return hostName + ".form";
}

class Output {
public:
    explicit Output(fs::path folder) : folder_(std::move(folder)) {}
    void write(const std::string& name, std::string_view bytes) {
        if (!written_.insert(name).second)
            throw std::runtime_error("Archiv by potřeboval dva soubory jménem " + name);
        writeFile(folder_ / name, bytes);
    }
    // Text form when it converts back to the same bytes, else the bytes themselves (then true).
    bool writeComponent(const std::string& name, const std::string& bytes,
                        const std::string& what) {
        if (const auto text = reversibleText(bytes)) {
            write(name, *text);
            return false;
        }
        note(what + " se nepřevede do textu a zpět beze změny; " + name + " zůstává binární");
        write(name, bytes);
        return true;
    }

private:
    fs::path folder_;
    std::set<std::string> written_;
};

} // namespace

int runUnpack(const std::vector<std::string>& args) {
    const Arguments a = parseArguments(args, {});
    if (a.positional.size() != 2) throw UsageError("unpack potřebuje archiv a složku");
    const fs::path in = a.positional[0];
    const fs::path folder = a.positional[1];

    auto archive = ArchiveFile::open(in);
    if (!archive) throw std::runtime_error("Nelze otevřít " + in.string());
    if (!archive->hasMagic()) throw std::runtime_error(in.string() + " není archiv programu");
    const auto version = archive->versionText();
    if (!version) throw std::runtime_error(in.string() + " končí uprostřed hlavičky");

    UnpackedArchive settings;
    settings.versionText = *version;
    const auto entries = archive->directory();
    std::vector<std::pair<std::string, vorlan::archive::SourceBlock>> sources;
    for (const auto& entry : entries)
        sources.emplace_back(safeFileName(entry.name), archive->source(entry));
    settings.padLength = sources.empty() ? 7 : sources.front().second.padLength;

    fs::create_directories(folder);
    Output out(folder);
    out.write(kSettingsFile, "");
    if (const std::string block1 = archive->block1(); !block1.empty()) {
        settings.block1File = "block1.bin";
        out.write(settings.block1File, block1);
    }
    if (const std::string project = archive->projectBlock(); !project.empty()) {
        settings.projectFile = "project.zpr";
        settings.projectRaw = out.writeComponent(settings.projectFile, project, "Projekt");
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& [hostName, block] = sources[i];
        for (std::size_t n = 0; n < block.lines.size(); ++n)
            if (block.lines[n].find('\n') != std::string::npos)
                note(hostName + ", řádek " + std::to_string(n + 1) +
                     " obsahuje znak nového řádku; nové zabalení ten řádek rozdělí");
        if (block.padLength != settings.padLength)
            note(hostName + " má " + std::to_string(block.padLength) +
                 " výplňových bajtů; nové zabalení použije " + std::to_string(settings.padLength));
        out.write(hostName, joinLines(block.lines));
        UnpackedArchive::Module module{entries[i].name, {}};
        if (const std::string form = archive->form(entries[i]); !form.empty()) {
            module.formFile = formFileName(hostName);
            module.formRaw =
                out.writeComponent(module.formFile, form, "Formulář modulu " + hostName);
        }
        settings.modules.push_back(std::move(module));
    }
    writeSettings(folder / kSettingsFile, settings);
    return 0;
}

} // namespace vrltool
