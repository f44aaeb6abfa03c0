#include "stdlib/host_files.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace vorlan::stdlib {

std::filesystem::path hostPathOf(std::string_view programPath) {
    if (programPath.empty()) return {};
    return pathMapper().toHostOrEmpty(programPath);
}

std::optional<std::string> readFileBytes(std::string_view programPath) {
    const std::filesystem::path host = hostPathOf(programPath);
    std::error_code ec;
    if (host.empty() || std::filesystem::is_directory(host, ec)) return std::nullopt;
    std::ifstream in(host, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

bool writeFileBytes(std::string_view programPath, std::string_view bytes) {
    const std::filesystem::path host = hostPathOf(programPath);
    std::error_code ec;
    if (host.empty() || std::filesystem::is_directory(host, ec)) return false;
    std::ofstream out(host, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

std::string textFromFileBytes(std::string bytes) {
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        return utf8ToCp1250(std::string_view(bytes).substr(3));
    // Czech text in Windows-1250 is practically never valid UTF-8: its accented letters stand
    // alone where UTF-8 needs a lead byte and continuation bytes. So a file that holds bytes
    // above ASCII and obeys every UTF-8 rule was written in UTF-8, with or without the mark.
    const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii && isValidUtf8(bytes)) return utf8ToCp1250(bytes);
    return bytes;
}

} // namespace vorlan::stdlib
