// do-databaze and z-databaze: a folder's tables copied into a database and back.

#include "tool.h"

#include "core/cp1250.h"
#include "dbf/file.h"
#include "pgsql/transfer.h"

#include <iostream>

namespace vrltool {

namespace {

struct TransferArguments {
    std::string from;
    std::string to;
    bool overwrite = false;
};

TransferArguments transferArguments(const std::vector<std::string>& args, const char* usage) {
    TransferArguments out;
    std::vector<std::string> positional;
    for (const auto& a : args) {
        if (a == "--prepsat")
            out.overwrite = true;
        else if (a.rfind("--", 0) == 0)
            throw UsageError("Neznámý přepínač '" + a + "'");
        else
            positional.push_back(a);
    }
    if (positional.size() != 2) throw UsageError(usage);
    out.from = positional[0];
    out.to = positional[1];
    return out;
}

void print(const vorlan::pgsql::TransferReport& report) {
    for (const auto& line : report.lines)
        std::cout << "  " << line << "\n";
    std::cout << "Zkopírováno tabulek: " << report.tables << ", záznamů: " << report.records
              << "\n";
}

} // namespace

int runToDatabase(const std::vector<std::string>& args) {
    const auto a = transferArguments(args, "do-databaze potřebuje SLOŽKU a adresu databáze");
    try {
        print(vorlan::pgsql::importFolder(a.from, a.to, a.overwrite));
    } catch (const vorlan::dbf::DbfError& e) {
        throw std::runtime_error(vorlan::cp1250ToUtf8(e.what()));
    }
    return 0;
}

int runFromDatabase(const std::vector<std::string>& args) {
    const auto a = transferArguments(args, "z-databaze potřebuje adresu databáze a SLOŽKU");
    try {
        print(vorlan::pgsql::exportDatabase(a.from, a.to, a.overwrite));
    } catch (const vorlan::dbf::DbfError& e) {
        throw std::runtime_error(vorlan::cp1250ToUtf8(e.what()));
    }
    return 0;
}

} // namespace vrltool
