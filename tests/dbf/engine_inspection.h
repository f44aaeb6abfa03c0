#pragma once
// What the engine's tests look at besides the files: the warnings it gives and the keys an index
// holds in memory.

#include "dbf/index.h"
#include "dbf/table.h"
#include "dbf/warnings.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace dbftest {

// Collects the engine's warnings while alive, then puts the previous listener back.
struct Warnings {
    std::vector<std::string> texts;
    vorlan::dbf::WarningListener previous;
    Warnings() {
        previous =
            vorlan::dbf::setWarningListener([this](const std::string& t) { texts.push_back(t); });
    }
    ~Warnings() { vorlan::dbf::setWarningListener(std::move(previous)); }
    Warnings(const Warnings&) = delete;
    Warnings& operator=(const Warnings&) = delete;
};

// The keys of a list with their record numbers, in order.
inline std::vector<std::pair<std::string, std::uint32_t>> entries(const vorlan::dbf::KeyList& k) {
    std::vector<std::pair<std::string, std::uint32_t>> out;
    for (std::size_t i = 0; i < k.size(); ++i)
        out.emplace_back(std::string(k.keyAt(i)), k.recAt(i));
    return out;
}

// The record numbers from top to bottom in the table's current order and filter.
inline std::vector<std::uint32_t> walk(vorlan::dbf::Table& t) {
    std::vector<std::uint32_t> out;
    for (t.goTop(); !t.eof(); t.skip())
        out.push_back(t.recNo());
    return out;
}

} // namespace dbftest
