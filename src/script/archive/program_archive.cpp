#include "script/archive/program_archive.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "core/ui_services.h"
#include "core/version.h"

#include <algorithm>
#include <filesystem>
#include <numeric>

namespace vorlan::archive {

namespace {

// The archive of the running program. Everything that touches it runs on the interpreter thread.
struct OpenArchive {
    std::unique_ptr<ArchiveFile> file;
    std::vector<std::string> items;      // the directory as programs see it, sorted
    std::vector<DirectoryEntry> entries; // the entry of each item, same order
};

OpenArchive& openArchive() {
    static OpenArchive archive;
    return archive;
}

std::string_view stripPath(std::string_view fileName) {
    const std::size_t slash = fileName.find_last_of("\\/");
    return slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
}

std::optional<std::size_t> lookupIndex(std::string_view fileName) {
    const std::string key = upperCase(stripPath(fileName)) + "*";
    const auto& items = openArchive().items;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].starts_with(key)) return i;
    return std::nullopt;
}

void showWrongFormat(const std::string& fileName) {
    MessageBoxRequest request;
    request.caption = utf8ToCp1250("Upozornění");
    request.text = "Error format file " + upperCase(fileName);
    request.icon = MessageIcon::Error;
    request.buttons = ButtonOk;
    ui().messageBox(request);
}

void showVersionMismatch(const std::string& archiveVersion) {
    MessageBoxRequest request;
    request.caption = applicationTitle();
    request.text = utf8ToCp1250("Pozor, nesouhlasí verze RunTime:\n\nVyvoj      :") +
                   archiveVersion + "\nRunTime:" + std::string(kRuntimeVersion);
    request.icon = MessageIcon::Warning;
    request.buttons = ButtonOk;
    ui().messageBox(request);
}

bool refuse(std::string* refusal, const std::string& why) {
    if (refusal) *refusal = why;
    return false;
}

// A file too short to hold the archive's fixed header is not told to the user in a box (the run
// just ends), but a batch run must still learn why nothing ran.
bool refuseShort(std::string* refusal, const ArchiveFile& file, const std::string& fileName) {
    if (file.size() == 0) return refuse(refusal, fileName + czech(": soubor programu je prázdný"));
    return refuse(refusal, fileName + czech(": soubor programu je příliš krátký (") +
                               std::to_string(file.size()) + czech(" B), není to archiv programu"));
}

bool readOpened(std::unique_ptr<ArchiveFile> file, const std::string& fileName,
                std::string* refusal) {
    const auto magic = file->readExact(0, kArchiveMagic.size());
    if (!magic) return refuseShort(refusal, *file, fileName);
    if (*magic != kArchiveMagic) {
        showWrongFormat(fileName);
        return refuse(refusal, fileName + czech(": soubor není archiv programu VORLAN"));
    }
    const auto version = file->versionText();
    if (!version) return refuseShort(refusal, *file, fileName);
    // Only the version number counts; the date and the edition may differ.
    if (std::string_view(*version).substr(0, 4) != kRuntimeVersion.substr(0, 4))
        showVersionMismatch(*version);

    std::vector<DirectoryEntry> entries = file->directory();
    std::vector<std::string> items;
    items.reserve(entries.size());
    for (const auto& e : entries)
        items.push_back(directoryItem(e));
    // Sorted like an insertion into a sorted list: equal items keep their file order.
    std::vector<std::size_t> order(items.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return compareNoCase(items[a], items[b]) < 0;
    });
    OpenArchive& open = openArchive();
    open.items.clear();
    open.entries.clear();
    for (std::size_t i : order) {
        open.items.push_back(std::move(items[i]));
        open.entries.push_back(std::move(entries[i]));
    }
    open.file = std::move(file);
    return true;
}

} // namespace

const std::vector<std::string>& archiveDirectory() {
    return openArchive().items;
}

std::string archiveLookup(std::string_view fileName) {
    const auto index = lookupIndex(fileName);
    if (!index) return {};
    const std::string& item = openArchive().items[*index];
    return item.substr(upperCase(stripPath(fileName)).size() + 1);
}

bool readProgramArchive(const std::string& fileName, std::string* refusal) {
    closeProgramArchive();
    const std::string archiveName = changeFileExt(fileName, ".VRL");
    const auto host = pathMapper().toHostOrEmpty(archiveName);
    std::error_code ec;
    if (host.empty() || !std::filesystem::exists(host, ec))
        return refuse(refusal, archiveName + czech(": soubor programu neexistuje"));
    if (std::filesystem::is_directory(host, ec))
        return refuse(refusal, archiveName + czech(": je to složka, ne soubor programu"));
    auto file = ArchiveFile::open(host);
    if (!file) return refuse(refusal, archiveName + czech(": soubor programu nelze číst"));
    return readOpened(std::move(file), fileName, refusal);
}

bool readProgramArchiveFromBytes(std::string bytes, const std::string& fileName) {
    closeProgramArchive();
    return readOpened(ArchiveFile::fromBytes(std::move(bytes), cp1250ToUtf8(fileName)), fileName,
                      nullptr);
}

void closeProgramArchive() {
    OpenArchive& open = openArchive();
    open.file.reset();
    open.items.clear();
    open.entries.clear();
}

bool programArchiveOpen() {
    return openArchive().file != nullptr;
}

std::optional<std::vector<std::string>> readArchiveModuleSource(std::string_view moduleName) {
    const auto index = lookupIndex(moduleName);
    if (!index) return std::nullopt;
    OpenArchive& open = openArchive();
    return open.file->source(open.entries[*index]).lines;
}

std::optional<std::string> readArchiveModuleForm(std::string_view moduleName) {
    const auto index = lookupIndex(moduleName);
    if (!index) return std::nullopt;
    OpenArchive& open = openArchive();
    return open.file->form(open.entries[*index]);
}

std::string readArchiveProjectBlock(const std::string& archiveFileName) {
    const auto host = pathMapper().toHostOrEmpty(archiveFileName);
    auto file = host.empty() ? nullptr : ArchiveFile::open(host);
    if (!file)
        throw ArchiveError("Archiv programu " + cp1250ToUtf8(archiveFileName) + " nelze otevřít");
    if (!file->hasMagic()) throw ArchiveError(host.string() + " není archiv programu");
    return file->projectBlock();
}

} // namespace vorlan::archive
