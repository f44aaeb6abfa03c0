#include "report/model.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "core/ui_services.h"

#include <filesystem>
#include <fstream>

namespace vorlan::report {

namespace {

void showMessage(const std::string& text, MessageIcon icon = MessageIcon::Error) {
    MessageBoxRequest r;
    r.caption = applicationTitle();
    r.text = text;
    r.icon = icon;
    ui().messageBox(r);
}

bool ask(const std::string& text) {
    MessageBoxRequest r;
    r.caption = applicationTitle();
    r.text = text;
    r.icon = MessageIcon::Question;
    r.buttons = ButtonYes | ButtonNo;
    return ui().messageBox(r) == MessageResult::Yes;
}

std::string replaced(std::string format, const std::string& value) {
    const std::size_t at = format.find("%s");
    if (at != std::string::npos) format.replace(at, 2, value);
    return format;
}

// The name with its extension replaced (a dot after the last folder separator).
std::string withExtension(const std::string& name, const std::string& extension) {
    const std::size_t slash = name.find_last_of("\\/:");
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        return name.substr(0, dot) + extension;
    return name + extension;
}

std::string withBackslash(const std::string& dir) {
    if (dir.empty() || dir.back() == '\\' || dir.back() == '/') return dir;
    return dir + "\\";
}

std::vector<std::string> splitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

} // namespace

TSestava::TSestava() = default;

void TSestava::setReportName(const std::string& name) {
    reportName_ = name.empty() ? std::string() : withExtension(name, ".pts");
}

void TSestava::setReportDir(const std::string& dir) {
    reportDir_ = withBackslash(dir);
    if (!reportDir_.empty()) reportAlias_.clear();
}

void TSestava::setReportAlias(const std::string& alias) {
    reportAlias_ = alias;
    if (!alias.empty()) reportDir_.clear();
}

TSestava::AliasLookup TSestava::aliasPath(const std::string&, std::string&) {
    return AliasLookup::NoAliasSource;
}

std::string TSestava::fullFileName() {
    if (reportName_.empty()) return {};
    if (!reportAlias_.empty()) {
        std::string path;
        switch (aliasPath(reportAlias_, path)) {
        case AliasLookup::Found:
            return withBackslash(path) + reportName_;
        case AliasLookup::Unknown:
            showMessage(
                replaced(czech("Neznámý alias: %s\rBude použito stand. nastavení"), reportAlias_),
                MessageIcon::Warning);
            break;
        case AliasLookup::NoAliasSource:
            showMessage(czech("Nelze použít alias, protože není definován zdroj dat nebo není typu "
                              "TDBDataSet"),
                        MessageIcon::Warning);
            break;
        }
    }
    if (!reportDirIgnore || designing) return reportDir_ + reportName_;
    return withBackslash(programDir) + reportName_;
}

void TSestava::reportError(int code) {
    if (onError) onError(*this, code);
}

bool TSestava::loadTemplate(bool createMissing) {
    if (onNactiPredlohu && !designing) {
        const bool ok = onNactiPredlohu(*this);
        if (!ok) reportError(kSestNotPossible);
        return ok;
    }
    const std::string file = fullFileName();
    if (file.empty()) {
        showMessage(czech("Není definována cesta a název souboru s předlohou."));
        reportError(kSestNotPossible);
        return false;
    }
    const std::filesystem::path host = pathMapper().toHostOrEmpty(file);
    // Messages name the file as the user finds it on this system.
    const std::string shown = host.empty() ? file : utf8ToCp1250(host.string());
    std::error_code ec;
    if (host.empty() || !std::filesystem::is_regular_file(host, ec)) {
        const std::string text =
            replaced(czech("Nebyl nalezen soubor s předlohou tiskové sestavy \"%s\""), shown);
        if (!createMissing) {
            showMessage(text);
            reportError(kSestNotPossible);
            return false;
        }
        if (!ask(text)) {
            reportError(kSestNotPossible);
            return false;
        }
        std::ofstream created;
        if (!host.empty()) created.open(host, std::ios::binary | std::ios::trunc);
        if (!created) {
            showMessage(
                replaced(czech("Soubor s předlohou se nepodařilo vytvořit. \"%s\""), shown));
            reportError(kSestNotPossible);
            return false;
        }
    }
    std::ifstream in(host, std::ios::binary);
    if (!in) {
        showMessage(czech("Nelze načíst ") + shown);
        reportError(kSestNotPossible);
        return false;
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    try {
        std::vector<std::string> lines = splitLines(bytes);
        textAsRead_ = lines;
        bytesAsRead_ = bytes;
        setPredloha(std::move(lines));
    } catch (const TemplateError&) {
        showMessage(czech("Nelze načíst předlohu tiskové sestavy ") + shown);
        reportError(kSestNotPossible);
        return false;
    }
    return true;
}

bool TSestava::writeFile(const std::string& programPath) {
    const std::filesystem::path host = pathMapper().toHostOrEmpty(programPath);
    if (host.empty()) return false;
    std::error_code ec;
    const std::filesystem::path backup =
        pathMapper().toHostOrEmpty(withExtension(programPath, ".BAK"));
    if (std::filesystem::exists(host, ec) && !backup.empty()) {
        std::filesystem::remove(backup, ec);
        std::filesystem::rename(host, backup, ec);
        if (ec) return false;
    }
    updatePredloha();
    if (predloha() != textAsRead_) {
        bytesAsRead_.clear();
        for (const std::string& line : predloha())
            bytesAsRead_ += line + "\r\n";
        textAsRead_ = predloha();
    }
    std::ofstream out(host, std::ios::binary | std::ios::trunc);
    out << bytesAsRead_;
    out.close();
    return static_cast<bool>(out);
}

bool TSestava::saveTemplate() {
    if (onUlozPredlohu) {
        updatePredloha();
        const bool ok = onUlozPredlohu(*this);
        if (!ok) reportError(kSestNotPossible);
        return ok;
    }
    const std::string file = fullFileName();
    if (file.empty()) {
        showMessage(czech("Není definována cesta a název souboru s předlohou."));
        reportError(kSestNotPossible);
        return false;
    }
    if (!writeFile(file)) {
        showMessage(czech("Nelze uložit ") + file);
        reportError(kSestNotPossible);
        return false;
    }
    return true;
}

bool TSestava::saveTemplateAs() {
    std::string file = fullFileName();
    if (onUlozPredlohuJako) {
        updatePredloha();
        const bool ok = onUlozPredlohuJako(*this, file);
        if (!ok) reportError(kSestNotPossible);
        return ok;
    }
    FileDialogRequest request;
    request.title = czech("Výběr souboru");
    request.filter = czech("Předlohy tiskových sestav (*.pts)|*.PTS");
    request.initialPath = file;
    const std::optional<std::string> chosen = ui().saveFileDialog(request);
    if (!chosen || chosen->empty()) return false;
    // The report follows its template to the new place.
    const std::string& path = *chosen;
    const std::size_t slash = path.find_last_of("\\/");
    setReportDir(slash == std::string::npos ? std::string() : path.substr(0, slash + 1));
    setReportName(slash == std::string::npos ? path : path.substr(slash + 1));
    if (!writeFile(path)) {
        showMessage(czech("Nelze uložit ") + path);
        reportError(kSestNotPossible);
        return false;
    }
    return true;
}

bool TSestava::loadPicture(const std::string& name) {
    if (onNactiObraz) return onNactiObraz(*this, name);
    return TSestavaD::loadPicture(name);
}

} // namespace vorlan::report
