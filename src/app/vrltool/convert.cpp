// vrltool form2text / text2form: a component stream between its binary and its text form.

#include "tool.h"

#include "script/stream/component_stream.h"
#include "script/stream/text_form.h"

namespace vrltool {

namespace {

int convert(const std::vector<std::string>& args, const char* command, bool toText) {
    const Arguments a = parseArguments(args, {});
    if (a.positional.size() != 2)
        throw UsageError(std::string(command) + " potřebuje vstupní a výstupní soubor");
    const std::string in = readFile(a.positional[0]);
    std::string out;
    try {
        out = toText ? vorlan::stream::componentToText(vorlan::stream::readComponentStream(in))
                     : vorlan::stream::writeComponentStream(vorlan::stream::componentFromText(in));
    } catch (const vorlan::stream::StreamError& e) {
        throw std::runtime_error(a.positional[0] + ": " + e.what());
    }
    writeFile(a.positional[1], out);
    return 0;
}

} // namespace

int runFormToText(const std::vector<std::string>& args) {
    return convert(args, "form2text", true);
}
int runTextToForm(const std::vector<std::string>& args) {
    return convert(args, "text2form", false);
}

} // namespace vrltool
