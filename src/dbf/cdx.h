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

void writeCdxFile(const std::filesystem::path& path, const std::vector<CdxTagOut>& tags);
// The tags of a file in the order of their header pages (the order they were made in), without
// their keys.
std::vector<CdxTagInfo> readCdxDirectory(std::string_view bytes);
// One order's header at `offset`, and (withKeys) its keys into `keys`.
CdxTagInfo readCdxTag(std::string_view bytes, std::uint32_t offset, char pad, KeyList& keys,
                      bool withKeys = true);
// Single-order compact .IDX files: one order header at 0 followed by the same nodes.
void writeIdxFile(const std::filesystem::path& path, const IndexHeader& header, const KeyList& keys,
                  char pad);
std::string readWholeFile(const std::filesystem::path& path);
// Numbers (and dates as their julian day) as eight bytes whose byte order is the numeric order.
std::string cdxNumericKey(double value);

} // namespace vorlan::dbf
