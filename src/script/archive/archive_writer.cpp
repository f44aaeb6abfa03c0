#include "script/archive/archive_writer.h"

#include "core/cp1250.h"
#include "script/stream/component_stream.h"

#include <cstdint>
#include <fstream>
#include <limits>
#include <stdexcept>

namespace vorlan::archive {

namespace {

constexpr std::size_t kMaxArchiveSize = std::numeric_limits<std::int32_t>::max();

void putInt32(std::string& out, std::size_t value) {
    if (value > kMaxArchiveSize)
        throw std::invalid_argument("Archiv programu by dosáhl 2 GiB, víc, než dokáže adresovat");
    const auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

void putShortString(std::string& out, std::string_view text) {
    out += static_cast<char>(static_cast<unsigned char>(text.size()));
    out += text;
}

std::string sourceBlock(const ArchiveModule& module, int padLength) {
    std::string out;
    putInt32(out, module.lines.size());
    out += static_cast<char>(padLength);
    out.append(static_cast<std::size_t>(padLength), '\0');
    for (std::size_t i = 0; i < module.lines.size(); ++i) {
        const std::string& line = module.lines[i];
        if (line.size() > 255)
            throw std::invalid_argument("Modul " + cp1250ToUtf8(module.name) + ", řádek " +
                                        std::to_string(i + 1) + ": " + std::to_string(line.size()) +
                                        " B, řádek smí mít nejvýš 255 B");
        putShortString(out, scrambleText(line, lineKey(i, padLength)));
    }
    return out;
}

} // namespace

std::string fitVersionText(std::string_view text) {
    std::string out(text.substr(0, kVersionLength));
    out.resize(kVersionLength, ' ');
    return out;
}

std::string writeProgramArchive(const ArchiveContents& contents) {
    if (contents.padLength < 0 || contents.padLength > 255)
        throw std::invalid_argument("Délka výplně " + std::to_string(contents.padLength) +
                                    " je mimo rozsah 0 až 255");
    for (const auto& module : contents.modules)
        if (module.name.empty() || module.name.size() > 255)
            throw std::invalid_argument("Jméno modulu '" + cp1250ToUtf8(module.name) +
                                        "' musí mít 1 až 255 B");

    std::string out(kArchiveMagic);
    out.resize(static_cast<std::size_t>(kVersionOffset), '\0');
    out += scrambleText(fitVersionText(contents.versionText), kVersionKey);
    out.resize(static_cast<std::size_t>(kBlocksOffset), '\0');

    putInt32(out, contents.block1.size());
    out += contents.block1;
    const std::string project =
        contents.projectStream
            ? *contents.projectStream
            : stream::writeComponentStream(projectToStream(contents.projectItems));
    putInt32(out, project.size());
    out += project;
    putInt32(out, contents.modules.size());

    // The directory comes first and the module data after it, so the data offsets are known once
    // the size of the directory is.
    std::size_t directorySize = 0;
    for (const auto& module : contents.modules)
        directorySize += 1 + module.name.size() + 16;
    std::size_t dataAt = out.size() + directorySize;
    std::string data;
    for (const auto& module : contents.modules) {
        const std::size_t formAt = module.form.empty() ? 0 : dataAt + data.size();
        data += module.form;
        const std::size_t sourceAt = dataAt + data.size();
        data += sourceBlock(module, contents.padLength);

        putShortString(out, scrambleText(module.name, kNameKey));
        putInt32(out, formAt);
        putInt32(out, module.form.size());
        putInt32(out, sourceAt);
        putInt32(out, out.size() + 4); // the next entry follows this one
    }
    out += data;
    if (out.size() > kMaxArchiveSize)
        throw std::invalid_argument("Archiv programu by dosáhl 2 GiB, víc, než dokáže adresovat");
    return out;
}

void writeProgramArchiveFile(const ArchiveContents& contents,
                             const std::filesystem::path& hostPath) {
    const std::string bytes = writeProgramArchive(contents);
    std::ofstream file(hostPath, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) throw std::runtime_error("Nelze zapsat " + hostPath.string());
}

} // namespace vorlan::archive
