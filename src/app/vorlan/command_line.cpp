#include "app/vorlan/command_line.h"

#include <optional>
#include <string_view>
#include <utility>

namespace vorlan::app {

namespace {

// The options of a batch report, each with a value: the option and what its value is.
std::optional<std::pair<const char*, const char*>> batchReportOption(const std::string& arg) {
    static const std::pair<const char*, const char*> options[] = {
        {"--report", "a TEMPLATE.PTS"},
        {"--data", "a TABLE.DBF or DATA.CSV"},
        {"--param", "a TEXT"},
        {"--text", "an OUT.TXT"},
    };
    for (const auto& option : options) {
        const std::string name = option.first;
        if (arg == name || arg.rfind(name + "=", 0) == 0) return option;
    }
    return std::nullopt;
}

// The value of "--name value" or "--name=value"; nothing when it is missing. A parameter may
// be empty, a file name may not.
std::optional<std::string> optionValue(const std::vector<std::string>& args, std::size_t& i,
                                       const std::string& arg, const char* what) {
    std::string value;
    const auto eq = arg.find('=');
    if (eq == std::string::npos) {
        if (i + 1 >= args.size()) return std::nullopt;
        value = args[++i];
    } else {
        value = arg.substr(eq + 1);
    }
    if (value.empty() && std::string_view(what) != "a TEXT") return std::nullopt;
    return value;
}

} // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine out;
    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") {
            ++i;
            break;
        }
        if (a.size() < 2 || a[0] != '-') break;
        if (a == "--headless") {
            out.headless = true;
        } else if (a == "--help" || a == "-h") {
            out.help = true;
        } else if (a == "--version") {
            out.version = true;
        } else if (a == "--print-to" || a.rfind("--print-to=", 0) == 0) {
            std::string value;
            if (a == "--print-to") {
                if (i + 1 >= args.size()) {
                    out.error = "--print-to needs a FILE.pdf or a folder";
                    return out;
                }
                value = args[++i];
            } else {
                value = a.substr(11);
            }
            if (value.empty()) {
                out.error = "--print-to needs a FILE.pdf or a folder";
                return out;
            }
            out.printTo = value;
        } else if (a == "--design" || a.rfind("--design=", 0) == 0) {
            const auto value = optionValue(args, i, a, "a TEMPLATE.PTS");
            if (!value) {
                out.error = "--design needs a TEMPLATE.PTS";
                return out;
            }
            out.design = *value;
        } else if (a == "--browse" || a.rfind("--browse=", 0) == 0) {
            const auto value = optionValue(args, i, a, "a TABLE.DBF");
            if (!value) {
                out.error = "--browse needs a TABLE.DBF";
                return out;
            }
            out.browse = *value;
        } else if (const auto batch = batchReportOption(a)) {
            const auto value = optionValue(args, i, a, batch->second);
            if (!value) {
                out.error = std::string(batch->first) + " needs " + batch->second;
                return out;
            }
            if (batch->first == std::string_view("--report"))
                out.report = *value;
            else if (batch->first == std::string_view("--data"))
                out.data = *value;
            else if (batch->first == std::string_view("--text"))
                out.textOut = *value;
            else
                out.reportParameters.push_back(*value);
        } else {
            out.error = "unknown option " + a;
            return out;
        }
    }
    if (out.design) {
        if (out.report || out.browse || out.textOut || !out.reportParameters.empty() ||
            i < args.size())
            out.error = "--design takes only --data: it runs no program and no report";
        else if (out.headless)
            out.error = "--design needs the desktop, not --headless";
        return out;
    }
    if (!out.report && (out.data || out.textOut || !out.reportParameters.empty())) {
        out.error = "--data, --param and --text belong to --report";
        return out;
    }
    if (out.report) {
        if (!out.data)
            out.error = "--report needs --data TABLE.DBF|DATA.CSV";
        else if (!out.printTo && !out.textOut)
            out.error = "--report needs --print-to or --text";
        else if (i < args.size())
            out.error = "--report runs no program";
        if (!out.error.empty()) return out;
    }
    if (out.browse && (out.report || i < args.size())) {
        out.error = "--browse runs no program and no report";
        return out;
    }
    if (i < args.size()) {
        out.program = args[i];
        out.programArguments.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
    }
    return out;
}

std::string usageText() {
    return "Usage: vorlan [--headless] [--print-to FILE.pdf|DIR] [--help] [--version] "
           "[program.vrl]\n"
           "Runs a VORLAN program archive; without one, opens the main window with its program\n"
           "menu (the file vorlan.MNU beside the executable, one program path per line).\n"
           "\n"
           "  --headless          no windows: console text goes to standard output, every dialog\n"
           "                      is answered by its default button and logged to standard error.\n"
           "                      Also used when no display is available.\n"
           "  --print-to PATH     print jobs become PDF files instead of going to the printer:\n"
           "                      a PATH ending in .pdf receives the first job (later jobs add\n"
           "                      -002, -003 ... to the name), any other PATH is a folder that\n"
           "                      receives print-001.pdf, print-002.pdf ...\n"
           "                      Headless runs without it discard their print jobs. Headless,\n"
           "                      each job is logged on standard error as\n"
           "                      [print] TITLE: FILE.pdf (or: discarded (no --print-to)).\n"
           "  --report T.PTS --data TABLE.DBF|DATA.CSV [--param TEXT]... --print-to OUT.pdf\n"
           "  --report T.PTS --data TABLE.DBF|DATA.CSV [--param TEXT]... --text OUT.TXT\n"
           "                      makes the report of template T.PTS over the table or CSV\n"
           "                      file (Windows-1250 or UTF-8, ',' or ';' between values, the\n"
           "                      first line names the fields) without any program and\n"
           "                      without windows, into a PDF file or a character-mode text\n"
           "                      file; each --param is the next report parameter.\n"
           "  --browse TABLE.DBF  shows the table read-only in the database window (its indexes,\n"
           "                      the filter line and memo viewing), without a program.\n"
           "  --design T.PTS [--data TABLE.DBF|DATA.CSV]\n"
           "                      opens template T.PTS in the report designer without a program\n"
           "                      (a missing template is created when you agree); the table or\n"
           "                      CSV file gives the field lists. Exit status 0 when the template\n"
           "                      was saved, 3 when the designer was left without saving, 2 when\n"
           "                      the template or the data cannot be read.\n"
           "  --help              show this text and exit\n"
           "  --version           show the runtime version and exit\n"
           "\n"
           "A headless run without a program file to run ends at once: there is nobody to pick "
           "one.\n"
           "Exit status (so batch jobs notice a program that failed):\n"
           "  0  done\n"
           "  1  bad command line\n"
           "  2  (headless only) an error message was shown during the run, or a --report could\n"
           "     not be made\n"
           "  3  (headless only) the program's script failed: its error box (a compile error or "
           "an\n"
           "     error while running) was shown\n"
           "  N  (headless only) the program ended with Halt(N) and none of the above happened\n"
           "Settings (window placement, drive letters, [Locale] format settings):\n"
           "$XDG_CONFIG_HOME/vorlan/vorlan.ini.\n";
}

} // namespace vorlan::app
