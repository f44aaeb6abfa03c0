#include "report/charmode/print_queues.h"

#include "core/cp1250.h"

#include <cstdlib>
#include <stdexcept>

namespace vorlan::report {

namespace {

std::string trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return std::string(s.substr(first, last - first + 1));
}

bool listedInEnvironment(const std::string& queue) {
    const char* list = std::getenv("VORLAN_TEXT_PRINTERS");
    if (!list || queue.empty()) return false;
    std::string_view rest(list);
    while (!rest.empty()) {
        const auto comma = rest.find(',');
        if (trimmed(rest.substr(0, comma)) == queue) return true;
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    return false;
}

} // namespace

std::string attributeValue(std::string_view attributes, std::string_view key) {
    std::size_t pos = 0;
    const std::size_t n = attributes.size();
    while (pos < n) {
        while (pos < n && (attributes[pos] == ' ' || attributes[pos] == '\t' ||
                           attributes[pos] == '\r' || attributes[pos] == '\n'))
            ++pos;
        const std::size_t nameStart = pos;
        while (pos < n && attributes[pos] != '=' && attributes[pos] != ' ' &&
               attributes[pos] != '\n')
            ++pos;
        const std::string_view name = attributes.substr(nameStart, pos - nameStart);
        std::string value;
        if (pos < n && attributes[pos] == '=') {
            ++pos;
            char quote = 0;
            while (pos < n) {
                const char c = attributes[pos];
                if (quote) {
                    if (c == quote) {
                        quote = 0;
                    } else if (c == '\\' && pos + 1 < n) {
                        value += attributes[++pos];
                    } else {
                        value += c;
                    }
                } else if (c == '\'' || c == '"') {
                    quote = c;
                } else if (c == '\\' && pos + 1 < n) {
                    value += attributes[++pos];
                } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                    break;
                } else {
                    value += c;
                }
                ++pos;
            }
        }
        if (name == key) return value;
        if (name.empty() && pos < n && attributes[pos] != '=') ++pos; // never stand still
    }
    return {};
}

bool isTextOnlyModel(std::string_view makeAndModel) {
    const std::string model = lowerCase(makeAndModel);
    return model == "local raw printer" || model.find("text-only") != std::string::npos ||
           model.find("text only") != std::string::npos;
}

std::vector<std::string> PrintQueues::names() {
    const CommandResult r = runner_.run({"lpstat", "-e"}, {});
    std::vector<std::string> out;
    if (r.exitCode != 0) return out;
    std::size_t start = 0;
    while (start < r.output.size()) {
        std::size_t end = r.output.find('\n', start);
        if (end == std::string::npos) end = r.output.size();
        std::string name = trimmed(std::string_view(r.output).substr(start, end - start));
        if (!name.empty()) out.push_back(std::move(name));
        start = end + 1;
    }
    return out;
}

std::string PrintQueues::defaultName() {
    for (const char* variable : {"LPDEST", "PRINTER"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return value;
    }
    const CommandResult r = runner_.run({"lpstat", "-d"}, {});
    if (r.exitCode != 0) return {};
    // "system default destination: NAME" (or "no system default destination").
    const auto colon = r.output.find(':');
    if (colon == std::string::npos) return {};
    std::string name = trimmed(std::string_view(r.output).substr(colon + 1));
    const auto end = name.find_first_of(" \t\r\n");
    return end == std::string::npos ? name : name.substr(0, end);
}

bool PrintQueues::isTextOnly(const std::string& queue) {
    const std::string name = queue.empty() ? defaultName() : queue;
    if (name.empty()) return false;
    if (listedInEnvironment(name)) return true;
    const CommandResult r = runner_.run({"lpoptions", "-p", name}, {});
    if (r.exitCode != 0) return false;
    return isTextOnlyModel(attributeValue(r.output, "printer-make-and-model"));
}

void PrintQueues::printRaw(const std::string& queue, std::string_view bytes,
                           const std::string& title, int copies) {
    std::vector<std::string> argv{"lp"};
    if (!queue.empty()) argv.insert(argv.end(), {"-d", queue});
    argv.insert(argv.end(), {"-o", "raw", "-n", std::to_string(copies < 1 ? 1 : copies)});
    if (!title.empty()) argv.insert(argv.end(), {"-t", cp1250ToUtf8(title)});
    const CommandResult r = runner_.run(argv, bytes);
    if (r.exitCode == 0) return;
    if (r.exitCode < 0 || r.exitCode == 127)
        throw std::runtime_error(czech("tiskový příkaz lp nelze spustit"));
    throw std::runtime_error(czech("tisková fronta úlohu nepřijala (návratový kód lp ") +
                             std::to_string(r.exitCode) + ")");
}

} // namespace vorlan::report
