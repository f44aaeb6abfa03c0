#include "library/files_system.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "core/system_error_text.h"
#include "core/version.h"
#include "library/files_internal.h"
#include "library/szdd.h"
#include "script/bind.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <limits>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace vorlan::library {

namespace fs = std::filesystem;
using script::ScriptException;
using script::Value;

std::optional<fs::path> hostPath(std::string_view programPath) {
    try {
        return pathMapper().toHost(programPath);
    } catch (const std::invalid_argument&) {
        return std::nullopt;
    }
}

namespace {

// ---- directories and drives

// The host folder standing for a drive number: 0 is the current directory's file system.
std::optional<fs::path> driveFolder(std::int32_t drive) {
    if (drive == 0) {
        std::error_code ec;
        fs::path cwd = fs::current_path(ec);
        if (ec) return std::nullopt;
        return cwd;
    }
    if (drive < 1 || drive > 26) return std::nullopt;
    fs::path root = pathMapper().driveRoot(static_cast<char>('A' + drive - 1));
    if (root.empty()) return std::nullopt;
    return root;
}

// Byte counts larger than the 32-bit result can hold are given as its largest value, so that a
// big disk still reads as "plenty of room".
std::int32_t clampedBytes(std::uintmax_t bytes) {
    return bytes > static_cast<std::uintmax_t>(std::numeric_limits<std::int32_t>::max())
               ? std::numeric_limits<std::int32_t>::max()
               : static_cast<std::int32_t>(bytes);
}

std::int32_t diskBytes(std::int32_t drive, bool total) {
    const auto folder = driveFolder(drive);
    if (!folder) return -1;
    std::error_code ec;
    const fs::space_info info = fs::space(*folder, ec);
    if (ec) return -1;
    return clampedBytes(total ? info.capacity : info.available);
}

std::string currentProgramDir() {
    std::error_code ec;
    const fs::path cwd = fs::current_path(ec);
    return ec ? std::string() : pathMapper().toProgram(cwd);
}

std::string driveDirectory(std::int32_t drive) {
    if (drive == 0) return currentProgramDir();
    if (!driveFolder(drive)) return {};
    // One current directory serves every drive here: a drive that does not hold it answers its
    // root.
    const char letter = static_cast<char>('A' + drive - 1);
    const std::string current = currentProgramDir();
    if (current.size() >= 2 && current[1] == ':' &&
        std::toupper(static_cast<unsigned char>(current[0])) == letter)
        return current;
    return std::string(1, letter) + ":\\";
}

bool changeDirectory(std::string_view dir) {
    if (dir.empty()) return false;
    const auto host = hostPath(dir);
    if (!host) return false;
    std::error_code ec;
    fs::current_path(*host, ec);
    return !ec;
}

// ---- file names (Windows rules: "\" or "/" separate folders, ":" ends a drive)

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

std::size_t lastDelimiter(std::string_view s, bool dotToo) {
    for (std::size_t i = s.size(); i-- > 0;)
        if (isSeparator(s[i]) || s[i] == ':' || (dotToo && s[i] == '.')) return i;
    return std::string_view::npos;
}

std::string filePath(std::string_view s) {
    const std::size_t i = lastDelimiter(s, false);
    return i == std::string_view::npos ? std::string() : std::string(s.substr(0, i + 1));
}

std::string fileDir(std::string_view s) {
    std::size_t i = lastDelimiter(s, false);
    if (i == std::string_view::npos) return {};
    // Keep the separator of a root ("C:\", "\") but not of a folder.
    if (i > 0 && isSeparator(s[i]) && !isSeparator(s[i - 1]) && s[i - 1] != ':')
        return std::string(s.substr(0, i));
    return std::string(s.substr(0, i + 1));
}

std::string fileName(std::string_view s) {
    const std::size_t i = lastDelimiter(s, false);
    return std::string(i == std::string_view::npos ? s : s.substr(i + 1));
}

std::string fileExt(std::string_view s) {
    const std::size_t i = lastDelimiter(s, true);
    return i != std::string_view::npos && s[i] == '.' ? std::string(s.substr(i)) : std::string();
}

std::string fileDrive(std::string_view s) {
    if (s.size() >= 2 && s[1] == ':') return std::string(s.substr(0, 2));
    if (s.size() >= 2 && isSeparator(s[0]) && isSeparator(s[1])) {
        // \\server\share: up to the separator that follows the share name.
        std::size_t i = 2, separators = 0;
        for (; i < s.size(); ++i)
            if (isSeparator(s[i]) && ++separators == 2) break;
        return std::string(s.substr(0, i));
    }
    return {};
}

// ---- whole files

bool isFile(const fs::path& p) {
    std::error_code ec;
    return fs::exists(p, ec) && !fs::is_directory(p, ec);
}

bool copyFile(std::string_view source, std::string_view target) {
    const auto from = hostPath(source);
    const auto to = hostPath(target);
    if (!from || !to || !isFile(*from)) return false;
    std::error_code ec;
    // Opening the target would empty the source before it is read.
    if (fs::exists(*to, ec) && fs::equivalent(*from, *to, ec)) return false;
    std::ifstream in(*from, std::ios::binary);
    if (!in) return false;
    std::ofstream out(*to, std::ios::binary | std::ios::trunc);
    if (!out) return false;

    std::array<char, 64 * 1024> buffer;
    in.read(buffer.data(), 8);
    std::streamsize got = in.gcount();
    bool ok = true;
    if (hasSzddSignature(std::span(reinterpret_cast<const std::uint8_t*>(buffer.data()),
                                   static_cast<std::size_t>(got)))) {
        std::vector<std::uint8_t> packed(buffer.begin(), buffer.begin() + got);
        while (in.read(buffer.data(), buffer.size()) || in.gcount() > 0)
            packed.insert(packed.end(), buffer.begin(), buffer.begin() + in.gcount());
        const SzddResult expanded = expandSzdd(packed);
        ok = expanded.ok &&
             static_cast<bool>(out.write(expanded.data.data(),
                                         static_cast<std::streamsize>(expanded.data.size())));
    } else {
        while (ok && got > 0) {
            ok = static_cast<bool>(out.write(buffer.data(), got));
            in.read(buffer.data(), buffer.size());
            got = in.gcount();
        }
        ok = ok && !in.bad();
    }
    out.close();
    ok = ok && !out.fail();
    if (!ok) fs::remove(*to, ec); // no half-copied target is left behind
    return ok;
}

bool renameFile(std::string_view oldName, std::string_view newName) {
    const auto from = hostPath(oldName);
    const auto to = hostPath(newName);
    std::error_code ec;
    if (!from || !to || !fs::exists(*from, ec)) return false;
    // A rename never replaces an existing file.
    if (fs::exists(*to, ec)) return false;
    fs::rename(*from, *to, ec);
    return !ec;
}

int fileOpenModeValue = 2;

// The input/output error of the run-time library, numbered as programs know the codes.
[[noreturn]] void raiseIoError(int code, std::string_view reason, std::string_view name) {
    throw ScriptException(czech("Chyba vstupu a výstupu ") + std::to_string(code) + " (" +
                          std::string(reason) + "): " + std::string(name));
}

std::int32_t fileSize(std::string_view name) {
    const auto host = hostPath(name);
    if (!host) raiseIoError(3, czech("cesta nebyla nalezena"), name);
    const int flags = fileOpenModeValue == 0   ? O_RDONLY
                      : fileOpenModeValue == 1 ? O_WRONLY
                                               : O_RDWR;
    const int fd = ::open(host->c_str(), flags | O_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        if (e == ENOENT) raiseIoError(2, czech("soubor nebyl nalezen"), name);
        if (e == ENOTDIR) raiseIoError(3, czech("cesta nebyla nalezena"), name);
        if (e == EACCES || e == EPERM || e == EROFS || e == EISDIR || e == ETXTBSY)
            raiseIoError(5, czech("přístup odepřen"), name);
        raiseIoError(e, systemErrorText(e), name);
    }
    struct stat st {};
    const int statResult = ::fstat(fd, &st);
    ::close(fd);
    // A folder opens for reading here, but it is no file to measure.
    if (statResult != 0 || S_ISDIR(st.st_mode)) raiseIoError(5, czech("přístup odepřen"), name);
    return static_cast<std::int32_t>(st.st_size);
}

std::string fileToText(std::string_view name) {
    const auto host = hostPath(name);
    std::error_code ec;
    if (!host || fs::is_directory(*host, ec))
        throw ScriptException(czech("Soubor nelze otevřít: ") + std::string(name));
    std::ifstream in(*host, std::ios::binary);
    if (!in)
        throw ScriptException(czech("Soubor nelze otevřít: ") + std::string(name) + " (" +
                              systemErrorText(errno) + ")");
    std::string text;
    std::array<char, 64 * 1024> buffer;
    while (in.read(buffer.data(), buffer.size()) || in.gcount() > 0)
        text.append(buffer.data(), static_cast<std::size_t>(in.gcount()));
    if (in.bad()) throw ScriptException(czech("Chyba při čtení souboru: ") + std::string(name));
    return text;
}

void textToFile(std::string_view text, std::string_view name) {
    const auto host = hostPath(name);
    if (!host) throw ScriptException(czech("Soubor nelze vytvořit: ") + std::string(name));
    std::ofstream out(*host, std::ios::binary | std::ios::trunc);
    if (!out)
        throw ScriptException(czech("Soubor nelze vytvořit: ") + std::string(name) + " (" +
                              systemErrorText(errno) + ")");
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (out.fail()) throw ScriptException(czech("Chyba při zápisu souboru: ") + std::string(name));
}

// ---- registration

bool createDirectory(std::string_view dir) {
    const auto host = hostPath(dir);
    std::error_code ec;
    return host && !dir.empty() && fs::create_directory(*host, ec) && !ec;
}

bool removeDirectory(std::string_view dir) {
    const auto host = hostPath(dir);
    std::error_code ec;
    return host && !dir.empty() && fs::is_directory(*host, ec) && fs::remove(*host, ec) && !ec;
}

void registerDirectories(script::Binder& b) {
    b.bind({"ChDir", "SetCurrentDir"}, "function(dir: string): Boolean", &changeDirectory);
    b.bind("GetCurrentDir", "function: string", &currentProgramDir);
    b.bind("GetAdr", "function(drive: Byte): string", &driveDirectory);
    b.bind("DiskFree", "function(drive: Byte): Integer",
           [](std::int32_t drive) { return diskBytes(drive, false); });
    b.bind("DiskSize", "function(drive: Byte): Integer",
           [](std::int32_t drive) { return diskBytes(drive, true); });
    b.bind("CreateDir", "function(dir: string): Boolean", &createDirectory);
    b.bind("RemoveDir", "function(dir: string): Boolean", &removeDirectory);

    using PathPart = std::string (*)(std::string_view);
    static constexpr std::pair<const char*, PathPart> parts[] = {
        {"ExtcratFileDir", fileDir},   {"ExtcratFileDrive", fileDrive}, {"ExtcratFileExt", fileExt},
        {"ExtcratFileName", fileName}, {"ExtcratFilePath", filePath},
    };
    for (const auto& [name, part] : parts)
        b.bind(name, "function(path: string): string", part);
}

bool deleteFile(std::string_view name) {
    const auto host = hostPath(name);
    std::error_code ec;
    return host && isFile(*host) && fs::remove(*host, ec) && !ec;
}

bool fileExists(std::string_view name) {
    const auto host = hostPath(name);
    return host && !name.empty() && isFile(*host);
}

void registerWholeFiles(script::Binder& b) {
    b.bind("FileCopy", "function(source, target: string): Boolean", &copyFile);
    b.bind("FileDelete", "function(name: string): Boolean", &deleteFile);
    b.bind("FileExists", "function(name: string): Boolean", &fileExists);
    b.bind("FileRename", "function(oldName, newName: string): Boolean", &renameFile);
    b.bind("FileSize", "function(name: string): Integer", &fileSize);
    b.bind("FileToVar", "function(name: string): string", &fileToText);
    b.bind("VarToFile", "procedure(text, name: string)", &textToFile);
}

std::function<void()>& beepHandler() {
    static std::function<void()> handler = [] {
        if (::isatty(STDERR_FILENO)) (void)!::write(STDERR_FILENO, "\a", 1);
    };
    return handler;
}

void registerTimeAndNames(script::Binder& b) {
    b.bind("Beep", "procedure", [] {
        if (beepHandler()) beepHandler()();
    });
    // Blocks the script thread; the windows are deliberately not served meanwhile.
    b.bind("Delay", "procedure(ms: Integer)", [](std::int32_t ms) {
        if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    });
    b.bind("DayName", "function(n: Integer): string", [](std::int32_t n) {
        static const std::array<std::string, 7> days = {
            czech("pondělí"), czech("úterý"),  czech("středa"), czech("čtvrtek"),
            czech("pátek"),   czech("sobota"), czech("neděle")};
        return n >= 1 && n <= 7 ? days[static_cast<std::size_t>(n - 1)] : std::string();
    });
    b.bind("MonthName", "function(n: Integer): string", [](std::int32_t n) {
        static const std::array<std::string, 12> months = {
            czech("leden"),  czech("únor"),   czech("březen"),   czech("duben"),
            czech("květen"), czech("červen"), czech("červenec"), czech("srpen"),
            czech("září"),   czech("říjen"),  czech("listopad"), czech("prosinec")};
        return n >= 1 && n <= 12 ? months[static_cast<std::size_t>(n - 1)] : std::string();
    });
    // The date part only, without the build mark that follows it.
    b.bind("Version", "function: string",
           [] { return std::string(kRuntimeVersion.substr(0, 17)); });
}

} // namespace

void setFileOpenMode(int mode) {
    fileOpenModeValue = mode;
}

void setBeepHandler(std::function<void()> beep) {
    beepHandler() = std::move(beep);
}

void registerFilesSystem(script::Registry& reg) {
    script::Binder b(reg);
    registerDirectories(b);
    registerWholeFiles(b);
    registerStreamedFiles(reg);
    registerProcessFunctions(reg);
    registerPortFunctions(reg);
    registerTimeAndNames(b);
    reg.registerConst("LPT1", Value(kPortLpt1));
    reg.registerConst("LPT1G", Value(kPortLpt1G));
    reg.registerConst("LPT2", Value(kPortLpt2));
    reg.registerConst("COM1", Value(kPortCom1));
    reg.registerConst("COM2", Value(kPortCom2));
    reg.registerConst("COM3", Value(kPortCom3));
    reg.registerConst("COM4", Value(kPortCom4));
}

} // namespace vorlan::library
