#include "ui/qt/stdlib/shell_execute.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "core/ui_services.h"
#include "ui/qt/qt_text.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <filesystem>
#include <fstream>
#include <iostream>

namespace vorlan::stdlib {

namespace fs = std::filesystem;

namespace {

class DesktopLauncher : public ShellLauncher {
public:
    bool openUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }
    bool startProgram(const QString& program, const QStringList& arguments,
                      const QString& directory) override {
        return QProcess::startDetached(program, arguments, directory);
    }
    bool printFile(const QString& file) override {
        return QProcess::startDetached(QStringLiteral("lp"), {file});
    }
};

std::unique_ptr<ShellLauncher>& launcher() {
    static std::unique_ptr<ShellLauncher> current = std::make_unique<DesktopLauncher>();
    return current;
}

std::ostream*& logStream() {
    static std::ostream* log = &std::cerr;
    return log;
}

enum class Verb { Open, Print, Unknown };

Verb verbOf(std::string operation) {
    operation = lowerCase(operation);
    while (!operation.empty() && operation.back() == ' ')
        operation.pop_back();
    if (operation.empty() || operation == "open" || operation == "edit" || operation == "explore")
        return Verb::Open;
    if (operation == "print") return Verb::Print;
    return Verb::Unknown;
}

std::string trimmed(std::string text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// "http://...", "mailto:..." but not "C:\...".
bool isUrl(const std::string& name) {
    const auto colon = name.find(':');
    if (colon == std::string::npos || colon < 2) return false;
    for (std::size_t i = 0; i < colon; ++i) {
        const char c = name[i];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!letter && !(i > 0 && (c == '+' || c == '-' || c == '.' || (c >= '0' && c <= '9'))))
            return false;
    }
    return true;
}

bool hasFolder(const std::string& name) {
    return name.find_first_of("\\/") != std::string::npos || (name.size() >= 2 && name[1] == ':');
}

// A file the host can run: executable, and a binary or a script with "#!" (documents copied
// from Windows disks often carry the executable bit too).
bool isHostProgram(const fs::path& file) {
    if (!QFileInfo(qt::fromHost(file.string())).isExecutable()) return false;
    std::ifstream in(file, std::ios::binary);
    char head[4] = {};
    in.read(head, sizeof head);
    return (in.gcount() == 4 && head[0] == '\x7f' && head[1] == 'E' && head[2] == 'L' &&
            head[3] == 'F') ||
           (in.gcount() >= 2 && head[0] == '#' && head[1] == '!');
}

// A program on the PATH for a bare name, with or without a Windows program extension.
QString programOnPath(const std::string& name) {
    QString found = QStandardPaths::findExecutable(qt::fromEngine(name));
    if (!found.isEmpty()) return found;
    const std::string lower = lowerCase(name);
    for (const char* extension : {".exe", ".com", ".bat"}) {
        const std::size_t n = std::char_traits<char>::length(extension);
        if (lower.size() > n && lower.compare(lower.size() - n, n, extension) == 0)
            return QStandardPaths::findExecutable(qt::fromEngine(name.substr(0, name.size() - n)));
    }
    return {};
}

void logHeadless(const char* what, const QString& target, const QString& arguments = {}) {
    std::ostream& log = *logStream();
    log << "[shell] " << what << ": " << target.toStdString();
    if (!arguments.isEmpty()) log << ' ' << arguments.toStdString();
    log << std::endl;
}

std::int32_t openUrl(const QUrl& url) {
    if (ui().headless()) {
        logHeadless("open", url.isLocalFile() ? url.toLocalFile() : url.toString());
        return kShellSuccess;
    }
    return launcher()->openUrl(url) ? kShellSuccess : kShellNoAssociation;
}

std::int32_t startProgram(const QString& program, const std::string& parameters,
                          const QString& directory) {
    const QString arguments = qt::fromEngine(parameters);
    if (ui().headless()) {
        logHeadless("run", program, arguments);
        return kShellSuccess;
    }
    return launcher()->startProgram(program, QProcess::splitCommand(arguments), directory)
               ? kShellSuccess
               : kShellAccessDenied;
}

} // namespace

std::unique_ptr<ShellLauncher> setShellLauncher(std::unique_ptr<ShellLauncher> next) {
    std::unique_ptr<ShellLauncher> previous = std::move(launcher());
    launcher() = next ? std::move(next) : std::make_unique<DesktopLauncher>();
    return previous;
}

void setShellLog(std::ostream* log) {
    logStream() = log ? log : &std::cerr;
}

std::int32_t shellExecute(const std::string& operation, const std::string& fileName,
                          const std::string& parameters, const std::string& directory) {
    const Verb verb = verbOf(operation);
    if (verb == Verb::Unknown) return kShellNoAssociation;
    const std::string name = trimmed(fileName);
    if (name.empty()) return kShellFileNotFound;
    if (isUrl(name)) {
        if (verb == Verb::Print) return kShellNoAssociation;
        return openUrl(QUrl(qt::fromEngine(name)));
    }

    const std::string folder = trimmed(directory);
    QString workingFolder;
    std::error_code ec;
    if (!folder.empty()) {
        const fs::path host = pathMapper().toHostOrEmpty(folder);
        if (host.empty() || !fs::is_directory(host, ec)) return kShellPathNotFound;
        workingFolder = qt::fromHost(host.string());
    }
    // A name without a folder lies in the given folder, else in the current one.
    std::string programPath = name;
    if (!hasFolder(name) && !folder.empty())
        programPath = folder + (folder.back() == '\\' || folder.back() == '/' ? "" : "\\") + name;
    const fs::path host = pathMapper().toHostOrEmpty(programPath);
    if (host.empty() || !fs::exists(host, ec)) {
        if (hasFolder(name) || verb != Verb::Open) return kShellFileNotFound;
        const QString program = programOnPath(name);
        if (program.isEmpty()) return kShellFileNotFound;
        return startProgram(program, parameters, workingFolder);
    }

    const QString file = qt::fromHost(fs::absolute(host, ec).string());
    if (fs::is_directory(host, ec)) {
        if (verb == Verb::Print) return kShellNoAssociation;
        return openUrl(QUrl::fromLocalFile(file));
    }
    if (verb == Verb::Print) {
        if (ui().headless()) {
            logHeadless("print", file);
            return kShellSuccess;
        }
        return launcher()->printFile(file) ? kShellSuccess : kShellNoAssociation;
    }
    if (isHostProgram(host)) return startProgram(file, parameters, workingFolder);
    return openUrl(QUrl::fromLocalFile(file));
}

} // namespace vorlan::stdlib
