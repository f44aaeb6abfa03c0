#include "report/charmode/command_runner.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vorlan::report {

namespace {

// A pipe whose ends close with it. The input side is a socket pair: a write to a command that
// stopped reading then fails with EPIPE instead of raising SIGPIPE in the whole program.
struct Pipe {
    int fd[2] = {-1, -1};
    bool open() { return ::pipe2(fd, O_CLOEXEC) == 0; }
    bool openSocket() { return ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fd) == 0; }
    void close(int end) {
        if (fd[end] >= 0) ::close(fd[end]);
        fd[end] = -1;
    }
    ~Pipe() {
        close(0);
        close(1);
    }
};

} // namespace

CommandResult ProcessCommandRunner::run(const std::vector<std::string>& argv,
                                        std::string_view input) {
    CommandResult result;
    if (argv.empty()) return result;
    Pipe in, out;
    if (!in.openSocket() || !out.open()) return result;

    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    // The environment is made before the fork: the child may only call async-signal-safe
    // functions.
    std::vector<std::string> environment{"LC_ALL=C"};
    for (char** e = environ; e && *e; ++e)
        if (std::strncmp(*e, "LC_ALL=", 7) != 0) environment.emplace_back(*e);
    std::vector<char*> env;
    for (std::string& e : environment)
        env.push_back(e.data());
    env.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid < 0) return result;
    if (pid == 0) {
        ::dup2(in.fd[0], STDIN_FILENO);
        ::dup2(out.fd[1], STDOUT_FILENO);
        const int devnull = ::open("/dev/null", O_WRONLY);
        if (devnull >= 0) ::dup2(devnull, STDERR_FILENO);
        ::execvpe(args[0], args.data(), env.data());
        ::_exit(127);
    }
    in.close(0);
    out.close(1);

    // Feed the input and read the output at the same time, so that neither side blocks.
    std::size_t written = 0;
    char buffer[4096];
    bool reading = true;
    while (reading) {
        pollfd fds[2];
        nfds_t count = 0;
        fds[count++] = {out.fd[0], POLLIN, 0};
        if (in.fd[1] >= 0) {
            if (written >= input.size()) {
                in.close(1);
            } else {
                fds[count++] = {in.fd[1], POLLOUT, 0};
            }
        }
        if (::poll(fds, count, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (count > 1 && (fds[1].revents & (POLLOUT | POLLERR | POLLHUP))) {
            const ssize_t n = ::send(in.fd[1], input.data() + written,
                                     std::min<std::size_t>(input.size() - written, 65536),
                                     MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0)
                written += static_cast<std::size_t>(n);
            else if (n < 0 && errno != EINTR && errno != EAGAIN)
                in.close(1); // the command stopped reading
        }
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            const ssize_t n = ::read(out.fd[0], buffer, sizeof buffer);
            if (n > 0)
                result.output.append(buffer, static_cast<std::size_t>(n));
            else if (n == 0 || (errno != EINTR && errno != EAGAIN))
                reading = false;
        }
    }
    in.close(1);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

} // namespace vorlan::report
