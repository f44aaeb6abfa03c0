#include "app/vorlan/command_line.h"

namespace vorlan::app {

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
        } else {
            out.error = "unknown option " + a;
            return out;
        }
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
           "                      Headless runs without it discard their print jobs.\n"
           "  --help              show this text and exit\n"
           "  --version           show the runtime version and exit\n"
           "\n"
           "A headless run without a program file to run ends at once: there is nobody to pick "
           "one.\n"
           "Exit status: 0 done, 1 bad command line, 2 (headless only) an error message was shown\n"
           "during the run, so batch jobs notice a program that failed.\n"
           "Settings (window placement, drive letters): $XDG_CONFIG_HOME/vorlan/vorlan.ini.\n";
}

} // namespace vorlan::app
