// Helper for the interoperability test: writes a table with this engine, or dumps any table as
// UTF-8 lines that interop.py prints the same way.

#include "core/cp1250.h"
#include "dbf/table.h"
#include "dbf/xbase_text.h"

#include <cstdio>
#include <iostream>
#include <string>

using namespace vorlan::dbf;

namespace {

std::string escape(const std::string& s) {
    std::string out;
    for (const char c : s) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '|')
            out += "\\p";
        else
            out += c;
    }
    return out;
}

int dump(const char* path) {
    auto t = Table::open(path, {.readOnly = true});
    for (t->goTop(); !t->eof(); t->skip()) {
        std::string line = t->deleted() ? "*" : "";
        for (int f = 0; f < t->fieldCount(); ++f) {
            if (f) line += '|';
            const FieldInfo& fi = t->field(f);
            switch (fi.type) {
            case 'N':
            case 'F': {
                char buf[64];
                std::snprintf(buf, sizeof buf, "%.2f", t->getNumber(f));
                line += buf;
                break;
            }
            case 'D':
                line += std::string(trimRight(dateToDtos(t->getDate(f))));
                break;
            case 'L':
                line += t->getLogical(f) ? "T" : "F";
                break;
            case 'M':
                line += escape(vorlan::cp1250ToUtf8(t->getMemo(f)));
                break;
            default:
                line += escape(vorlan::cp1250ToUtf8(std::string(trimRight(t->getString(f)))));
            }
        }
        std::cout << line << '\n';
    }
    return 0;
}

int write(const char* path, TableFlavor flavor) {
    auto t = Table::create(
        path, {{"NAME", 'C', 20}, {"QTY", 'N', 8, 2}, {"BORN", 'D'}, {"OK", 'L'}, {"NOTE", 'M'}},
        {.flavor = flavor});
    const std::string big(70000, 'z');
    for (int i = 1; i <= 4; ++i) {
        t->append();
        t->setString(0, vorlan::czech("Příliš žluťoučký ") + std::to_string(i));
        t->setNumber(1, i * 12.25 - 20);
        if (i != 3) t->setDate(2, julianFromYmd(1990 + i, i, 10 + i));
        t->setLogical(3, i % 2 == 0);
        t->setMemo(4, i == 2 ? big : vorlan::czech("poznámka ") + std::to_string(i) + "\r\nline");
        if (i == 4) t->deleteRecord();
    }
    t->close();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: dbf_interop_tool dump|write|write-db3|write-vfp TABLE\n";
        return 2;
    }
    try {
        const std::string mode = argv[1];
        if (mode == "dump") return dump(argv[2]);
        if (mode == "write") return write(argv[2], TableFlavor::FoxPro);
        if (mode == "write-db3") return write(argv[2], TableFlavor::DBase3);
        if (mode == "write-vfp") return write(argv[2], TableFlavor::VisualFoxPro);
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
    return 2;
}
