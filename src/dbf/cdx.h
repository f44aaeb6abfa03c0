#pragma once
// Compound .CDX index files: several orders (tags) in one file. See cdx.cpp for the layout.

#include "dbf/index.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::dbf {

struct CdxTagOut {
    std::string name; // upper case, at most ten characters
    IndexHeader header;
    const KeyList* keys = nullptr;
    char pad = ' '; // the byte trimmed from key ends: blank for character keys, 0 otherwise
};

struct CdxTagInfo {
    std::string name;
    IndexHeader header;
    std::uint32_t offset = 0;
};

// Writes a new file (renamed into place) whose change counter is `counter`; answers where each
// tag's header went.
std::vector<CdxTagInfo> writeCdxFile(const std::filesystem::path& path,
                                     const std::vector<CdxTagOut>& tags, std::uint32_t counter = 0);
// The tags of a file in the order of their header pages (the order they were made in), without
// their keys.
std::vector<CdxTagInfo> readCdxDirectory(std::string_view bytes);
// One order's header at `offset`, and (withKeys) its keys into `keys`. Keys out of order or a
// record number twice are damage (IndexDamage), like a broken tree (DbfError).
CdxTagInfo readCdxTag(std::string_view bytes, std::uint32_t offset, char pad, KeyList& keys,
                      bool withKeys = true);
// The keys of the order at `offset` as its leaves hold them, left to right, without any check of
// their order; answers the key length. Throws DbfError for a broken tree.
int walkCdxTag(std::string_view bytes, std::uint32_t offset, char pad, std::vector<char>& pool,
               std::vector<std::uint32_t>& recs);
// Single-order compact .IDX files: one order header at 0 followed by the same nodes.
void writeIdxFile(const std::filesystem::path& path, const IndexHeader& header, const KeyList& keys,
                  char pad);
std::string readWholeFile(const std::filesystem::path& path);
// Numbers (and dates as their julian day) as eight bytes whose byte order is the numeric order.
std::string cdxNumericKey(double value);

} // namespace vorlan::dbf
