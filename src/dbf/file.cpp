#include "dbf/file.h"
#include "core/cp1250.h"
#include "core/system_error_text.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <random>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace vorlan::dbf {
namespace {

[[noreturn]] void fail(std::string_view what, const std::filesystem::path& path) {
    throw DbfError(czech(what) + " " + utf8ToCp1250(path.string()) + " (" + systemErrorText(errno) +
                   ")");
}

// Open-file-description locks follow the open file rather than the process; they still conflict
// with the classic record locks other programs take. Kernels without them get the classic ones.
#ifdef F_OFD_SETLK
constexpr int kSetLock = F_OFD_SETLK;
constexpr int kGetLock = F_OFD_GETLK;
#else
constexpr int kSetLock = F_SETLK;
constexpr int kGetLock = F_GETLK;
#endif

bool setLock(int fd, short type, std::uint64_t offset, std::uint64_t len) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(offset);
    fl.l_len = static_cast<off_t>(len);
    fl.l_pid = 0;
    if (fcntl(fd, kSetLock, &fl) == 0) return true;
#ifdef F_OFD_SETLK
    if (errno == EINVAL) {
        fl.l_pid = 0;
        return fcntl(fd, F_SETLK, &fl) == 0;
    }
#endif
    return false;
}

#ifdef F_OFD_SETLKW
constexpr int kSetLockWait = F_OFD_SETLKW;
#else
constexpr int kSetLockWait = F_SETLKW;
#endif

// A waiting lock request is ended by a signal sent to the waiting thread alone; its handler does
// nothing, and without SA_RESTART the request returns EINTR.
void interruptWait(int) {}

int waitTimeoutSignal() {
    static const int signal = [] {
        const int number = SIGRTMIN + 7;
        struct sigaction action {};
        action.sa_handler = interruptWait;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;
        ::sigaction(number, &action, nullptr);
        return number;
    }();
    return signal;
}

// A timer that signals the calling thread from the deadline on, every few milliseconds, so a
// signal that arrives just before the request starts waiting is followed by another. It leaves
// no signal behind for a later call of the thread.
class WaitTimer {
public:
    explicit WaitTimer(std::chrono::steady_clock::time_point deadline) {
        const int signal = waitTimeoutSignal();
        sigemptyset(&only_);
        sigaddset(&only_, signal);
        ::pthread_sigmask(SIG_UNBLOCK, &only_, &previous_);
        struct sigevent event {};
        event.sigev_notify = SIGEV_THREAD_ID;
        event.sigev_signo = signal;
#ifdef sigev_notify_thread_id
        event.sigev_notify_thread_id = ::gettid();
#else
        event._sigev_un._tid = ::gettid();
#endif
        if (::timer_create(CLOCK_MONOTONIC, &event, &timer_) != 0) return;
        armed_ = true;
        const auto left =
            std::max(deadline - std::chrono::steady_clock::now(),
                     std::chrono::steady_clock::duration(std::chrono::microseconds(1)));
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
        struct itimerspec spec {};
        spec.it_value.tv_sec = static_cast<time_t>(seconds.count());
        spec.it_value.tv_nsec = static_cast<long>(
            std::chrono::duration_cast<std::chrono::nanoseconds>(left - seconds).count());
        spec.it_interval.tv_nsec = 5'000'000;
        ::timer_settime(timer_, 0, &spec, nullptr);
    }
    ~WaitTimer() {
        if (armed_) ::timer_delete(timer_);
        ::pthread_sigmask(SIG_BLOCK, &only_, nullptr);
        const struct timespec none {};
        while (::sigtimedwait(&only_, nullptr, &none) > 0) {
        }
        ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    WaitTimer(const WaitTimer&) = delete;
    WaitTimer& operator=(const WaitTimer&) = delete;
    bool armed() const {
        return armed_;
    }

private:
    sigset_t only_{};
    sigset_t previous_{};
    timer_t timer_{};
    bool armed_ = false;
};

} // namespace

File::~File() {
    close();
}

File::File(File&& other) noexcept
    : fd_(other.fd_), readOnly_(other.readOnly_), path_(std::move(other.path_)) {
    other.fd_ = -1;
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.fd_;
        readOnly_ = other.readOnly_;
        path_ = std::move(other.path_);
        other.fd_ = -1;
    }
    return *this;
}

void File::open(const std::filesystem::path& path, bool readOnly) {
    close();
    fd_ = ::open(path.c_str(), (readOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC);
    if (fd_ < 0) fail("nelze otevřít", path);
    struct stat st {};
    if (fstat(fd_, &st) == 0 && !S_ISREG(st.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        throw DbfError(czech("není to obyčejný soubor: ") + utf8ToCp1250(path.string()));
    }
    readOnly_ = readOnly;
    path_ = path;
}

void File::create(const std::filesystem::path& path) {
    close();
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) fail("nelze vytvořit", path);
    readOnly_ = false;
    path_ = path;
}

void File::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

std::uint64_t File::size() const {
    struct stat st {};
    if (fstat(fd_, &st) != 0) fail("nelze zjistit údaje o souboru", path_);
    return static_cast<std::uint64_t>(st.st_size);
}

std::size_t File::readAt(std::uint64_t offset, void* buf, std::size_t len) const {
    std::size_t done = 0;
    auto* out = static_cast<char*>(buf);
    while (done < len) {
        const ssize_t n = ::pread(fd_, out + done, len - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            fail("nelze číst", path_);
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

void File::readExact(std::uint64_t offset, void* buf, std::size_t len) const {
    if (readAt(offset, buf, len) != len)
        throw DbfError(czech("nečekaný konec souboru ") + utf8ToCp1250(path_.string()));
}

void File::writeAt(std::uint64_t offset, const void* buf, std::size_t len) {
    if (readOnly_)
        throw DbfError(czech("soubor je otevřen jen pro čtení: ") + utf8ToCp1250(path_.string()));
    std::size_t done = 0;
    const auto* in = static_cast<const char*>(buf);
    while (done < len) {
        const ssize_t n = ::pwrite(fd_, in + done, len - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            fail("nelze zapsat", path_);
        }
        done += static_cast<std::size_t>(n);
    }
}

void File::writeInPages(std::uint64_t offset, const void* buf, std::size_t len) {
    constexpr std::size_t kPiece = 4096;
    const auto* in = static_cast<const char*>(buf);
    for (std::size_t done = 0; done < len;) {
        // Pieces end on page boundaries of the file, whatever the offset.
        const std::size_t piece =
            std::min(len - done, kPiece - static_cast<std::size_t>((offset + done) % kPiece));
        writeAt(offset + done, in + done, piece);
        done += piece;
    }
}

void File::adviseRandomAccess() {
    if (fd_ >= 0) ::posix_fadvise(fd_, 0, 0, POSIX_FADV_RANDOM);
}

void File::sync() {
    if (fd_ >= 0) ::fsync(fd_);
}

bool File::lockRange(std::uint64_t offset, std::uint64_t len, int timeoutMs, bool shared) {
    const short type = (readOnly_ || shared) ? F_RDLCK : F_WRLCK;
    if (setLock(fd_, type, offset, len)) return true;
    if (errno != EACCES && errno != EAGAIN && errno != EINTR) return false;
    if (timeoutMs <= 0) return false;
    // The request waits in the kernel, queued with the other waiters, and is granted when the
    // range is released; retrying now and then would rarely find it free when its holder takes
    // it again at once.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    const WaitTimer timer(deadline);
    int command = timer.armed() ? kSetLockWait : kSetLock;
    for (;;) {
        struct flock fl {};
        fl.l_type = type;
        fl.l_whence = SEEK_SET;
        fl.l_start = static_cast<off_t>(offset);
        fl.l_len = static_cast<off_t>(len);
        fl.l_pid = 0;
        if (::fcntl(fd_, command, &fl) == 0) return true;
#ifdef F_OFD_SETLK
        if (errno == EINVAL && (command == F_OFD_SETLKW || command == F_OFD_SETLK)) {
            command = command == F_OFD_SETLKW ? F_SETLKW : F_SETLK;
            continue;
        }
#endif
        if (errno != EINTR && errno != EACCES && errno != EAGAIN) return false;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        // Without a timer (none could be made) the request is retried now and then.
        if (!timer.armed()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void File::unlockRange(std::uint64_t offset, std::uint64_t len) {
    setLock(fd_, F_UNLCK, offset, len);
}

bool File::rangeLockedByOther(std::uint64_t offset, std::uint64_t len) const {
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(offset);
    fl.l_len = static_cast<off_t>(len);
    fl.l_pid = 0;
    if (fcntl(fd_, kGetLock, &fl) != 0) return false;
    return fl.l_type != F_UNLCK;
}

FileStamp stampOf(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    FileStamp s;
    s.device = static_cast<std::uint64_t>(st.st_dev);
    s.inode = static_cast<std::uint64_t>(st.st_ino);
    s.size = static_cast<std::uint64_t>(st.st_size);
    s.changeNs = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec +
                 static_cast<std::int64_t>(st.st_mtim.tv_nsec % 1000);
    return s;
}

std::filesystem::path tempNameBeside(const std::filesystem::path& target) {
    static std::mt19937 rng{std::random_device{}()};
    auto name = target.filename().string() + ".tmp" + std::to_string(::getpid()) + "_" +
                std::to_string(rng() % 1000000);
    return target.parent_path() / name;
}

void replaceFile(const std::filesystem::path& tmp, const std::filesystem::path& target, bool sync) {
    const int fd = sync ? ::open(tmp.c_str(), O_RDONLY | O_CLOEXEC) : -1;
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    if (::rename(tmp.c_str(), target.c_str()) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        errno = err;
        fail("nelze nahradit", target);
    }
}

} // namespace vorlan::dbf
