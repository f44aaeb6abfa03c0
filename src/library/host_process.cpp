// RunExe: starting other programs. With waiting, the program runs as a child while the windows
// of the runtime keep being served; without waiting it is started detached, and a document is
// handed to the desktop's opener (xdg-open) as the shell of the old system would have done.

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "core/ui_services.h"
#include "library/files_internal.h"
#include "script/bind.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace vorlan::library {

namespace fs = std::filesystem;

namespace {

// Error numbers as programs compared them: 2 file not found, 3 path not found, 5 access
// denied, 11 (the low byte of 267) a working directory that is not one, 193 not a program.
constexpr std::uint8_t kFileNotFound = 2;
constexpr std::uint8_t kPathNotFound = 3;
constexpr std::uint8_t kAccessDenied = 5;
constexpr std::uint8_t kBadDirectory = 267 & 0xFF;
constexpr std::uint8_t kBadProgram = 193;

std::uint8_t codeOfErrno(int e) {
    switch (e) {
    case ENOENT:
        return kFileNotFound;
    case ENOTDIR:
        return kPathNotFound;
    case EACCES:
    case EPERM:
        return kAccessDenied;
    case ENOEXEC:
        return kBadProgram;
    default:
        return static_cast<std::uint8_t>(e & 0xFF);
    }
}

bool hasPathPart(std::string_view name) {
    return name.find_first_of("\\/:") != std::string_view::npos;
}

bool looksLikeUrl(std::string_view name) {
    const std::size_t colon = name.find(':');
    return colon != std::string_view::npos && colon > 1 && name.substr(colon).starts_with("://");
}

// Splits a command line at blanks; double quotes group a blank-containing argument.
std::vector<std::string> splitCommandLine(std::string_view line) {
    std::vector<std::string> args;
    std::string current;
    bool inQuotes = false, any = false;
    for (char c : line) {
        if (c == '"') {
            inQuotes = !inQuotes;
            any = true;
        } else if ((c == ' ' || c == '\t') && !inQuotes) {
            if (any) args.push_back(std::move(current));
            current.clear();
            any = false;
        } else {
            current += c;
            any = true;
        }
    }
    if (any) args.push_back(std::move(current));
    return args;
}

// Arguments for the host: an argument that is a path on a mapped drive ("C:\DATA\X.TXT") is
// handed over as its host path, the rest as UTF-8 text.
std::vector<std::string> hostArguments(std::vector<std::string> args) {
    for (std::string& a : args) {
        const bool drivePath = a.size() >= 3 && std::isalpha(static_cast<unsigned char>(a[0])) &&
                               a[1] == ':' && (a[2] == '\\' || a[2] == '/');
        if (drivePath && !pathMapper().driveRoot(a[0]).empty())
            a = pathMapper().toHost(a).string();
        else
            a = cp1250ToUtf8(a);
    }
    return args;
}

std::string trimmedBlank(std::string_view s) {
    const std::size_t first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const std::size_t last = s.find_last_not_of(' ');
    return std::string(s.substr(first, last - first + 1));
}

// The first runnable file of that name in the folders of PATH. Folders that can't be read are
// passed over, so a missing program is "not found" rather than "access denied".
std::optional<fs::path> findOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string_view rest = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::string_view folder = rest.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        const fs::path candidate = fs::path(folder.empty() ? "." : folder) / name;
        std::error_code ec;
        if (fs::is_regular_file(candidate, ec) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return std::nullopt;
}

struct Launch {
    std::string program;           // a host path; "xdg-open" is left to the shell to find
    std::vector<std::string> args; // without the program itself
    fs::path directory;            // empty: the current one
    std::uint8_t error = 0;
};

// Works out what to start: a program, or (when `documentsToo`) a document, a folder or an
// address for the desktop's opener.
Launch resolve(std::string_view file, std::string_view params, std::string_view dir,
               bool documentsToo) {
    Launch l;
    if (!trimmedBlank(dir).empty()) {
        const auto host = hostPath(dir);
        std::error_code ec;
        if (!host || !fs::is_directory(*host, ec)) {
            l.error = kBadDirectory;
            return l;
        }
        l.directory = *host;
    }
    std::string name = trimmedBlank(file);
    std::vector<std::string> args;
    if (!trimmedBlank(params).empty()) {
        args = splitCommandLine(params);
    } else if (!name.empty() && !(documentsToo && looksLikeUrl(name))) {
        // Without parameters the file text is a whole command line ("EDIT.EXE C:\X.TXT"),
        // unless it names an existing file as it stands.
        const auto whole = hasPathPart(name) ? hostPath(name) : std::optional<fs::path>();
        std::error_code ec;
        if (!(whole && fs::exists(*whole, ec))) {
            std::vector<std::string> parts = splitCommandLine(name);
            if (!parts.empty()) {
                name = parts.front();
                args.assign(parts.begin() + 1, parts.end());
            }
        }
    }
    l.args = hostArguments(std::move(args));
    if (name.empty()) {
        l.error = kFileNotFound;
        return l;
    }
    if (documentsToo && looksLikeUrl(name)) {
        l.args = {cp1250ToUtf8(name)};
        l.program = "xdg-open";
        return l;
    }
    // A bare name is looked for in the working directory first, then along PATH.
    std::optional<fs::path> host;
    if (hasPathPart(name)) {
        host = hostPath(name);
    } else {
        const fs::path base = l.directory.empty() ? fs::path(".") : l.directory;
        host = findNoCase(base, cp1250ToUtf8(name));
    }
    std::error_code ec;
    if (host && fs::exists(*host, ec)) {
        const bool runnable = fs::is_regular_file(*host, ec) && ::access(host->c_str(), X_OK) == 0;
        if (runnable) {
            l.program = host->string();
            // A relative name must not be looked up again from the child's working directory.
            if (!host->is_absolute()) l.program = fs::absolute(*host, ec).string();
            return l;
        }
        if (documentsToo) {
            l.args = {fs::absolute(*host, ec).string()};
            l.program = "xdg-open";
            return l;
        }
        l.error = fs::is_directory(*host, ec) ? kAccessDenied : kBadProgram;
        return l;
    }
    if (!hasPathPart(name)) {
        if (auto found = findOnPath(cp1250ToUtf8(name))) {
            l.program = found->string();
            return l;
        }
        l.error = kFileNotFound;
        return l;
    }
    // A missing folder on the way is "path not found", a missing file in an existing one
    // "file not found".
    l.error = host && fs::is_directory(
                          host->parent_path().empty() ? fs::path(".") : host->parent_path(), ec)
                  ? kFileNotFound
                  : kPathNotFound;
    return l;
}

// Starts `argv` with the launch's working directory; the error number or 0.
std::uint8_t spawn(const Launch& l, std::vector<std::string> argv, pid_t& pid, bool detached) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!l.directory.empty()) posix_spawn_file_actions_addchdir_np(&actions, l.directory.c_str());
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    if (detached) {
        // Its own session, and no terminal output mixed into ours.
        posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }
    std::vector<char*> raw;
    for (std::string& a : argv)
        raw.push_back(a.data());
    raw.push_back(nullptr);
    const int rc = posix_spawn(&pid, raw[0], &actions, &attr, raw.data(), environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? 0 : codeOfErrno(rc);
}

std::uint8_t runAndWait(std::string_view file, std::string_view params, std::string_view dir) {
    const Launch l = resolve(file, params, dir, false);
    if (l.error) return l.error;
    std::vector<std::string> argv{l.program};
    argv.insert(argv.end(), l.args.begin(), l.args.end());
    pid_t pid = 0;
    if (const std::uint8_t e = spawn(l, argv, pid, false)) return e;
    // Serve the windows while the child runs, so they repaint and stay responsive.
    for (;;) {
        ui().processPendingEvents();
        int status = 0;
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid || (r < 0 && errno != EINTR)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 0; // the child's own exit code is not reported
}

std::uint8_t startDetached(std::string_view file, std::string_view params, std::string_view dir) {
    const Launch l = resolve(file, params, dir, true);
    if (l.error) return l.error;
    // A short-lived shell starts the program in the background and ends at once, so the
    // program is adopted by the system and never lingers here as an unreaped child.
    std::vector<std::string> argv{"/bin/sh", "-c", "\"$@\" &", "sh", l.program};
    argv.insert(argv.end(), l.args.begin(), l.args.end());
    pid_t pid = 0;
    if (const std::uint8_t e = spawn(l, argv, pid, true)) return e;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return 0;
}

} // namespace

void registerProcessFunctions(script::Registry& reg) {
    script::Binder(reg).bind(
        "RunExe", "function(fileName, params, dir: string; wait: Boolean): Byte",
        [](std::string_view file, std::string_view params, std::string_view dir, bool wait) {
            return wait ? runAndWait(file, params, dir) : startDetached(file, params, dir);
        });
}

} // namespace vorlan::library
