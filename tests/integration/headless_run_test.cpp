// Headless runs behave like desktop runs without a display: the program's form is shown, its
// OnShow and OnActivate run, Close ends the run, handlers named at run time fire, a failed script
// fails the batch with its own exit status, and print jobs say where they went.
#include "integration/process.h"
#include "needs_tool.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <unistd.h>

using namespace vorlan::testing;
namespace fs = std::filesystem;

namespace {

// xvfb-run on the search path, or empty.
std::string xvfbRun() {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const fs::path candidate = fs::path(folder) / "xvfb-run";
        if (!folder.empty() && ::access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
    return {};
}

// The desktop runtime on a virtual screen. The program must end by itself; the console then
// stays open with what it wrote until somebody closes it. The run is ended once the form's OnClose
// has saved the console (OUT.TXT beside the archive) and a moment has passed, or by the time-out
// (exit 124) when that never happens: long enough for a loaded machine to start the screen and
// run the program, no longer.
ProcessResult runOnDesktop(const TempDir& dir, const fs::path& archive) {
    const std::string saved = (archive.parent_path() / "OUT.TXT").string();
    const std::string untilSaved =
        "\"$@\" & p=$!; n=0; "
        "while [ $n -lt 120 ] && [ ! -s \"$0\" ]; do sleep 0.1; n=$((n+1)); done; "
        "sleep 0.5; kill $p 2>/dev/null; wait $p; [ -s \"$0\" ] || exit 124";
    return runProcess({"/usr/bin/env", "XDG_CONFIG_HOME=" + (dir / "config").string(),
                       "QT_QPA_PLATFORM=xcb", "timeout", "20", xvfbRun(), "-a", "-s",
                       "-screen 0 1024x768x24", "/bin/sh", "-c", untilSaved, saved, VORLAN_PATH,
                       archive.string()});
}

// OnShow prints, clicks a button through the script and closes the form; the form's OnClose
// keeps the console's text in OUT.TXT, which is how a desktop run's output can be compared.
const char* kShowProgram = R"(var
  clicks: Integer;

procedure Button1Click(Sender: Variant);
begin
  clicks := clicks + 1;
  Writeln('Kliknuto: ' + Sender.Name + ' ' + Str(clicks) + '×');
end;

procedure FormCreate(Sender: Variant);
begin
  Writeln('OnCreate ' + Sender.ClassName);
end;

procedure FormShow(Sender: Variant);
begin
  Writeln('OnShow ' + Form1.Caption);
  Button1.Click;
  Button1.Click;
  Writeln('Zavírám');
  Form1.Close;
end;

procedure FormActivate(Sender: Variant);
begin
  Writeln('OnActivate');
end;

procedure FormClose(Sender: Variant; var Action: Variant);
begin
  Writeln('OnClose');
  ConsoleSave('OUT.TXT');
end;

procedure main;
begin
  Writeln('main');
end;

begin
  clicks := 0;
end.
)";

const char* kShowForm = R"(object Form1: TForm1
  Width = 320
  Height = 160
  Caption = 'Přehled'
  OnCreate = FormCreate
  OnShow = FormShow
  OnActivate = FormActivate
  OnClose = FormClose
  object Button1: TButton
    Left = 16
    Top = 48
    Width = 100
    Height = 28
    Caption = 'Stiskni'
    OnClick = Button1Click
  end
end
)";

const char* kShowOutput = "main\n"
                          "OnCreate TForm1\n"
                          "OnShow Přehled\n"
                          "Kliknuto: Button1 1×\n"
                          "Kliknuto: Button1 2×\n"
                          "Zavírám\n"
                          "OnClose\n";

// The work happens in OnActivate and in a timer, which keeps the run alive until it closes the
// form.
const char* kTimerProgram = R"(var
  ticks: Integer;

procedure FormShow(Sender: Variant);
begin
  Writeln('OnShow');
end;

procedure FormActivate(Sender: Variant);
begin
  Writeln('OnActivate');
  Timer1.Enabled := True;
end;

procedure Timer1Timer(Sender: Variant);
begin
  ticks := ticks + 1;
  Writeln('tik ' + Str(ticks));
  if ticks = 3 then begin
    Timer1.Enabled := False;
    Form1.Close;
  end;
end;

procedure FormClose(Sender: Variant; var Action: Variant);
begin
  Writeln('OnClose');
  ConsoleSave('OUT.TXT');
end;

begin
  ticks := 0;
end.
)";

const char* kTimerForm = R"(object Form1: TForm1
  Caption = 'Časovač'
  OnShow = FormShow
  OnActivate = FormActivate
  OnClose = FormClose
  object Timer1: TTimer
    Enabled = False
    Interval = 30
    OnTimer = Timer1Timer
  end
end
)";

struct FormProgram {
    const char* name;
    const char* source;
    const char* form;
    std::string output;
};

void PrintTo(const FormProgram& program, std::ostream* out) {
    *out << program.name;
}

class SameAsDesktop : public ::testing::TestWithParam<FormProgram> {};

} // namespace

TEST_P(SameAsDesktop, HeadlessPrintsWhatTheDesktopPrints) {
    const FormProgram& program = GetParam();
    TempDir dir;
    const auto archive =
        packModule(dir, program.name, "MAIN.ZLM", program.source, ".zfm", program.form);
    // Each run in a folder of its own: a program works in the folder of its archive.
    const auto copyTo = [&](const std::string& folder) {
        fs::create_directories(dir / folder);
        fs::copy_file(archive, dir / folder / archive.filename());
        return dir / folder / archive.filename();
    };
    const fs::path headlessArchive = copyTo("headless");
    const ProcessResult headless = runVorlan({headlessArchive.string()});
    EXPECT_EQ(headless.exitCode, 0) << headless.err;
    EXPECT_EQ(headless.out, program.output) << headless.err;
    const std::string saved = readFile(headlessArchive.parent_path() / "OUT.TXT");
    EXPECT_FALSE(saved.empty());

    if (xvfbRun().empty()) VORLAN_SKIP_WITHOUT("xvfb-run is missing: the desktop run was left out");
    const fs::path desktopArchive = copyTo("desktop");
    const ProcessResult desktop = runOnDesktop(dir, desktopArchive);
    // On the desktop the console stays up with what the program wrote until somebody closes
    // it, so nobody closing it ends the run by the time-out (124).
    EXPECT_TRUE(desktop.exitCode == 0 || desktop.exitCode == 124) << desktop.err;
    EXPECT_EQ(readFile(desktopArchive.parent_path() / "OUT.TXT"), saved) << desktop.err;
}

INSTANTIATE_TEST_SUITE_P(
    Programs, SameAsDesktop,
    ::testing::Values(FormProgram{"ShowClicksAndCloses", kShowProgram, kShowForm, kShowOutput},
                      FormProgram{"ActivateAndTimer", kTimerProgram, kTimerForm,
                                  "OnShow\nOnActivate\ntik 1\ntik 2\ntik 3\nOnClose\n"}),
    [](const ::testing::TestParamInfo<FormProgram>& param) { return param.param.name; });

// With nothing left to happen (no timer, nothing pending) a form that stays open ends the run
// once its OnShow and OnActivate have run, as if the user had closed it.
TEST(HeadlessRun, AnOpenFormEndsTheRunOnceItsEventsHaveRun) {
    TempDir dir;
    const auto archive = packModule(
        dir, "OPEN", "MAIN.ZLM",
        "procedure FormShow(Sender: Variant);\nbegin\n  Writeln('show');\nend;\n\n"
        "procedure FormActivate(Sender: Variant);\nbegin\n  Writeln('activate');\nend;\n\n"
        "begin\nend.\n",
        ".zfm", "object Form1: TForm1\n  OnShow = FormShow\n  OnActivate = FormActivate\nend\n");
    const ProcessResult r = runVorlan({archive.string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "show\nactivate\n") << r.err;
}

// A button made by the script gets its handler by the procedure's name in every dialect, and
// reading the event gives the name back; an ownerless timer calls the script that named its
// handler.
TEST(HeadlessRun, HandlersAssignedByNameAtRunTimeFire) {
    TempDir dir;
    const std::string form = "object Form1: TForm1\n  OnShow = FormShow\nend\n";
    const auto pascal = packModule(dir, "PAS", "MAIN.ZLM", R"(var
  T: Variant;
  ticks: Integer;

procedure Klik(Sender: Variant);
begin
  Writeln('klik ' + Sender.Name);
end;

procedure Tik(Sender: Variant);
begin
  ticks := ticks + 1;
  if ticks = 2 then begin
    T.Enabled := False;
    Writeln('tik 2');
    Form1.Close;
  end;
end;

procedure FormShow(Sender: Variant);
var
  B: Variant;
begin
  B := TButton.Create(Form1);
  B.Name := 'Tlacitko';
  B.Parent := Form1;
  B.OnClick := 'Klik';
  Writeln('OnClick = ' + B.OnClick);
  B.Click;
  B.OnClick := nil;
  B.Click;
  Writeln('OnClick = "' + B.OnClick + '"');
  T := TTimer.Create(nil);
  T.Interval := 20;
  T.OnTimer := 'Tik';
  T.Enabled := True;
end;

begin
  ticks := 0;
end.
)",
                                   ".zfm", form);
    const ProcessResult p = runVorlan({pascal.string()});
    EXPECT_EQ(p.exitCode, 0) << p.err;
    EXPECT_EQ(p.out, "OnClick = Klik\nklik Tlacitko\nOnClick = \"\"\ntik 2\n") << p.err;

    const auto basic = packModule(dir, "BAS", "MAIN.PMB", R"(Sub Klik(Sender)
    Writeln "klik " & Sender.Name
End Sub

Sub FormShow(Sender)
    Dim B
    Set B = TButton.Create(Form1)
    B.Name = "Tlacitko"
    B.Parent = Form1
    B.OnClick = "Klik"
    Writeln "OnClick = " & B.OnClick
    B.Click
End Sub
)",
                                  ".pfm", form);
    const ProcessResult b = runVorlan({basic.string()});
    EXPECT_EQ(b.exitCode, 0) << b.err;
    EXPECT_EQ(b.out, "OnClick = Klik\nklik Tlacitko\n") << b.err;

    const auto js = packModule(dir, "JS", "MAIN.TRX", R"(function Klik(Sender) {
    Writeln('klik ' + Sender.Name);
}

function FormShow(Sender) {
    var B = TButton.Create(Form1);
    B.Name = 'Tlacitko';
    B.Parent = Form1;
    B.OnClick = 'Klik';
    Writeln('OnClick = ' + B.OnClick);
    B.Click();
}
)",
                               ".tfm", form);
    const ProcessResult j = runVorlan({js.string()});
    EXPECT_EQ(j.exitCode, 0) << j.err;
    EXPECT_EQ(j.out, "OnClick = Klik\nklik Tlacitko\n") << j.err;
}

// A failed script fails the batch with 3, whether it could not be compiled or stopped while
// running; other error messages keep 2, and a clean run 0.
TEST(HeadlessRun, ExitStatusTellsAFailedScriptFromOtherErrors) {
    TempDir dir;
    const struct {
        const char* name;
        const char* module;
        const char* source;
    } failing[] = {
        {"PASCOMPILE", "MAIN.ZLM",
         "procedure main;\nbegin\n  if 1 < 2\n    Writeln('x');\nend;\n"
         "\nbegin\nend.\n"},
        {"PASRUN", "MAIN.ZLM",
         "procedure main;\nvar a: Integer;\nbegin\n  Writeln('pred');\n  a := 0;\n"
         "  a := 10 div a;\n  Writeln('po');\nend;\n\nbegin\nend.\n"},
        {"BASCOMPILE", "MAIN.PMB", "Sub main\n  If 1 < 2\n    Writeln \"x\"\nEnd Sub\n"},
        {"BASRUN", "MAIN.PMB", "Sub main\n  Writeln \"pred\"\n  Err.Raise 5\nEnd Sub\n"},
        {"JSCOMPILE", "MAIN.TRX", "function main() {\n  Writeln('x';\n}\n"},
        {"JSRUN", "MAIN.TRX", "function main() {\n  Writeln('pred');\n  nothing.here();\n}\n"},
    };
    for (const auto& program : failing) {
        const auto archive = packModule(dir, program.name, program.module, program.source);
        const ProcessResult r = runVorlan({archive.string()});
        EXPECT_EQ(r.exitCode, 253) << program.name << "\n" << r.err;
        EXPECT_TRUE(contains(r.err, "[message] VORLAN: ")) << program.name << "\n" << r.err;
        if (contains(program.name, "RUN")) {
            EXPECT_EQ(r.out, "pred\n") << program.name;
        }
    }

    // A program that RunApp cannot start does not make its caller a failed run.
    const auto broken =
        packModule(dir, "BROKEN", "MAIN.ZLM",
                   "procedure main;\nbegin\n  RunApp('NOTES.TXT');\nend;\n\nbegin\nend.\n");
    const auto notes = dir.write("NOTES.TXT", "just text");
    runVrltool({"pack", (dir / "NOTES.VRL").string(), notes.string()});
    const ProcessResult other = runVorlan({broken.string()}, dir.path());
    EXPECT_EQ(other.exitCode, 0) << other.err;

    const auto fine = packModule(dir, "FINE", "MAIN.ZLM",
                                 "procedure main;\nbegin\n  Writeln('ok');\nend;\n\nbegin\nend.\n");
    const ProcessResult ok = runVorlan({fine.string()});
    EXPECT_EQ(ok.exitCode, 0) << ok.err;
    EXPECT_EQ(ok.out, "ok\n");
}

// Headless print jobs are never dropped without a word: each names its title and where it went.
TEST(HeadlessRun, PrintJobsAreLoggedWithTitleAndDestination) {
    TempDir dir;
    const auto archive =
        packModule(dir, "PRINT", "MAIN.ZLM",
                   "procedure main;\nbegin\n  Writeln('tisk');\n  ConsolePrint;\n  ConsolePrint;\n"
                   "end;\n\nbegin\nend.\n");
    const ProcessResult dropped = runVorlan({archive.string()});
    EXPECT_EQ(dropped.exitCode, 0) << dropped.err;
    const std::string line = "[print] Výstup - text: zahozeno (chybí --print-to)\n";
    EXPECT_EQ(dropped.err, line + line);

    const fs::path folder = dir / "pdf";
    const ProcessResult kept = runVorlan({"--print-to", folder.string(), archive.string()});
    EXPECT_EQ(kept.exitCode, 0) << kept.err;
    for (const char* file : {"print-001.pdf", "print-002.pdf"}) {
        EXPECT_TRUE(contains(kept.err, "[print] Výstup - text: " + (folder / file).string()))
            << kept.err;
        EXPECT_EQ(readFile(folder / file).rfind("%PDF", 0), 0u) << file;
    }
}

// A headless run makes its output windows only when the program needs them: what the program
// sees of them must not depend on when that is. A drawing made before the graphics window
// exists gets the size of the window's picture area, the console's text written before its
// window exists is all there when it prints, and the database window's switches start from
// the settings whether or not the window was made.
TEST(HeadlessRun, OutputWindowsMadeLateBehaveAsIfMadeAtStart) {
    TempDir dir;
    const auto archive = packModule(dir, "late", "MAIN.ZLM", R"(begin
  Writeln('před oknem');
  ImageLine(1, 1, 20, 20);
  Writeln(ImageGetMaxX, ' ', ImageGetMaxY);
  ConsoleForm(10, 10, 300, 200);
  ConsoleShow;
  ConsoleHide;
  DbfShow;
  DbfForm(5, 5, 400, 300);
  DbfHide;
  ImageShow;
  ImageInit(50, 40);
  Writeln(ImageGetMaxX, ' ', ImageGetMaxY);
  ConsoleSave('OUT.TXT');
end.
)");
    const ProcessResult r = runVorlan({archive.string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "před oknem\n323 277\n50 40\n") << r.err;
    EXPECT_EQ(readFile(dir / "OUT.TXT"), "p\xF8"
                                         "ed oknem\r\n323 277\r\n50 40\r\n");
}

// A headless run starts on the engine alone and loads the window library only when the program
// needs it: a runtime copied without the library runs a console program, and a program with a
// form fails with a Czech reason instead of running without it.
TEST(HeadlessRun, TheWindowLibraryLoadsOnlyForProgramsThatNeedIt) {
    TempDir dir;
    fs::create_directories(dir / "bin");
    const fs::path alone = dir / "bin" / "vorlan";
    fs::copy_file(VORLAN_PATH, alone);
    const auto console = packModule(dir, "KONZOLE", "MAIN.ZLM",
                                    "procedure main;\nbegin\n  Writeln(Copy('abcdef', 2, 3));\n"
                                    "end;\n\nbegin\nend.\n");
    const auto form = packModule(dir, "FORMULAR", "MAIN.ZLM", "begin\nend.\n", ".zfm",
                                 "object Form1: TForm1\n  Caption = 'F'\nend\n");

    const ProcessResult plain = runProcess({alone.string(), "--headless", console.string()});
    EXPECT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_EQ(plain.out, "bcd\n") << plain.err;

    const ProcessResult withForm = runProcess({alone.string(), "--headless", form.string()});
    EXPECT_EQ(withForm.exitCode, 252) << withForm.err;
    EXPECT_TRUE(contains(withForm.err, "nelze načíst knihovnu okenního rozhraní")) << withForm.err;

    // Beside the library both run.
    const ProcessResult built = runVorlan({form.string()});
    EXPECT_EQ(built.exitCode, 0) << built.err;
}
