// vrltool: packs, unpacks and inspects program archives (.VRL) outside the runtime.

#include "tool.h"

#include <exception>
#include <iostream>

namespace {

constexpr const char* kUsage = R"(Použití: vrltool PŘÍKAZ ...

  pack VÝSTUP.VRL [--version TEXT] [--pad N] [--project SOUBOR.ZPR] POLOŽKA...
      Sestaví archiv. POLOŽKY jsou soubory v pořadí projektu; moduly (*.ZLM, *.PMB, *.TRX,
      *.VBE, *.JSE, *.BAS) jdou do adresáře archivu i s formulářem, který leží vedle nich
      (*.zfm, *.pfm, *.tfm, binární nebo textový). Ostatní POLOŽKY jsou jen položkami
      projektu. S --project se projekt vezme z daného souboru (binárního nebo textového) a
      POLOŽKY udávají jen moduly. Zdrojové texty jsou ve Windows-1250; soubory v UTF-8 se
      převedou. --version nastaví 17znakový text verze (výchozí "2.04 - 31/12/2000"),
      --pad počet výplňových bajtů za zdrojovým textem (výchozí 7).
  pack VÝSTUP.VRL --from SLOŽKA [--version TEXT] [--pad N]
      Sestaví archiv znovu ze složky, kterou zapsal příkaz unpack.
  unpack VSTUP.VRL SLOŽKA
      Zapíše zdrojový text každého modulu (Windows-1250, CRLF za každým řádkem), každý
      formulář a projekt (project.zpr) v textové podobě a soubor vrltool.ini pro pack --from.
  list VSTUP.VRL
      Vypíše text verze, položky projektu a adresář modulů.
  form2text VSTUP VÝSTUP
  text2form VSTUP VÝSTUP
      Převede formulář (nebo jiný proud komponent) z binární podoby do textové (UTF-8)
      a zpět.
  do-databaze SLOŽKA ADRESA [--prepsat]
      Zkopíruje všechny tabulky (*.DBF) ze SLOŽKY i s memo soubory, značkami záznamů
      ke smazání a pořadími jejich indexů (strukturální .CDX, soubory .NTX, .IDX a .CDX,
      jejichž klíče odpovídají polím tabulky) do databáze PostgreSQL na ADRESE
      (např. postgresql://ucto@server/ucto; heslo ze souboru hesel nebo služeb PostgreSQL).
      Tabulku, kterou databáze už má, přepíše jen s --prepsat.
  z-databaze ADRESA SLOŽKA [--prepsat]
      Zapíše každou tabulku databáze do SLOŽKY jako NÁZEV.DBF s memo souborem .FPT
      a pořadími jako značkami strukturálního .CDX. Existující soubory přepíše jen
      s --prepsat.
  kontrola VSTUP.VRL [--json]
      Přeloží každý modul archivu, nic z programu nespustí a vypíše česky, co program
      potřebuje a běhový systém nemá: rutiny, třídy, proměnné, konstanty a jednotky, které
      moduly jazyka Pascal jmenují, rutiny, které moduly Basicu volají (s modulem, řádkem
      a sloupcem), vlastnosti a metody, které objekty známé třídy nemají (v Pascalu,
      Basicu i JavaScriptu), komponenty formulářů neznámých tříd, chyby překladu a předlohy
      sestav (*.PTS), které řetězce programu jmenují a které neleží vedle archivu. Pro informaci přidá tabulky a indexy
      (*.DBF, *.CDX, *.NTX, *.IDX) jmenované stejně (program si je možná vytvoří sám),
      uložené vlastnosti formulářů, které běhový systém nepoužije, a názvy, které nelze
      ověřit (volné názvy modulů JavaScriptu, názvy, které modul Basicu jen čte).
      --json vypíše totéž jako objekt JSON. Návratový kód 0, když nic nechybí, jinak 1.
      Kontrolu dělá běhový systém vorlan (vedle vrltool, jinak $VORLAN_RUNTIME nebo z PATH).
  --help
      Vypíše tento text.

Návratový kód 0 při úspěchu, 1 při jakékoli chybě.
)";

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> all(argv + 1, argv + argc);
    if (all.empty()) {
        std::cerr << kUsage;
        return 1;
    }
    const std::string& command = all[0];
    const std::vector<std::string> args(all.begin() + 1, all.end());
    try {
        if (command == "--help" || command == "-h" || command == "help") {
            std::cout << kUsage;
            return 0;
        }
        if (command == "pack") return vrltool::runPack(args);
        if (command == "unpack") return vrltool::runUnpack(args);
        if (command == "list") return vrltool::runList(args);
        if (command == "form2text") return vrltool::runFormToText(args);
        if (command == "text2form") return vrltool::runTextToForm(args);
        if (command == "do-databaze") return vrltool::runToDatabase(args);
        if (command == "z-databaze") return vrltool::runFromDatabase(args);
        if (command == "kontrola") return vrltool::runCheck(args);
        throw vrltool::UsageError("Neznámý příkaz '" + command + "'");
    } catch (const vrltool::UsageError& e) {
        std::cerr << "vrltool: " << e.what() << "\nNápověda: 'vrltool --help'.\n";
    } catch (const std::exception& e) {
        std::cerr << "vrltool: " << e.what() << "\n";
    }
    return 1;
}
