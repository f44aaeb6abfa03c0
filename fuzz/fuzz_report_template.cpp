// Any text read as a report template either reads or fails with TemplateError; what it reads
// writes lines that read again, and the user functions it defines can be stepped.
#include "report/model.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace vorlan::report;

namespace {

class FuzzReport : public TSestava {
public:
    FuzzReport() {
        addDetail();
        addDetail();
        parametry = {"12", "text"};
    }
    bool loadPicture(const std::string&) override { return false; }
};

std::vector<std::string> linesOf(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == '\n')
            lines.emplace_back();
        else if (c != '\r')
            lines.back() += c;
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzReport report;
    try {
        report.setPredloha(linesOf(data, size));
    } catch (const TemplateError&) {
        return 0;
    }
    report.functions().markReset(-1);
    report.stepFunctions();
    for (int i = 0; i < report.functions().count(); ++i)
        report.functions().text(i);

    const std::vector<std::string> written = report.templateLines();
    FuzzReport again;
    try {
        again.setPredloha(written);
    } catch (const TemplateError&) {
        std::abort(); // the writer only writes colour indexes and character sets it can read
    }
    again.templateLines();
    return 0;
}
