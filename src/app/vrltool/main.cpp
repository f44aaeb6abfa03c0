// vrltool: packs, unpacks and inspects program archives (.VRL) outside the runtime.

#include "tool.h"

#include <exception>
#include <iostream>

namespace {

constexpr const char* kUsage = R"(Usage: vrltool COMMAND ...

  pack OUT.VRL [--version TEXT] [--pad N] [--project FILE.ZPR] ITEM...
      Builds an archive. ITEMs are files in project order; modules (*.ZLM, *.PMB, *.TRX,
      *.VBE, *.JSE, *.BAS) go into the directory with their form beside them (*.zfm, *.pfm,
      *.tfm, binary or text form). Other ITEMs become project items only. With --project the
      project comes from that file (binary or text form) and ITEMs give only the modules.
      Sources are Windows-1250; UTF-8 files are converted. --version sets the 17-character
      version text (default "2.04 - 31/12/2000"), --pad the pad bytes per source (default 7).
  pack OUT.VRL --from DIR [--version TEXT] [--pad N]
      Rebuilds an archive from a folder written by unpack.
  unpack IN.VRL DIR
      Writes each module source (Windows-1250, CRLF after every line), each form and the
      project (project.zpr) as text form, and vrltool.ini for pack --from.
  list IN.VRL
      Shows the version text, the project items and the directory.
  form2text IN OUT
  text2form IN OUT
      Converts a form (or any component stream) between binary and text form (UTF-8).
  --help
      Shows this text.

Exit code 0 on success, 1 on any error.
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
        throw vrltool::UsageError("Unknown command '" + command + "'");
    } catch (const vrltool::UsageError& e) {
        std::cerr << "vrltool: " << e.what() << "\nTry 'vrltool --help'.\n";
    } catch (const std::exception& e) {
        std::cerr << "vrltool: " << e.what() << "\n";
    }
    return 1;
}
