#include "integration/process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

namespace vorlan::testing {

namespace fs = std::filesystem;

namespace {
std::string slurp(int fd) {
    std::string out;
    char buf[4096];
    for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;)
        out.append(buf, static_cast<std::size_t>(n));
    return out;
}
} // namespace

ProcessResult runProcess(const std::vector<std::string>& argv, const fs::path& workDir) {
    ProcessResult result;
    // Output goes to files rather than pipes so a chatty child can never block on a full pipe.
    char outName[] = "/tmp/vorlan_outXXXXXX";
    char errName[] = "/tmp/vorlan_errXXXXXX";
    const int outFd = ::mkstemp(outName);
    const int errFd = ::mkstemp(errName);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(outFd, 1);
        ::dup2(errFd, 2);
        const int devnull = ::open("/dev/null", O_RDONLY);
        ::dup2(devnull, 0);
        if (!workDir.empty() && ::chdir(workDir.c_str()) != 0) ::_exit(126);
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    ::lseek(outFd, 0, SEEK_SET);
    ::lseek(errFd, 0, SEEK_SET);
    result.out = slurp(outFd);
    result.err = slurp(errFd);
    ::close(outFd);
    ::close(errFd);
    ::unlink(outName);
    ::unlink(errName);
    return result;
}

ProcessResult runVorlan(const std::vector<std::string>& args, const fs::path& workDir) {
    std::vector<std::string> argv{VORLAN_PATH, "--headless"};
    argv.insert(argv.end(), args.begin(), args.end());
    return runProcess(argv, workDir);
}

ProcessResult runVrltool(const std::vector<std::string>& args) {
    std::vector<std::string> argv{VRLTOOL_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    ProcessResult r = runProcess(argv);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return r;
}

void packProgram(const fs::path& folder, const fs::path& archive) {
    std::vector<std::string> args{"pack", archive.string()};
    // The main module first, then the other modules in name order.
    std::vector<std::string> modules;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::string ext = entry.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), ::toupper);
        if (ext == ".ZLM" || ext == ".PMB" || ext == ".TRX")
            modules.push_back(entry.path().string());
    }
    std::sort(modules.begin(), modules.end(), [](const std::string& a, const std::string& b) {
        const bool am = fs::path(a).stem() == "MAIN", bm = fs::path(b).stem() == "MAIN";
        return am != bm ? am : a < b;
    });
    args.insert(args.end(), modules.begin(), modules.end());
    runVrltool(args);
}

ScopedEnvironment::ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) saved_ = old;
    ::setenv(name, value.c_str(), 1);
}

ScopedEnvironment::~ScopedEnvironment() {
    if (saved_)
        ::setenv(name_, saved_->c_str(), 1);
    else
        ::unsetenv(name_);
}

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    path_ = fs::temp_directory_path() /
            ("vorlan_it_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
    fs::remove_all(path_);
    fs::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

fs::path TempDir::write(const std::string& name, const std::string& bytes) const {
    const fs::path p = path_ / name;
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
    return p;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool pythonDbfAvailable() {
    return std::system("/usr/bin/python3 -c 'import dbf' >/dev/null 2>&1") == 0;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

fs::path packModule(const TempDir& dir, const std::string& name, const std::string& module,
                    const std::string& source, const std::string& formExt,
                    const std::string& form) {
    const fs::path folder = dir / ("src-" + name);
    fs::create_directories(folder);
    const fs::path modulePath = folder / module;
    dir.write("src-" + name + "/" + module, source);
    if (!form.empty()) dir.write("src-" + name + "/" + modulePath.stem().string() + formExt, form);
    const fs::path archive = dir / (name + ".VRL");
    runVrltool({"pack", archive.string(), modulePath.string()});
    return archive;
}

} // namespace vorlan::testing
