#include "core/cp1250.h"
#include "core/headless_ui.h"
#include "core/path_mapper.h"
#include "report/model.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

using namespace vorlan;
using namespace vorlan::report;

namespace {

// A scratch folder mapped as drive T:, and message boxes answered by the test.
class ReportFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedDrives_ = pathMapper().drives();
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vorlan-report-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
        pathMapper().setDriveRoot('T', root);
        auto fake = std::make_unique<HeadlessUi>(&log);
        fake->setAnswer([this](const MessageBoxRequest& r) {
            messages.push_back(r.text);
            return answer;
        });
        savedUi_ = setUi(std::move(fake));
        paperSettings() = PaperSettings{};
    }
    void TearDown() override {
        setUi(std::move(savedUi_));
        pathMapper().clearDrives();
        for (const auto& [letter, path] : savedDrives_)
            pathMapper().setDriveRoot(letter, path);
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
        paperSettings() = PaperSettings{};
    }
    std::string read(const std::string& name) {
        std::ifstream in(root / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void write(const std::string& name, const std::string& bytes) {
        std::ofstream(root / name, std::ios::binary) << bytes;
    }

    std::filesystem::path root;
    std::vector<std::string> messages;
    MessageResult answer = MessageResult::Ok;
    std::ostringstream log;

private:
    std::map<char, std::filesystem::path> savedDrives_;
    std::unique_ptr<UiServices> savedUi_;
};

TEST_F(ReportFileTest, FileNameRules) {
    TSestava r;
    r.setReportName("FAKTURY.TXT");
    EXPECT_EQ(r.reportName(), "FAKTURY.pts");
    r.setReportName("C:\\A.B\\SESTAVA");
    EXPECT_EQ(r.reportName(), "C:\\A.B\\SESTAVA.pts");
    r.setReportName("sestava");
    r.setReportDir("T:\\PREDLOHY");
    EXPECT_EQ(r.reportDir(), "T:\\PREDLOHY\\");
    r.programDir = "T:\\PROGRAM";
    // At run time the template lives beside the running program, unless told otherwise.
    EXPECT_EQ(r.fullFileName(), "T:\\PROGRAM\\sestava.pts");
    r.designing = true;
    EXPECT_EQ(r.fullFileName(), "T:\\PREDLOHY\\sestava.pts");
    r.designing = false;
    r.reportDirIgnore = false;
    EXPECT_EQ(r.fullFileName(), "T:\\PREDLOHY\\sestava.pts");

    r.setReportAlias("DATA");
    EXPECT_EQ(r.reportDir(), "");
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(r.fullFileName(), "sestava.pts");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(
        messages[0],
        czech("Nelze použít alias, protože není definován zdroj dat nebo není typu TDBDataSet"));
    r.setReportDir("T:\\X\\");
    EXPECT_EQ(r.reportAlias(), "");
    EXPECT_EQ(r.reportDir(), "T:\\X\\");
}

TEST_F(ReportFileTest, LoadingReportsMissingFiles) {
    TSestava r;
    std::vector<int> errors;
    r.onError = [&](TSestava&, int code) {
        errors.push_back(code);
        return true;
    };
    EXPECT_FALSE(r.loadTemplate());
    EXPECT_EQ(messages.back(), czech("Není definována cesta a název souboru s předlohou."));

    r.setReportName("NOVA");
    r.programDir = "T:\\";
    EXPECT_FALSE(r.loadTemplate());
    // The file is named as this system knows it.
    EXPECT_EQ(messages.back(), czech("Nebyl nalezen soubor s předlohou tiskové sestavy \"") +
                                   (root / "NOVA.pts").string() + "\"");
    answer = MessageResult::No;
    EXPECT_FALSE(r.loadTemplate(true));
    EXPECT_FALSE(std::filesystem::exists(root / "NOVA.pts"));
    answer = MessageResult::Yes;
    EXPECT_TRUE(r.loadTemplate(true));
    EXPECT_TRUE(std::filesystem::exists(root / "NOVA.pts"));
    EXPECT_EQ(errors, (std::vector<int>{kSestNotPossible, kSestNotPossible, kSestNotPossible}));

    // A bad template leaves an error, and the event decides instead of the file when it is set.
    write("NOVA.pts", "T,1,0,0,0,10,10,Arial,10,99,0,0,0,1\r\n");
    EXPECT_FALSE(r.loadTemplate());
    bool asked = false;
    r.onNactiPredlohu = [&](TSestava& s) {
        asked = true;
        s.setPredloha({"I,0,\"Z udalosti\""});
        return true;
    };
    EXPECT_TRUE(r.loadTemplate());
    EXPECT_TRUE(asked);
    EXPECT_EQ(r.popis, "Z udalosti");
}

TEST_F(ReportFileTest, SavingKeepsOneBackup) {
    TSestava r;
    r.setReportName("FAKT");
    r.programDir = "T:\\";
    r.popis = "Prvni";
    ASSERT_TRUE(r.saveTemplate());
    const std::string first = read("FAKT.pts");
    EXPECT_EQ(first.substr(0, 15), "I,0,\"Prvni\"\r\nI,");
    EXPECT_FALSE(std::filesystem::exists(root / "FAKT.BAK"));
    r.popis = "Druha";
    ASSERT_TRUE(r.saveTemplate());
    r.popis = "Treti";
    ASSERT_TRUE(r.saveTemplate());
    EXPECT_EQ(read("FAKT.BAK").substr(0, 11), "I,0,\"Druha\"");
    EXPECT_EQ(read("FAKT.pts").substr(0, 11), "I,0,\"Treti\"");
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(root))
        ++files;
    EXPECT_EQ(files, 2u);

    // What was saved loads back to the same lines.
    TSestava again;
    again.setReportName("fakt.pts");
    again.programDir = "T:\\";
    int assigned = 0;
    again.onSetPredloha = [&](TSestava&) { ++assigned; };
    ASSERT_TRUE(again.loadTemplate());
    EXPECT_EQ(assigned, 1);
    EXPECT_EQ(again.templateLines(), r.templateLines());
    EXPECT_EQ(again.popis, "Treti");
}

TEST_F(ReportFileTest, PicturesAreLookedForBesideTheTemplate) {
    std::filesystem::create_directory(root / "PRED");
    write("PRED/LOGO.BMP", "BM");
    write("JINE.BMP", "BM");
    TSestava r;
    r.setReportName("S");
    r.programDir = "T:\\PRED";
    r.setPredloha({"K,11,0,0,0,10,10,,1,0,0,0,15,0,\"'chybi.bmp', 'logo.bmp'\""});
    EXPECT_EQ(r.section(kSectionEnd)->elements.at(0)->picturePath, "T:\\PRED\\logo.bmp");
    r.setPredloha({"K,11,0,0,0,10,10,,1,0,0,0,15,0,\"T:\\JINE.BMP\""});
    EXPECT_EQ(r.section(kSectionEnd)->elements.at(0)->picturePath, "T:\\JINE.BMP");
    // Written without its folder.
    EXPECT_EQ(r.templateLines().back(), "K,11,0,0,0,10,10,,1,0,0,0,15,0,\"JINE.BMP\"");
    std::vector<std::string> asked;
    r.onNactiObraz = [&](TSestava&, const std::string& name) {
        asked.push_back(name);
        return false;
    };
    r.setPredloha({"K,11,0,0,0,10,10,,1,0,0,0,15,0,\"a.bmp\""});
    EXPECT_EQ(asked, (std::vector<std::string>{"a.bmp", "T:\\PRED\\a.bmp"}));
    EXPECT_EQ(r.section(kSectionEnd)->elements.at(0)->picturePath, "");
}

} // namespace

namespace {

// A data source that knows database aliases.
class AliasReport : public TSestava {
public:
    AliasLookup aliasPath(const std::string& alias, std::string& path) override {
        if (alias != "FIRMA") return AliasLookup::Unknown;
        path = "T:\\FIRMA";
        return AliasLookup::Found;
    }
};

TEST_F(ReportFileTest, AliasesAndSavingUnderAnotherName) {
    AliasReport r;
    r.setReportName("KNIHA");
    r.programDir = "T:\\PROG\\";
    r.setReportAlias("FIRMA");
    EXPECT_EQ(r.fullFileName(), "T:\\FIRMA\\KNIHA.pts");
    r.setReportAlias("JINA");
    EXPECT_EQ(r.fullFileName(), "T:\\PROG\\KNIHA.pts");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], czech("Neznámý alias: JINA\rBude použito stand. nastavení"));

    // The headless dialog is cancelled: nothing is written.
    EXPECT_FALSE(r.saveTemplateAs());
    EXPECT_NE(log.str().find(cp1250ToUtf8(czech("Výběr souboru"))), std::string::npos);
    std::string offered;
    r.onUlozPredlohuJako = [&](TSestava& s, std::string& file) {
        offered = file;
        return !s.predloha().empty();
    };
    EXPECT_TRUE(r.saveTemplateAs());
    EXPECT_EQ(offered, "T:\\PROG\\KNIHA.pts");
}

} // namespace
