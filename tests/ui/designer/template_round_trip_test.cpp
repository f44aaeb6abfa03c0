// Opening a template and saving it without a change gives back the very bytes that were read,
// whatever record order, missing fields or line ends it had; a change writes the designer's
// record order.

#include "core/cp1250.h"
#include "ui/qt/designer/designer_document.h"

#include "designer_test_support.h"

#include <QAction>
#include <QTest>

#include <algorithm>
#include <cctype>

namespace vorlan::qt::test {
namespace {

std::vector<std::filesystem::path> testTemplates() {
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(TESTS_DIR)) {
        if (!entry.is_regular_file()) continue;
        std::string extension = entry.path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (extension == ".pts") found.push_back(entry.path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

class TemplateRoundTrip : public DesignerFixture {
protected:
    // Copies `bytes` in as NAME.PTS and opens the designer on it.
    void openBytes(const std::string& bytes) {
        {
            std::ofstream out(dir_ / "NAME.PTS", std::ios::binary);
            out << bytes;
        }
        report_.setReportName("NAME.PTS");
        ASSERT_TRUE(report_.loadTemplate());
        open();
    }
    void save() { window_->action(QStringLiteral("SaveButton"))->trigger(); }
    std::string saved() { return readBytes(dir_ / "NAME.PTS"); }
};

TEST_F(TemplateRoundTrip, EveryTemplateOfTheTestDataSavesUnchangedByteForByte) {
    const std::vector<std::filesystem::path> templates = testTemplates();
    ASSERT_GE(templates.size(), 2u);
    for (const std::filesystem::path& file : templates) {
        SCOPED_TRACE(file.string());
        const std::string bytes = readBytes(file);
        openBytes(bytes);
        save();
        EXPECT_EQ(saved(), bytes);
        EXPECT_TRUE(ui_->messages.empty());
    }
}

TEST_F(TemplateRoundTrip, OddLineEndsAndRecordsSurviveAnUnchangedSave) {
    // Line feeds only, no final line end, an unknown record, a short version record.
    const std::string bytes = "I,0,\"Odd\"\nI,1,1,3\nX,whatever\nT,2,0,0,0,100,20,Arial,10,0,0,"
                              "0,0,238\nI,3,2,1,20";
    openBytes(bytes);
    save();
    EXPECT_EQ(saved(), bytes);
}

TEST_F(TemplateRoundTrip, AChangeUndoneBeforeSavingLeavesTheBytesAsTheyWere) {
    const std::string bytes = readBytes(std::filesystem::path(REPORTS_DIR) / "ROWS.PTS");
    openBytes(bytes);
    window_->document().setSelection({report_.section(2)->elements[0].get()});
    window_->document().moveSelection(8, 0);
    window_->action(QStringLiteral("UndoButton"))->trigger();
    save();
    EXPECT_EQ(saved(), bytes);
}

TEST_F(TemplateRoundTrip, AChangedTemplateIsWrittenInTheDesignersRecordOrder) {
    const std::string bytes = readBytes(std::filesystem::path(REPORTS_DIR) / "GROUPED.PTS");
    openBytes(bytes);
    window_->document().setSelection({report_.section(2)->elements[0].get()});
    window_->document().moveSelection(8, 0);
    save();
    const std::string written = saved();
    ASSERT_NE(written, bytes);
    std::vector<std::string> kinds;
    std::size_t start = 0;
    while (start < written.size()) {
        const std::size_t end = written.find("\r\n", start);
        ASSERT_NE(end, std::string::npos) << "every line ends with CR LF";
        const std::string line = written.substr(start, end - start);
        const std::string kind = line.substr(0, line.find(','));
        if (kinds.empty() || kinds.back() != kind) kinds.push_back(kind);
        start = end + 2;
    }
    EXPECT_EQ(kinds, (std::vector<std::string>{"I", "F", "Z", "H", "T", "K", "P", "S0", "U0"}));
    EXPECT_NE(written.find("T,2,1,13,2,290,16,"), std::string::npos);
    // Saved again without a change: the same bytes once more.
    save();
    EXPECT_EQ(saved(), written);
}

} // namespace
} // namespace vorlan::qt::test
