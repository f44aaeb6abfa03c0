#include "stdlib/streams.h"

#include "core/cp1250.h"
#include "script/dispatch.h"
#include "stdlib/host_files.h"
#include "stdlib/list_errors.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vorlan::stdlib {

namespace {

[[noreturn]] void streamError(const char* utf8) {
    raiseStreamError(czech(utf8));
}

void checkSize(std::int64_t size) {
    if (size < 0 || size > kMaxStreamSize) streamError("Neplatná velikost proudu");
}

} // namespace

// ---- Stream

std::int64_t Stream::seek(std::int64_t offset, int origin) {
    std::int64_t base = 0;
    switch (origin) {
    case kFromBeginning:
        break;
    case kFromCurrent:
        base = position();
        break;
    case kFromEnd:
        base = size();
        break;
    default:
        streamError("Neplatný počátek posunu v proudu");
    }
    const std::int64_t target = base + offset;
    if (target < 0 || target > kMaxStreamSize) streamError("Neplatná pozice v proudu");
    setPosition(target);
    return position();
}

std::string Stream::readText(std::int64_t count) {
    if (count <= 0) return {};
    const std::int64_t left = std::max<std::int64_t>(size() - position(), 0);
    std::string out(static_cast<std::size_t>(std::min(count, left)), '\0');
    out.resize(read(out.data(), out.size()));
    return out;
}

std::string Stream::readExactly(std::int64_t count) {
    std::string out = readText(count);
    if (static_cast<std::int64_t>(out.size()) != std::max<std::int64_t>(count, 0))
        streamError("Chyba při čtení z proudu");
    return out;
}

std::string Stream::readRest() {
    return readText(size() - position());
}

void Stream::writeAll(std::string_view bytes) {
    if (position() + static_cast<std::int64_t>(bytes.size()) > kMaxStreamSize ||
        write(bytes.data(), bytes.size()) != bytes.size())
        streamError("Chyba při zápisu do proudu");
}

std::int64_t Stream::readInto(std::string& buffer, std::int64_t count) {
    buffer = readText(count);
    return static_cast<std::int64_t>(buffer.size());
}

std::int64_t Stream::writePart(std::string_view buffer, std::int64_t count) {
    const auto part = buffer.substr(0, static_cast<std::size_t>(std::max<std::int64_t>(count, 0)));
    if (position() + static_cast<std::int64_t>(part.size()) > kMaxStreamSize) return 0;
    return static_cast<std::int64_t>(write(part.data(), part.size()));
}

void Stream::readIntoExactly(std::string& buffer, std::int64_t count) {
    buffer = readExactly(count);
}

void Stream::writePartExactly(std::string_view buffer, std::int64_t count) {
    if (count > static_cast<std::int64_t>(buffer.size())) streamError("Chyba při zápisu do proudu");
    writeAll(buffer.substr(0, static_cast<std::size_t>(std::max<std::int64_t>(count, 0))));
}

std::int64_t Stream::copyFrom(Stream& source, std::int64_t count) {
    if (count == 0) {
        source.setPosition(0);
        count = source.size();
    }
    std::int64_t copied = 0;
    char buffer[65536];
    while (copied < count) {
        const auto chunk =
            static_cast<std::size_t>(std::min<std::int64_t>(count - copied, sizeof buffer));
        if (source.read(buffer, chunk) != chunk) streamError("Chyba při čtení z proudu");
        writeAll(std::string_view(buffer, chunk));
        copied += static_cast<std::int64_t>(chunk);
    }
    return copied;
}

// ---- MemoryStream

void MemoryStream::setSize(std::int64_t size) {
    checkSize(size);
    data_.resize(static_cast<std::size_t>(size));
    position_ = std::min(position_, size);
}

void MemoryStream::setPosition(std::int64_t position) {
    if (position < 0 || position > kMaxStreamSize) streamError("Neplatná pozice v proudu");
    position_ = position;
}

std::size_t MemoryStream::read(char* buffer, std::size_t count) {
    const auto at = static_cast<std::size_t>(position_);
    if (at >= data_.size()) return 0;
    const std::size_t n = std::min(count, data_.size() - at);
    std::memcpy(buffer, data_.data() + at, n);
    position_ += static_cast<std::int64_t>(n);
    return n;
}

std::size_t MemoryStream::write(const char* buffer, std::size_t count) {
    const std::int64_t end = position_ + static_cast<std::int64_t>(count);
    if (end > kMaxStreamSize) return 0;
    if (static_cast<std::size_t>(end) > data_.size()) data_.resize(static_cast<std::size_t>(end));
    std::memcpy(data_.data() + position_, buffer, count);
    position_ = end;
    return count;
}

void MemoryStream::setData(std::string data) {
    checkSize(static_cast<std::int64_t>(data.size()));
    data_ = std::move(data);
    position_ = 0;
}

void MemoryStream::loadFromFile(std::string_view programPath) {
    std::optional<std::string> bytes = readFileBytes(programPath);
    if (!bytes) raiseFileOpenError(programPath);
    setData(std::move(*bytes));
}

void MemoryStream::saveToFile(std::string_view programPath) const {
    if (!writeFileBytes(programPath, data_)) raiseFileCreateError(programPath);
}

void MemoryStream::loadFromStream(Stream& source) {
    source.setPosition(0);
    setData(source.readRest());
}

void MemoryStream::saveToStream(Stream& target) const {
    target.writeAll(data_);
}

// ---- FileStream

FileStream::FileStream(std::string_view programPath, int mode)
    : Stream("TFileStream"), fileName_(programPath) {
    const std::filesystem::path host = hostPathOf(programPath);
    const bool create = (mode & 0xFFFF) == kFileCreate;
    int flags = 0;
    const char* how = nullptr;
    if (create) {
        flags = O_RDWR | O_CREAT | O_TRUNC;
        how = "w+b";
        canRead_ = canWrite_ = true;
    } else {
        switch (mode & 3) {
        case kFileOpenRead:
            flags = O_RDONLY;
            how = "rb";
            canRead_ = true;
            break;
        case kFileOpenWrite:
            flags = O_WRONLY;
            how = "wb"; // over an open descriptor this does not truncate
            canWrite_ = true;
            break;
        default:
            flags = O_RDWR;
            how = "r+b";
            canRead_ = canWrite_ = true;
            break;
        }
    }
    const int fd = host.empty() ? -1 : ::open(host.c_str(), flags | O_CLOEXEC, 0666);
    struct stat info {};
    if (fd >= 0 && (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode))) {
        ::close(fd);
        if (create) raiseFileCreateError(programPath);
        raiseFileOpenError(programPath);
    }
    if (fd < 0) {
        if (create) raiseFileCreateError(programPath);
        raiseFileOpenError(programPath);
    }
    file_.reset(::fdopen(fd, how));
    if (!file_) {
        ::close(fd);
        raiseFileOpenError(programPath);
    }
}

std::int64_t FileStream::size() const {
    std::fflush(file_.get());
    struct stat info {};
    if (::fstat(::fileno(file_.get()), &info) != 0) return 0;
    return static_cast<std::int64_t>(info.st_size);
}

void FileStream::setSize(std::int64_t size) {
    checkSize(size);
    std::fflush(file_.get());
    if (!canWrite_ || ::ftruncate(::fileno(file_.get()), static_cast<off_t>(size)) != 0)
        streamError("Velikost souboru nelze změnit");
    position_ = std::min(position_, size);
}

void FileStream::setPosition(std::int64_t position) {
    if (position < 0 || position > kMaxStreamSize) streamError("Neplatná pozice v proudu");
    position_ = position;
}

std::size_t FileStream::read(char* buffer, std::size_t count) {
    if (!canRead_ || ::fseeko(file_.get(), static_cast<off_t>(position_), SEEK_SET) != 0) return 0;
    const std::size_t n = std::fread(buffer, 1, count, file_.get());
    position_ += static_cast<std::int64_t>(n);
    return n;
}

std::size_t FileStream::write(const char* buffer, std::size_t count) {
    if (!canWrite_ || ::fseeko(file_.get(), static_cast<off_t>(position_), SEEK_SET) != 0) return 0;
    const std::size_t n = std::fwrite(buffer, 1, count, file_.get());
    position_ += static_cast<std::int64_t>(n);
    return n;
}

} // namespace vorlan::stdlib
