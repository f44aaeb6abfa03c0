#include "app/vorlan/command_line.h"

#include <optional>
#include <string_view>
#include <utility>

namespace vorlan::app {

namespace {

// The options of a batch report, each with a value: the option and what its value is.
std::optional<std::pair<const char*, const char*>> batchReportOption(const std::string& arg) {
    static const std::pair<const char*, const char*> options[] = {
        {"--report", "předlohu SESTAVA.PTS"},
        {"--data", "tabulku TABULKA.DBF nebo soubor DATA.CSV"},
        {"--param", "TEXT"},
        {"--text", "výstupní soubor VYSTUP.TXT"},
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
    if (value.empty() && std::string_view(what) != "TEXT") return std::nullopt;
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
        } else if (a == "--stop-on-error") {
            out.stopOnError = true;
        } else if (a == "--help" || a == "-h") {
            out.help = true;
        } else if (a == "--version") {
            out.version = true;
        } else if (a == "--print-to" || a.rfind("--print-to=", 0) == 0) {
            std::string value;
            if (a == "--print-to") {
                if (i + 1 >= args.size()) {
                    out.error = "--print-to potřebuje SOUBOR.pdf nebo složku";
                    return out;
                }
                value = args[++i];
            } else {
                value = a.substr(11);
            }
            if (value.empty()) {
                out.error = "--print-to potřebuje SOUBOR.pdf nebo složku";
                return out;
            }
            out.printTo = value;
        } else if (a == "--design" || a.rfind("--design=", 0) == 0) {
            const auto value = optionValue(args, i, a, "předlohu SESTAVA.PTS");
            if (!value) {
                out.error = "--design potřebuje předlohu SESTAVA.PTS";
                return out;
            }
            out.design = *value;
        } else if (a == "--browse" || a.rfind("--browse=", 0) == 0) {
            const auto value = optionValue(args, i, a, "tabulku TABULKA.DBF");
            if (!value) {
                out.error = "--browse potřebuje tabulku TABULKA.DBF";
                return out;
            }
            out.browse = *value;
        } else if (a == "--kontrola" || a.rfind("--kontrola=", 0) == 0) {
            const auto value = optionValue(args, i, a, "archiv PROGRAM.VRL");
            if (!value) {
                out.error = "--kontrola potřebuje archiv PROGRAM.VRL";
                return out;
            }
            out.check = *value;
        } else if (a == "--json") {
            out.json = true;
        } else if (const auto batch = batchReportOption(a)) {
            const auto value = optionValue(args, i, a, batch->second);
            if (!value) {
                out.error = std::string(batch->first) + " potřebuje " + batch->second;
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
            out.error = "neznámá volba " + a;
            return out;
        }
    }
    if (out.json && !out.check) {
        out.error = "--json patří k volbě --kontrola";
        return out;
    }
    if (out.check) {
        if (out.report || out.design || out.browse || i < args.size())
            out.error = "--kontrola nespouští program ani sestavu";
        return out;
    }
    if (out.design) {
        if (out.report || out.browse || out.textOut || !out.reportParameters.empty() ||
            i < args.size())
            out.error = "--design připouští jen --data: nespouští program ani sestavu";
        else if (out.headless)
            out.error = "--design potřebuje pracovní plochu, ne --headless";
        return out;
    }
    if (!out.report && (out.data || out.textOut || !out.reportParameters.empty())) {
        out.error = "--data, --param a --text patří k volbě --report";
        return out;
    }
    if (out.report) {
        if (!out.data)
            out.error = "--report potřebuje --data TABULKA.DBF|DATA.CSV";
        else if (!out.printTo && !out.textOut)
            out.error = "--report potřebuje --print-to nebo --text";
        else if (i < args.size())
            out.error = "--report nespouští žádný program";
        if (!out.error.empty()) return out;
    }
    if (out.stopOnError && (out.report || out.browse || i >= args.size())) {
        out.error = "--stop-on-error patří ke spuštění programu";
        return out;
    }
    if (out.browse && (out.report || i < args.size())) {
        out.error = "--browse nespouští program ani sestavu";
        return out;
    }
    if (i < args.size()) {
        out.program = args[i];
        out.programArguments.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
    }
    return out;
}

int haltExitStatus(int code) {
    return code >= 0 && code <= kExitHaltMax ? code : kExitHaltMax;
}

std::string usageText() {
    return "Použití: vorlan [--headless] [--stop-on-error] [--print-to SOUBOR.pdf|SLOŽKA]\n"
           "              [--help] [--version]\n"
           "              [program.vrl [ARGUMENTY PROGRAMU...]]\n"
           "Spustí archiv programu VORLAN; bez něj otevře hlavní okno s nabídkou programů (soubor\n"
           "vorlan.MNU vedle spustitelného souboru, na každém řádku cesta k jednomu programu).\n"
           "Argumenty za archivem dostane program (ParamCount, ParamStr).\n"
           "\n"
           "  --headless          bez oken: text konzole jde na standardní výstup, každý dialog\n"
           "                      dostane odpověď svého výchozího tlačítka a zapíše se na\n"
           "                      standardní chybový výstup. Platí i tehdy, když není k dispozici\n"
           "                      žádný displej.\n"
           "  --stop-on-error     první chyba skriptu (chyba překladu nebo za běhu) běh hned\n"
           "                      ukončí s kódem 253; bez této volby platí výchozí odpověď\n"
           "                      chybového okna a program pokračuje. Pro dávkové úlohy.\n"
           "  --print-to CESTA    tiskové úlohy se místo na tiskárnu zapíší jako soubory PDF:\n"
           "                      CESTA končící na .pdf dostane první úlohu (další úlohy mají ke\n"
           "                      jménu připojeno -002, -003 ...), jiná CESTA je složka, do níž\n"
           "                      přijdou print-001.pdf, print-002.pdf ...\n"
           "                      Běh bez oken bez této volby své tiskové úlohy zahodí. Bez oken "
           "se\n"
           "                      každá úloha zapíše na standardní chybový výstup jako\n"
           "                      [print] NÁZEV: SOUBOR.pdf (nebo: zahozeno (chybí --print-to)).\n"
           "  --report P.PTS --data TABULKA.DBF|DATA.CSV [--param TEXT]... --print-to VYSTUP.pdf\n"
           "  --report P.PTS --data TABULKA.DBF|DATA.CSV [--param TEXT]... --text VYSTUP.TXT\n"
           "                      vytvoří sestavu podle předlohy P.PTS nad tabulkou nebo souborem\n"
           "                      CSV (Windows-1250 nebo UTF-8, hodnoty oddělené ',' nebo ';',\n"
           "                      první řádek jmenuje položky) bez programu a bez oken, do "
           "souboru\n"
           "                      PDF nebo do textového souboru znakové sestavy; každý --param je\n"
           "                      další parametr sestavy.\n"
           "  --browse TABULKA.DBF\n"
           "                      ukáže tabulku jen pro čtení v databázovém okně, bez programu;\n"
           "                      místní nabídka mřížky ji otevře pro zápis, filtruje, hledá\n"
           "                      podle klíče, přidá index, založí tabulku a změní strukturu.\n"
           "                      Návratový kód 0 po zavření okna, 252, když tabulku nelze\n"
           "                      otevřít.\n"
           "  --design P.PTS [--data TABULKA.DBF|DATA.CSV]\n"
           "                      otevře předlohu P.PTS v editoru sestav bez programu (chybějící\n"
           "                      předlohu po souhlasu založí); tabulka nebo soubor CSV dá "
           "seznamy\n"
           "                      položek. Návratový kód 0, když byla předloha uložena, 3, když\n"
           "                      editor skončil bez uložení, 252, když předlohu nebo data nelze\n"
           "                      přečíst.\n"
           "  --kontrola PROGRAM.VRL [--json]\n"
           "                      přeloží každý modul archivu, nic nespustí a vypíše, co program\n"
           "                      potřebuje a běhový systém nemá (viz vrltool kontrola); "
           "návratový\n"
           "                      kód 0, když nic nechybí, jinak 1.\n"
           "  --help              vypíše tento text a skončí\n"
           "  --version           vypíše verzi běhového systému a skončí\n"
           "\n"
           "Běh bez oken bez souboru programu skončí hned: není, kdo by program vybral.\n"
           "Návratový kód (aby dávkové úlohy poznaly program, který selhal; kódy 250 až 255\n"
           "patří jen běhovému systému, program je voláním Halt vrátit nemůže):\n"
           "  0    hotovo\n"
           "  N    (jen bez oken) program skončil voláním Halt(N), 0 <= N <= 249, a nic\n"
           "       z níže uvedeného nenastalo; Halt s kódem mimo 0 až 249 vrátí 249\n"
           "  250  chybný příkazový řádek\n"
           "  251  program se nespustil: archiv chybí, je to složka, nelze ho číst, je prázdný,\n"
           "       příliš krátký, jiného formátu nebo poškozený (důvod na standardním\n"
           "       chybovém výstupu)\n"
           "  252  (jen bez oken) během běhu se ukázalo chybové hlášení, nebo --report nešlo\n"
           "       vytvořit\n"
           "  253  (jen bez oken) skript programu selhal: ukázalo se jeho chybové okno (chyba\n"
           "       překladu nebo chyba za běhu)\n"
           "Nastavení (umístění oken, písmena jednotek, formáty v sekci [Locale]):\n"
           "$XDG_CONFIG_HOME/vorlan/vorlan.ini.\n";
}

} // namespace vorlan::app
