#include "stdlib/file_search.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "script/comp_wrapper.h"
#include "script/object_store.h"
#include "stdlib/host_files.h"
#include "stdlib/sysutils_files.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <memory>
#include <system_error>

namespace vorlan::stdlib {

namespace fs = std::filesystem;

bool matchesWildcard(std::string_view name, std::string_view pattern) {
    const std::string n = upperCase(name), p = upperCase(pattern);
    if (p == "*.*" || p == "*") return true;
    // Greedy matching with one remembered star: linear in practice, never exponential.
    std::size_t i = 0, j = 0, star = std::string::npos, mark = 0;
    while (i < n.size()) {
        if (j < p.size() && (p[j] == '?' || p[j] == n[i])) {
            ++i;
            ++j;
        } else if (j < p.size() && p[j] == '*') {
            star = j++;
            mark = i;
        } else if (star != std::string::npos) {
            j = star + 1;
            i = ++mark;
        } else {
            return false;
        }
    }
    while (j < p.size() && p[j] == '*')
        ++j;
    return j == p.size();
}

namespace {

SearchRec* searchRecOf(script::Value& rec) {
    if (auto* existing = dynamic_cast<SearchRec*>(script::nativeObjectOf(rec))) return existing;
    auto* made = static_cast<SearchRec*>(script::keepUnownedObject(std::make_unique<SearchRec>()));
    rec = script::Value(script::wrapObject(made));
    return made;
}

SearchRec::Entry entryOf(const fs::path& host, const std::string& name,
                         const std::string& programPath) {
    SearchRec::Entry e;
    e.name = name;
    std::error_code ec;
    const fs::file_status st = fs::status(host, ec);
    e.attr = fs::is_directory(st) ? kFaDirectory : kFaArchive;
    if ((st.permissions() & fs::perms::owner_write) == fs::perms::none) e.attr |= kFaReadOnly;
    if (name.size() > 1 && name[0] == '.' && name != "..") e.attr |= kFaHidden;
    if (!(e.attr & kFaDirectory)) {
        const auto size = fs::file_size(host, ec);
        e.size = ec ? 0 : static_cast<std::int32_t>(std::min<std::uintmax_t>(size, INT_MAX));
    }
    e.time = fileAge(programPath);
    if (e.time < 0) e.time = 0;
    return e;
}

std::int32_t handOut(SearchRec& r) {
    if (r.next >= r.pending.size()) {
        r.pending.clear();
        r.next = 0;
        return kSearchNoMoreFiles;
    }
    r.current = std::move(r.pending[r.next++]);
    return 0;
}

} // namespace

std::int32_t findFirst(std::string_view path, std::int32_t attributes, script::Value& rec) {
    SearchRec& r = *searchRecOf(rec);
    r.pending.clear();
    r.next = 0;
    const std::size_t cut = path.find_last_of("\\/:");
    const std::string folder(cut == std::string_view::npos ? "" : path.substr(0, cut + 1));
    const std::string pattern(cut == std::string_view::npos ? path : path.substr(cut + 1));
    const fs::path host = hostPathOf(folder.empty() ? std::string_view(".") : folder);
    std::error_code ec;
    if (host.empty() || !fs::is_directory(host, ec)) return kSearchPathNotFound;
    const bool directories = attributes & kFaDirectory;
    const bool hidden = attributes & kFaHidden;
    std::vector<std::pair<std::string, fs::path>> names;
    if (directories)
        for (const char* dot : {".", ".."})
            names.emplace_back(dot, host / dot);
    for (fs::directory_iterator it(host, ec), end; !ec && it != end; it.increment(ec))
        names.emplace_back(utf8ToCp1250(it->path().filename().string()), it->path());
    for (auto& [name, hostPath] : names) {
        if (!matchesWildcard(name, pattern)) continue;
        SearchRec::Entry e = entryOf(hostPath, name, folder + name);
        if ((e.attr & kFaDirectory) && !directories) continue;
        if ((e.attr & kFaHidden) && !hidden) continue;
        r.pending.push_back(std::move(e));
    }
    // The order of a directory listing on the platform: by name, letter case ignored.
    std::stable_sort(r.pending.begin(), r.pending.end(), [](const auto& a, const auto& b) {
        return upperCase(a.name) < upperCase(b.name);
    });
    return handOut(r);
}

std::int32_t findNext(script::Value& rec) {
    auto* r = dynamic_cast<SearchRec*>(script::nativeObjectOf(rec));
    return r ? handOut(*r) : kSearchNoMoreFiles;
}

void findClose(script::Value& rec) {
    if (auto* r = dynamic_cast<SearchRec*>(script::nativeObjectOf(rec))) {
        r->pending.clear();
        r->next = 0;
    }
}

} // namespace vorlan::stdlib
