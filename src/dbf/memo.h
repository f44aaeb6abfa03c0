#pragma once
// Memo files that hold the variable-length contents of memo fields.
//
// Two layouts:
//  - .FPT: a 512-byte header whose first four bytes are the next free block (big-endian) and whose
//    bytes 6-7 are the block size (big-endian); each memo starts on a block boundary with an
//    8-byte block header: type (big-endian, 0 binary, 1 text) and length (big-endian), then the
//    data. Binary contents and any length are fine.
//  - .DBT: 512-byte blocks; the first four bytes of block 0 are the next free block
//    (little-endian). A memo is its text followed by 0x1A 0x1A. Blocks that start with
//    FF FF 08 00 and a little-endian length (the later dBase layout) are read as well.
// The block size is read from the header (FPT bytes 6-7; DBT bytes 20-21 in the later layout,
// 512 in the classic one); a size outside what the formats allow is refused rather than used to
// read the data at the wrong places.
// The public table and memo file structure descriptions of the xBase formats are the source.

#include "dbf/file.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace vorlan::dbf {

enum class MemoKind { Fpt, Dbt };

class MemoFile {
public:
    // A memo longer than this is refused as damaged rather than allocated.
    static constexpr std::uint32_t kMaxMemo = 256u * 1024 * 1024;
    static constexpr std::uint32_t kMinFptBlock = 32;

    void open(const std::filesystem::path& path, MemoKind kind, bool readOnly);
    void create(const std::filesystem::path& path, MemoKind kind, int blockSize);
    void close() { file_.close(); }
    bool isOpen() const { return file_.isOpen(); }
    MemoKind kind() const { return kind_; }
    std::uint32_t blockSize() const { return blockSize_; }
    const std::filesystem::path& path() const { return file_.path(); }

    // Whether `block` can hold a memo: behind the file's header and before its end.
    bool holds(std::uint32_t block) const;
    // The contents stored at `block` (0 is the empty memo). Throws DbfError for a block that lies
    // outside the file or a length that runs past its end.
    std::string read(std::uint32_t block) const;
    std::uint32_t length(std::uint32_t block) const;
    // Stores `data` and answers its block. The old memo's blocks are reused when the new contents
    // fit in them; otherwise the data goes to the end of the file.
    std::uint32_t write(std::string_view data, std::uint32_t oldBlock, bool binary = false);

private:
    // The first block behind the 512-byte header.
    std::uint32_t firstBlock() const { return (512 + blockSize_ - 1) / blockSize_; }
    std::uint32_t nextFree() const;
    void setNextFree(std::uint32_t block);
    // Blocks taken by the memo at `block` (for reuse); 0 when unknown.
    std::uint32_t blocksUsed(std::uint32_t block) const;

    File file_;
    MemoKind kind_ = MemoKind::Fpt;
    std::uint32_t blockSize_ = 512;
};

} // namespace vorlan::dbf
