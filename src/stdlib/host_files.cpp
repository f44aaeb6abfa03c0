#include "stdlib/host_files.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"

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
    return bytes;
}

} // namespace vorlan::stdlib
