// Every message a user of a Czech program reads is Czech: run-time and conversion errors in
// each dialect, errors of the data, of archives and of batch reports. The check looks for
// English words in what the runtime prints; the texts that have always been English ("Error
// format file ") are left out of it.
#include "integration/process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <sstream>

using namespace vorlan::testing;
namespace fs = std::filesystem;

namespace {

// Words of English messages that no Czech text holds.
const char* const kEnglishWords[] = {
    "the",       "is",     "not",      "cannot", "invalid",  "error",    "found",      "locked",
    "another",   "valid",  "division", "zero",   "overflow", "expected", "mismatch",   "range",
    "bounds",    "file",   "table",    "record", "damaged",  "too",      "short",      "missing",
    "unknown",   "failed", "must",     "value",  "integer",  "object",   "property",   "defined",
    "statement", "of",     "at",       "offset", "beyond",   "callable", "identifier", "format",
    "read",      "write",  "open"};

// Texts the runtime keeps in English on purpose, and the names of things.
const char* const kKeptTexts[] = {"Error format file ", "VORLAN", "MAIN.ZLM", "MAIN.PMB",
                                  "MAIN.TRX"};

// The English words of `text` outside single quotes (quoted parts are names and keywords).
std::vector<std::string> englishWords(std::string text) {
    for (const char* kept : kKeptTexts)
        for (auto at = text.find(kept); at != std::string::npos; at = text.find(kept))
            text.erase(at, std::string(kept).size());
    std::vector<std::string> found;
    bool quoted = false;
    std::string word;
    const auto flush = [&] {
        std::string lower = word;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        for (const char* english : kEnglishWords)
            if (!quoted && lower == english) found.push_back(word);
        word.clear();
    };
    for (const char c : text) {
        if (std::isalpha(static_cast<unsigned char>(c))) {
            word += c;
            continue;
        }
        flush();
        if (c == '\'') quoted = !quoted;
    }
    flush();
    return found;
}

// The lines of what the user saw: message boxes, the runtime's own lines and what the
// program printed of its errors.
void expectCzech(const std::string& what, const std::string& shown) {
    std::istringstream lines(shown);
    for (std::string line; std::getline(lines, line);) {
        const auto words = englishWords(line);
        EXPECT_TRUE(words.empty()) << what << ": English in \"" << line << "\": " << words[0];
    }
}

} // namespace

TEST(CzechMessages, TheCheckSeesEnglish) {
    EXPECT_EQ(englishWords("Division by zero").size(), 2u);
    EXPECT_EQ(englishWords("'abc' is not a valid integer value").size(), 5u);
    EXPECT_TRUE(englishWords("Dělení nulou").empty());
    EXPECT_TRUE(englishWords("Očekáváno 'End'").empty());
    EXPECT_TRUE(englishWords("Error format file NOPE.VRL").empty());
}

TEST(CzechMessages, RunTimeAndConversionErrorsOfEveryDialect) {
    TempDir dir;
    // Errors a program catches itself: their messages are what it prints.
    const auto pascal = packModule(dir, "PASCAL", "MAIN.ZLM", R"(uses SysUtils;
var Zero, N, K: Integer; X: Double; A: Variant; L: TStringList;

procedure Provoke(Kind: Integer);
begin
  try
    if Kind = 1 then N := 10 div Zero;
    if Kind = 2 then X := 1 / X;
    if Kind = 3 then N := StrToInt('abc');
    if Kind = 4 then X := StrToFloat('1,2,3');
    if Kind = 5 then X := StrToDate('32.13.2020');
    if Kind = 6 then X := EncodeDate(2020, 13, 1);
    if Kind = 7 then Writeln(Format('%d', ['x']));
    if Kind = 8 then Writeln(Format('%d %d', [1]));
    if Kind = 9 then begin A := Array1Create(0, 2); Writeln(A[7]); end;
    if Kind = 10 then begin L := TStringList.Create; L.LoadFromFile('NENI.TXT'); end;
    if Kind = 11 then Writeln(StrToBool('možná'));
  except
    on E: Exception do Writeln(E.Message);
  end;
end;

procedure main;
begin
  Zero := 0;
  X := 0;
  for K := 1 to 11 do Provoke(K);
  N := 1 div Zero;
end;

begin
end.
)");
    const ProcessResult p = runVorlan({pascal.string()}, dir.path());
    EXPECT_EQ(p.exitCode, 253) << p.err;
    EXPECT_GE(std::count(p.out.begin(), p.out.end(), '\n'), 11) << p.out;
    expectCzech("Pascal", p.out + p.err);

    const auto basic = packModule(dir, "BASIC", "MAIN.PMB", R"(Sub main
  On Error Resume Next
  x = 1 / 0
  Writeln Err.Description
  Err.Clear
  x = CInt("abc")
  Writeln Err.Description
  Err.Clear
  Nic 1
  Writeln Err.Description
  Err.Clear
  Set o = Nothing
  o.Neco
  Writeln Err.Description
  Err.Clear
  Dim a(2)
  a(7) = 1
  Writeln Err.Description
  Err.Clear
  On Error GoTo 0
  x = 1 \ 0
End Sub
)");
    const ProcessResult b = runVorlan({basic.string()}, dir.path());
    EXPECT_EQ(b.exitCode, 253) << b.err;
    expectCzech("Basic", b.out + b.err);

    for (const char* source : {"function main() {\n  Writeln('pred');\n  nothing.here();\n}\n",
                               "function main() {\n  var o;\n  o.neco();\n}\n",
                               "function main() {\n  Writeln('x';\n}\n"}) {
        const auto js = packModule(dir, "JS", "MAIN.TRX", source);
        const ProcessResult j = runVorlan({js.string()}, dir.path());
        EXPECT_EQ(j.exitCode, 253) << j.err;
        expectCzech("JavaScript", j.err);
    }

    const auto compile =
        packModule(dir, "COMPILE", "MAIN.PMB", "Sub main\n  If 1 < 2\n    x = 1\nEnd Sub\n");
    const ProcessResult c = runVorlan({compile.string()}, dir.path());
    EXPECT_EQ(c.exitCode, 253) << c.err;
    expectCzech("Basic compile", c.err);
}

TEST(CzechMessages, ArchiveDataAndReportErrors) {
    TempDir dir;
    const auto good =
        packModule(dir, "GOOD", "MAIN.ZLM", "procedure main;\nbegin\nend;\n\nbegin\nend.\n");
    dir.write("CUT.VRL", readFile(good).substr(0, 150));
    dir.write("TEXT.VRL", "jen text, žádný archiv\n");
    for (const char* archive : {"CUT.VRL", "TEXT.VRL", "NENI.VRL", ""}) {
        const ProcessResult r = runVorlan({(dir / archive).string()}, dir.path());
        EXPECT_EQ(r.exitCode, 251) << archive << r.err;
        expectCzech(archive, r.err);
    }

    dir.write("T.PTS", "I,1,4,0,0\r\nT,2,0,0,0,300,20,Arial,10,0,0,0,0,238,\"\",0\r\n");
    dir.write("KRATKA.DBF", std::string("\x03\x7A\x01\x01\x05\0\0\0", 8));
    // A header length of 0xFFFF and an unknown field type.
    std::string header(32, '\0');
    header[0] = 3;
    header[8] = header[9] = '\xFF';
    header[10] = 11;
    std::string field(32, '\0');
    field[0] = 'A';
    field[11] = 'C';
    field[16] = 10;
    dir.write("HLAVA.DBF", header + field + "\x0D\x1A");
    header[8] = 65;
    header[9] = 0;
    field[11] = 'Z';
    dir.write("TYP.DBF", header + field + "\x0D\x1A");
    for (const char* data : {"NENI.DBF", "KRATKA.DBF", "DATA.TXT", "HLAVA.DBF", "TYP.DBF"}) {
        const ProcessResult r =
            runVorlan({"--report", (dir / "T.PTS").string(), "--data", (dir / data).string(),
                       "--print-to", (dir / "x.pdf").string()});
        EXPECT_EQ(r.exitCode, 252) << data << r.err;
        // Engine texts reach the terminal as UTF-8, never as Windows-1250 read as UTF-8.
        EXPECT_EQ(r.err.find("Ă"), std::string::npos) << r.err;
        expectCzech(data, r.err);
    }

    // A table the program reads fields of that it does not have, and writes to read-only.
    const auto data = packModule(dir, "DATA", "MAIN.ZLM", R"(var T: Variant;
procedure main;
begin
  T := TDataTable.Create(nil);
  T.TableName := 'NENI.DBF';
  T.Open;
end;

begin
end.
)");
    const ProcessResult d = runVorlan({data.string()}, dir.path());
    EXPECT_NE(d.exitCode, 0) << d.err;
    expectCzech("data", d.err);

    // The archive tool speaks Czech too.
    const ProcessResult tool = runProcess({VRLTOOL_PATH, "list", (dir / "CUT.VRL").string()});
    EXPECT_NE(tool.exitCode, 0);
    expectCzech("vrltool", tool.err);
}
