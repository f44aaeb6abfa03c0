#pragma once
// Streams of bytes for whole-file work: TMemoryStream (the bytes in memory, loaded from and
// saved to files), TStringStream (over a text) and TFileStream (a file opened for reading,
// writing or both). Scripts read and write them as strings of bytes. Positions and sizes stay
// within what a 32-bit program could address.

#include "script/native_object.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace vorlan::stdlib {

// Origins of Seek.
enum SeekOrigin : int { kFromBeginning = 0, kFromCurrent = 1, kFromEnd = 2 };

// The largest size and position of a stream.
constexpr std::int64_t kMaxStreamSize = 0x7FFFFFFF;

class Stream : public script::NativeObject {
public:
    using NativeObject::NativeObject;

    virtual std::int64_t size() const = 0;
    virtual void setSize(std::int64_t size) = 0;
    virtual std::int64_t position() const = 0;
    // A position past the end is allowed: the next write fills the gap with zero bytes.
    virtual void setPosition(std::int64_t position) = 0;
    // Up to `count` bytes from the position; fewer at the end.
    virtual std::size_t read(char* buffer, std::size_t count) = 0;
    virtual std::size_t write(const char* buffer, std::size_t count) = 0;

    // The new position; one before the start is an error.
    std::int64_t seek(std::int64_t offset, int origin);
    // Up to `count` bytes; exactly `count` or an error.
    std::string readText(std::int64_t count);
    std::string readExactly(std::int64_t count);
    // Everything from the position to the end.
    std::string readRest();
    // Writes all of the bytes or raises an error.
    void writeAll(std::string_view bytes);
    // Read and Write of scripts: up to `count` bytes into a string; the first `count` bytes of
    // a string (all of it when shorter). The number of bytes moved.
    std::int64_t readInto(std::string& buffer, std::int64_t count);
    std::int64_t writePart(std::string_view buffer, std::int64_t count);
    // The same, with an error unless exactly `count` bytes move.
    void readIntoExactly(std::string& buffer, std::int64_t count);
    void writePartExactly(std::string_view buffer, std::int64_t count);
    // Copies `count` bytes from the source's position; 0 copies the whole source from its start.
    std::int64_t copyFrom(Stream& source, std::int64_t count);
};

class MemoryStream : public Stream {
public:
    explicit MemoryStream(std::string className = "TMemoryStream") : Stream(std::move(className)) {}

    std::int64_t size() const override { return static_cast<std::int64_t>(data_.size()); }
    void setSize(std::int64_t size) override;
    std::int64_t position() const override { return position_; }
    void setPosition(std::int64_t position) override;
    std::size_t read(char* buffer, std::size_t count) override;
    std::size_t write(const char* buffer, std::size_t count) override;

    const std::string& data() const { return data_; }
    void setData(std::string data);
    void clear() { setData({}); }
    // The whole stream from and to a file or another stream; the position goes to the start.
    void loadFromFile(std::string_view programPath);
    void saveToFile(std::string_view programPath) const;
    void loadFromStream(Stream& source);
    void saveToStream(Stream& target) const;

private:
    std::string data_;
    std::int64_t position_ = 0;
};

// Modes of TFileStream.Create: fmCreate or one of the open modes, or'ed with a share mode
// (share modes are accepted and not enforced: the host has no such locks).
constexpr int kFileCreate = 0xFFFF;
constexpr int kFileOpenRead = 0;
constexpr int kFileOpenWrite = 1;
constexpr int kFileOpenReadWrite = 2;

class FileStream : public Stream {
public:
    // Opens or creates the file or raises the error that says which it could not do.
    FileStream(std::string_view programPath, int mode);

    std::int64_t size() const override;
    void setSize(std::int64_t size) override;
    std::int64_t position() const override { return position_; }
    void setPosition(std::int64_t position) override;
    std::size_t read(char* buffer, std::size_t count) override;
    std::size_t write(const char* buffer, std::size_t count) override;

    const std::string& fileName() const { return fileName_; }

private:
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> file_;
    std::string fileName_;
    std::int64_t position_ = 0;
    bool canRead_ = false;
    bool canWrite_ = false;
};

} // namespace vorlan::stdlib
