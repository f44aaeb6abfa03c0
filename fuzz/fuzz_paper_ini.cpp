// Any bytes read as the report generator's settings file give a settings object and a list of
// paper formats, never a crash or a hang. Writing keeps what it read: the text reads back to
// the same text, and a list written to the settings reads back as the same list.
#include "report/paper/ini_file.h"
#include "report/paper/paper_formats.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace vorlan::report;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    IniFile ini = IniFile::fromText(text);
    const std::string written = ini.text();
    if (IniFile::fromText(written).text() != written) std::abort();

    TListFormatu list;
    list.readUser(ini);
    if (list.count() < kBuiltInPaperFormats) std::abort();
    for (int i = kBuiltInPaperFormats; i < list.count(); ++i) {
        const TFormatPapiru& format = list.item(i);
        if (format.name.size() > TFormatPapiru::kMaxName) std::abort();
        (void)list.indexOfSize(format.width, format.height);
    }
    (void)ini.intValue(kPaperFormatSection, "PocetFormatu", -1);

    // Names holding line breaks cannot survive a settings file; everything else must.
    bool breaks = false;
    for (int i = kBuiltInPaperFormats; i < list.count(); ++i)
        breaks = breaks || list.item(i).name.find_first_of("\r\n") != std::string::npos;
    list.writeUser(ini);
    TListFormatu again;
    again.readUser(IniFile::fromText(ini.text()));
    if (!breaks && again.count() != list.count()) std::abort();
    return 0;
}
