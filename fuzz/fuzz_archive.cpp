// Program archives come from anywhere a program is copied from: reading one must end in a result
// or an ArchiveError, never in a crash, a hang or a runaway allocation.
#include "core/headless_ui.h"
#include "script/archive/program_archive.h"

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <streambuf>
#include <string>

namespace {

// Swallows the message boxes of wrong or old archives, which would otherwise flood stderr.
struct NullBuffer : std::streambuf {
    int overflow(int c) override { return c; }
};

void silenceUi() {
    static NullBuffer buffer;
    static std::ostream sink(&buffer);
    static const bool done = [] {
        vorlan::setUi(std::make_unique<vorlan::HeadlessUi>(&sink));
        return true;
    }();
    (void)done;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vorlan::archive;
    silenceUi();
    try {
        if (!readProgramArchiveFromBytes(std::string(reinterpret_cast<const char*>(data), size),
                                         "FUZZ.VRL"))
            return 0;
        // Copied: reading a module may not disturb the directory, but the test should not rely on
        // it.
        const std::vector<std::string> items = archiveDirectory();
        for (const std::string& item : items) {
            const std::string name = item.substr(0, item.find('*'));
            try {
                readArchiveModuleSource(name);
                readArchiveModuleForm(name);
            } catch (const ArchiveError&) {
            }
        }
    } catch (const ArchiveError&) {
    }
    closeProgramArchive();
    return 0;
}
