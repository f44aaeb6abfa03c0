#include "archive_test_util.h"

#include "core/cp1250.h"
#include "core/headless_ui.h"
#include "core/version.h"
#include "script/archive/archive_writer.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

namespace vorlan::archive {
namespace {

using test::archiveHead;
using test::putInt32;
using test::putShort;
using test::ScratchFolder;
using test::setInt32;

const std::string kForm("TPF0\x05"
                        "TForm\x05"
                        "Form1\0\0",
                        18);

// An archive assembled byte by byte, so the reader is checked against the layout and not against
// our own writer: the second entry lies after a gap, reached only through the "next" pointer.
struct HandBuilt {
    std::string bytes;
    std::size_t entry1 = 0, entry2 = 0, form = 0, source1 = 0, source2 = 0;

    HandBuilt() {
        bytes = archiveHead("2.04 - 31/12/2000");
        putInt32(bytes, 3);
        bytes += "IDE";
        putInt32(bytes, 0); // no project
        putInt32(bytes, 2);
        entry1 = bytes.size();
        const std::string name1 = scrambleText("MAIN.ZLM", kNameKey);
        const std::string name2 = scrambleText("DATA.PMB", kNameKey);
        entry2 = entry1 + 1 + name1.size() + 16 + 5;
        form = entry2 + 1 + name2.size() + 16;
        const std::string& formBytes = kForm;
        source1 = form + formBytes.size();

        putShort(bytes, name1);
        putInt32(bytes, static_cast<std::int32_t>(form));
        putInt32(bytes, static_cast<std::int32_t>(formBytes.size()));
        putInt32(bytes, static_cast<std::int32_t>(source1));
        putInt32(bytes, static_cast<std::int32_t>(entry2));
        bytes += "GAP!!";
        putShort(bytes, name2);
        putInt32(bytes, 0);
        putInt32(bytes, 0);
        const std::size_t source2At = bytes.size() + 4; // patched below
        putInt32(bytes, 0);
        putInt32(bytes, -1); // the last entry's next is never followed
        bytes += formBytes;

        // Three pad bytes shift every line key by three.
        putInt32(bytes, 3);
        bytes += '\x03';
        bytes += "pad";
        const std::string lines[] = {"procedure Main", "", utf8ToCp1250("  x := 'žluťoučký'")};
        for (std::size_t i = 0; i < 3; ++i)
            putShort(bytes, scrambleText(lines[i], lineKey(i, 3)));
        source2 = bytes.size();
        setInt32(bytes, source2At - 4, static_cast<std::int32_t>(source2));
        putInt32(bytes, 0);
        bytes += '\0';
    }
};

class ProgramArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto recorder = std::make_unique<HeadlessUi>(&log_);
        recorder->setAnswer([this](const MessageBoxRequest& r) {
            messages_.push_back(r);
            return MessageResult::Ok;
        });
        previous_ = setUi(std::move(recorder));
    }
    void TearDown() override {
        closeProgramArchive();
        setUi(std::move(previous_));
    }

    std::ostringstream log_;
    std::vector<MessageBoxRequest> messages_;
    std::unique_ptr<UiServices> previous_;
    ScratchFolder folder_;
};

TEST_F(ProgramArchiveTest, ReadsAHandBuiltArchive) {
    HandBuilt a;
    folder_.write("prog.vrl", a.bytes);
    // The extension is replaced and the letter case of the host file does not matter.
    ASSERT_TRUE(readProgramArchive((folder_.path() / "prog.exe").string()));
    EXPECT_TRUE(messages_.empty());
    EXPECT_TRUE(programArchiveOpen());

    char expected[64];
    std::snprintf(expected, sizeof expected, "%8zu%8zu%8zu", a.form, kForm.size(), a.source1);
    EXPECT_EQ(archiveLookup("main.zlm"), expected);
    ASSERT_EQ(archiveDirectory().size(), 2u);
    EXPECT_TRUE(archiveDirectory()[0].starts_with("DATA.PMB*       0       0"));
    EXPECT_EQ(archiveDirectory()[1], "MAIN.ZLM*" + std::string(expected));

    EXPECT_EQ(readArchiveModuleSource("C:\\PROG\\Main.zlm"),
              (std::vector<std::string>{"procedure Main", "", utf8ToCp1250("  x := 'žluťoučký'")}));
    EXPECT_EQ(readArchiveModuleForm("MAIN.ZLM"), kForm);
    EXPECT_EQ(readArchiveModuleSource("DATA.PMB"), std::vector<std::string>{});
    EXPECT_EQ(readArchiveModuleForm("data.pmb"), std::string());
    EXPECT_EQ(readArchiveModuleSource("OTHER.ZLM"), std::nullopt);
    EXPECT_EQ(readArchiveModuleForm("OTHER.ZLM"), std::nullopt);

    closeProgramArchive();
    EXPECT_FALSE(programArchiveOpen());
    EXPECT_TRUE(archiveDirectory().empty());
    EXPECT_EQ(readArchiveModuleSource("MAIN.ZLM"), std::nullopt);
}

TEST_F(ProgramArchiveTest, LookupMatchesWholeUpperCaseNamesOnly) {
    ArchiveContents c;
    c.projectStream = "";
    for (const char* name :
         {"ZETA.ZLM", "lower.zlm", "Beta.PMB", "MAIN.ZLMX", "MAIN.ZLM", "\xC8\xC1ST.BAS"})
        c.modules.push_back({name, {name}, {}});
    ASSERT_TRUE(readProgramArchiveFromBytes(writeProgramArchive(c), "TEST.VRL"));

    std::vector<std::string> names;
    for (const auto& item : archiveDirectory())
        names.push_back(item.substr(0, item.find('*')));
    // Sorted without regard to case; Č (0xC8) sorts after the ASCII letters by its byte.
    EXPECT_EQ(names, (std::vector<std::string>{"Beta.PMB", "lower.zlm", "MAIN.ZLM", "MAIN.ZLMX",
                                               "ZETA.ZLM", "\xC8\xC1ST.BAS"}));

    EXPECT_EQ(readArchiveModuleSource("main.zlm"), std::vector<std::string>{"MAIN.ZLM"});
    EXPECT_EQ(readArchiveModuleSource("C:\\A\\B/main.zlmx"), std::vector<std::string>{"MAIN.ZLMX"});
    EXPECT_EQ(readArchiveModuleSource("\xE8\xE1st.bas"),
              std::vector<std::string>{"\xC8\xC1ST.BAS"});
    // Entries not stored in upper case are out of reach whatever the caller writes.
    EXPECT_EQ(archiveLookup("lower.zlm"), "");
    EXPECT_EQ(archiveLookup("Beta.PMB"), "");
    EXPECT_EQ(archiveLookup("MAIN"), "");
    EXPECT_EQ(archiveLookup(""), "");
}

TEST_F(ProgramArchiveTest, WrongMagicIsToldAndRefused) {
    HandBuilt a;
    a.bytes[7] = 'X';
    folder_.write("Prog.VRL", a.bytes);
    const std::string name = (folder_.path() / "Prog.vrl").string();
    EXPECT_FALSE(readProgramArchive(name));
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, "Error format file " + upperCase(name));
    EXPECT_EQ(messages_[0].caption, "Upozorn\xECn\xED");
    EXPECT_EQ(messages_[0].icon, MessageIcon::Error);
    EXPECT_EQ(messages_[0].buttons, ButtonOk);
    EXPECT_FALSE(programArchiveOpen());
}

TEST_F(ProgramArchiveTest, MissingOrShortFilesFailSilently) {
    EXPECT_FALSE(readProgramArchive((folder_.path() / "none").string()));
    EXPECT_FALSE(readProgramArchive("Q:\\UNMAPPED\\PROG.EXE"));
    EXPECT_FALSE(readProgramArchiveFromBytes("FENWAR", "X"));
    // The magic is there but the version text is cut off.
    EXPECT_FALSE(
        readProgramArchiveFromBytes(std::string(kArchiveMagic) + std::string(20, '\0'), "X"));
    EXPECT_TRUE(messages_.empty());
    // A failed read leaves no trace of the archive read before.
    ASSERT_TRUE(readProgramArchiveFromBytes(HandBuilt().bytes, "OK"));
    EXPECT_FALSE(readProgramArchiveFromBytes("", "X"));
    EXPECT_TRUE(archiveDirectory().empty());
}

TEST_F(ProgramArchiveTest, OtherVersionIsWarnedAboutButRead) {
    ArchiveContents c;
    c.versionText = "2.03 - 01/02/1999 (Y)";
    c.modules.push_back({"MAIN.ZLM", {"x"}, {}});
    c.projectStream = "";
    ASSERT_TRUE(readProgramArchiveFromBytes(writeProgramArchive(c), "OLD.VRL"));
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].caption, applicationTitle());
    EXPECT_EQ(messages_[0].icon, MessageIcon::Warning);
    EXPECT_EQ(messages_[0].buttons, ButtonOk);
    EXPECT_EQ(messages_[0].text,
              "Pozor, nesouhlas\xED verze RunTime:\n\nVyvoj      :2.03 - 01/02/1999\n"
              "RunTime:2.04 - 31/12/2000 (X)");
    EXPECT_EQ(readArchiveModuleSource("MAIN.ZLM"), std::vector<std::string>{"x"});

    // Only the number counts: another date is no reason to warn.
    messages_.clear();
    c.versionText = "2.04 - 01/01/2001";
    ASSERT_TRUE(readProgramArchiveFromBytes(writeProgramArchive(c), "NEW.VRL"));
    EXPECT_TRUE(messages_.empty());
}

// Each case damages the hand-built archive; reading must end in an ArchiveError that says what
// is wrong, either when the directory is read or when the module is.
struct Damage {
    const char* what;
    std::function<void(HandBuilt&)> apply;
    const char* message;
    bool atModule; // the directory reads fine, the module does not
};

TEST_F(ProgramArchiveTest, DamagedArchivesThrowClearErrors) {
    const std::vector<Damage> cases = {
        {"cut inside the directory", [](HandBuilt& a) { a.bytes.resize(a.entry1 + 20); },
         "položka adresáře 1 přesahuje konec", false},
        {"cut before the count", [](HandBuilt& a) { a.bytes.resize(140); }, "počet modulů", false},
        {"block 1 too long", [](HandBuilt& a) { setInt32(a.bytes, 128, 0x7FFFFFF0); },
         "blok 1 má mít", false},
        {"negative block 1", [](HandBuilt& a) { setInt32(a.bytes, 128, -4); }, "blok 1 má mít",
         false},
        {"negative project", [](HandBuilt& a) { setInt32(a.bytes, 135, -1); }, "projekt má mít",
         false},
        {"huge count", [](HandBuilt& a) { setInt32(a.bytes, 139, 0x7FFFFFFF); },
         "víc, než se do souboru vejde", false},
        {"negative count", [](HandBuilt& a) { setInt32(a.bytes, 139, -2); }, "modulů, víc, než",
         false},
        {"next beyond the end", [](HandBuilt& a) { setInt32(a.bytes, a.entry2 - 5 - 4, 1 << 30); },
         "položka adresáře 2 leží za koncem souboru", false},
        {"next before the start", [](HandBuilt& a) { setInt32(a.bytes, a.entry2 - 5 - 4, -100); },
         "položka adresáře 2 leží před začátkem", false},
        {"entry chain loops",
         [](HandBuilt& a) {
             setInt32(a.bytes, 139, 3);
             setInt32(a.bytes, a.form - 4, static_cast<std::int32_t>(a.entry1));
         },
         "položka adresáře 3 je znovu položka 1", false},
        {"source beyond the end",
         [](HandBuilt& a) { setInt32(a.bytes, a.entry2 - 5 - 8, 1 << 30); },
         "zdrojový text modulu MAIN.ZLM leží za", true},
        {"huge line count", [](HandBuilt& a) { setInt32(a.bytes, a.source1, 0x7FFFFFFF); },
         "má mít 2147483647 řádků", true},
        {"negative line count", [](HandBuilt& a) { setInt32(a.bytes, a.source1, -1); },
         "má mít -1 řádků", true},
        {"line past the end", [](HandBuilt& a) { a.bytes.resize(a.source2 - 2); },
         "řádek 3 přesahuje konec", true},
        {"lines missing", [](HandBuilt& a) { setInt32(a.bytes, a.source1, 10); },
         "končí před řádkem", true},
        {"form beyond the end", [](HandBuilt& a) { setInt32(a.bytes, a.entry2 - 5 - 12, 1 << 20); },
         "formulář modulu MAIN.ZLM (1048576 B", true},
        {"negative form size", [](HandBuilt& a) { setInt32(a.bytes, a.entry2 - 5 - 12, -15); },
         "formulář modulu MAIN.ZLM (-15 B", true},
    };
    for (const Damage& d : cases) {
        SCOPED_TRACE(d.what);
        HandBuilt a;
        d.apply(a);
        try {
            ASSERT_TRUE(readProgramArchiveFromBytes(a.bytes, "BAD.VRL"));
            ASSERT_TRUE(d.atModule);
            readArchiveModuleSource("MAIN.ZLM");
            readArchiveModuleForm("MAIN.ZLM");
            FAIL() << "no error";
        } catch (const ArchiveError& e) {
            EXPECT_NE(std::string(e.what()).find("Archiv programu BAD.VRL je poškozen: "),
                      std::string::npos);
            EXPECT_NE(std::string(e.what()).find(d.message), std::string::npos) << e.what();
            if (!d.atModule) {
                EXPECT_FALSE(programArchiveOpen());
            }
        }
    }
}

TEST_F(ProgramArchiveTest, TheDamagedArchiveIsNamedByItsFile) {
    HandBuilt a;
    a.bytes.resize(a.entry1 + 20);
    const auto path = folder_.write("BAD.VRL", a.bytes);
    try {
        readProgramArchive(path.string());
        FAIL() << "no error";
    } catch (const ArchiveError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Archiv programu " + path.string() +
                      " je poškozen: položka adresáře 1 přesahuje konec souboru");
    }
}

} // namespace
} // namespace vorlan::archive
