#include "core/cp1250.h"
#include "report/design/template_wizard.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vorlan::report {
namespace {

constexpr std::int32_t kA4Printable = 726;

std::vector<WizardField> threeFields() {
    return {
        {0, "CISLO", czech("Číslo"), 5, kAlignRight},
        {1, "NAZEV", czech("Název zboží"), 20, kAlignLeft},
        {2, "CENA", "Cena", 10, kAlignRight},
    };
}

struct Box {
    std::int32_t kind, left, top, width, height;
    bool operator==(const Box&) const = default;
};

std::vector<Box> boxes(const TSestavaTyp& report, std::int32_t section) {
    std::vector<Box> out;
    for (const auto& e : report.section(section)->elements)
        out.push_back({e->kind, e->left, e->top, e->width, e->height});
    return out;
}

void expectSection(const TSestavaTyp& report, std::int32_t index, bool visible,
                   std::int32_t height) {
    const TOddilSestavy* s = report.section(index);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->visible, visible) << sectionLetter(index);
    EXPECT_EQ(s->height, height) << sectionLetter(index);
}

TEST(TemplateWizard, ColumnStylePlacesHeadingTitlesFieldsAndPageNumber) {
    TSestavaTyp report;
    report.popis = "Zbozi";
    generateTemplate(report, threeFields(), WizardStyle::Columns, {}, kA4Printable,
                     DesignerSettings{});
    EXPECT_EQ(report.popis, "Zbozi");

    // Start: the title across the printable width, the date at the right edge, its label
    // left of it.
    EXPECT_EQ(boxes(report, kSectionStart), (std::vector<Box>{{kKindText, 0, 40, 726, 40},
                                                              {kKindVariable, 654, 0, 72, 20},
                                                              {kKindText, 598, 0, 56, 20}}));
    const auto& start = report.section(kSectionStart)->elements;
    EXPECT_EQ(start[0]->text, czech("Nadpis sestavy"));
    EXPECT_EQ(start[0]->font, (ReportFont{"Times New Roman CE", 24, 0, kFontBold, 1}));
    EXPECT_EQ(start[0]->alignment, kAlignCenter);
    EXPECT_EQ(start[1]->parameter, kVarPrintDate);
    EXPECT_EQ(start[1]->font.size, 10);
    EXPECT_EQ(start[1]->font.style, kFontItalic);
    EXPECT_EQ(start[2]->text, "Datum:");
    EXPECT_EQ(start[2]->font.style, kFontItalic);

    // Columns: 5, 20 and 10 characters of 8 hundredths, 8 apart; titles and fields share them.
    const std::vector<Box> titles{{kKindFieldTitle, 0, 0, 40, 20},
                                  {kKindFieldTitle, 48, 0, 160, 20},
                                  {kKindFieldTitle, 216, 0, 80, 20},
                                  {kKindLine, 0, 20, 726, 3}};
    EXPECT_EQ(boxes(report, kSectionHead), titles);
    std::vector<Box> fields = titles;
    for (int i = 0; i < 3; ++i)
        fields[static_cast<std::size_t>(i)].kind = kKindField;
    EXPECT_EQ(boxes(report, kSectionBody), fields);
    for (std::int32_t section : {kSectionHead, kSectionBody}) {
        const auto& elements = report.section(section)->elements;
        for (int i = 0; i < 3; ++i) {
            const TPrvekSestavy& e = *elements[static_cast<std::size_t>(i)];
            EXPECT_EQ(e.parameter, i);
            EXPECT_TRUE(e.name.empty());
            EXPECT_EQ(e.font, ReportFont{});
        }
        EXPECT_EQ(elements[0]->alignment, kAlignRight);
        EXPECT_EQ(elements[1]->alignment, kAlignLeft);
        EXPECT_EQ(elements[3]->lineFlags, kLineBottom);
    }

    // Foot: the label right-aligned, the page number right of it.
    EXPECT_EQ(boxes(report, kSectionFoot),
              (std::vector<Box>{{kKindText, 598, 8, 96, 20}, {kKindVariable, 694, 8, 32, 20}}));
    const auto& foot = report.section(kSectionFoot)->elements;
    EXPECT_EQ(foot[0]->text, czech("Stránka číslo:"));
    EXPECT_EQ(foot[0]->alignment, kAlignRight);
    EXPECT_EQ(foot[0]->font.style, kFontItalic);
    EXPECT_EQ(foot[1]->parameter, kVarPageNumber);

    expectSection(report, kSectionStart, true, 96);
    expectSection(report, kSectionHead, true, 28);
    expectSection(report, kSectionBody, true, 28);
    expectSection(report, kSectionEnd, false, 16);
    expectSection(report, kSectionFoot, true, 32);
    EXPECT_EQ(report.groups().count(), 0);
    EXPECT_TRUE(report.section(kSectionEnd)->elements.empty());

    // What was generated is a template that reads back as itself.
    const auto lines = report.templateLines();
    TSestavaTyp reread;
    reread.setPredloha(lines);
    EXPECT_EQ(reread.templateLines(), lines);
}

TEST(TemplateWizard, OptionsAndNewElementFontShapeTheColumns) {
    DesignerSettings settings;
    settings.newFontName = "Courier New CE";
    settings.newFontSize = 12;
    settings.newFontStyle = kFontBold;
    settings.newFontColor = 9;
    WizardOptions options;
    options.fieldsByName = true;
    options.titlesAsText = true;
    TSestavaTyp report;
    generateTemplate(report, threeFields(), WizardStyle::Columns, options, 500, settings);

    // 12 points: characters of 9.6 hundredths, rows 24 high.
    const auto& head = report.section(kSectionHead)->elements;
    ASSERT_EQ(head.size(), 4u);
    EXPECT_EQ(head[1]->kind, kKindText);
    EXPECT_EQ(head[1]->text, czech("Název zboží"));
    EXPECT_EQ(head[1]->left, 56);
    EXPECT_EQ(head[1]->width, 192);
    EXPECT_EQ(head[1]->height, 24);
    EXPECT_EQ(head[3]->width, 500);
    EXPECT_EQ(head[1]->font, (ReportFont{"Courier New CE", 12, 0x0000FF, kFontBold, 1}));
    const auto& body = report.section(kSectionBody)->elements;
    EXPECT_EQ(body[2]->kind, kKindField);
    EXPECT_EQ(body[2]->name, "CENA");
    EXPECT_EQ(body[2]->parameter, 2);
    EXPECT_EQ(report.section(kSectionBody)->height, 32);
    // A field referred to by name is written by name.
    const auto lines = report.templateLines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.rfind("T,2,CENA,", 0) == 0; }));

    // Without titles the page head stays empty and hidden; a long title no longer widens.
    options.fieldTitles = false;
    generateTemplate(report, threeFields(), WizardStyle::Columns, options, 500, settings);
    EXPECT_TRUE(report.section(kSectionHead)->elements.empty());
    EXPECT_FALSE(report.section(kSectionHead)->visible);
    EXPECT_EQ(report.section(kSectionBody)->elements[0]->width, 48);
    EXPECT_EQ(report.section(kSectionBody)->elements.size(), 4u);
}

TEST(TemplateWizard, RowStylePutsEveryFieldOnItsOwnLine) {
    TSestavaTyp report;
    generateTemplate(report, threeFields(), WizardStyle::Rows, {}, kA4Printable,
                     DesignerSettings{});
    // Titles in one column as wide as the longest ("Název zboží", 11 characters), values
    // after it.
    EXPECT_EQ(boxes(report, kSectionBody), (std::vector<Box>{{kKindFieldTitle, 0, 0, 88, 20},
                                                             {kKindField, 96, 0, 40, 20},
                                                             {kKindFieldTitle, 0, 20, 88, 20},
                                                             {kKindField, 96, 20, 160, 20},
                                                             {kKindFieldTitle, 0, 40, 88, 20},
                                                             {kKindField, 96, 40, 80, 20},
                                                             {kKindLine, 0, 60, 726, 3}}));
    EXPECT_EQ(report.section(kSectionBody)->elements[0]->alignment, kAlignLeft);
    EXPECT_EQ(report.section(kSectionBody)->elements[1]->alignment, kAlignRight);
    expectSection(report, kSectionBody, true, 68);
    EXPECT_TRUE(report.section(kSectionHead)->elements.empty());
    EXPECT_FALSE(report.section(kSectionHead)->visible);
    expectSection(report, kSectionStart, true, 96);
    expectSection(report, kSectionFoot, true, 32);
}

TEST(TemplateWizard, DetailReportTakesTitlesIntoItsStartWithoutHeadOrFoot) {
    TSestavaTyp master;
    TSestDetail& detail = master.addDetail();
    generateTemplate(detail, threeFields(), WizardStyle::Columns, {}, kA4Printable,
                     DesignerSettings{});
    const auto& start = detail.section(kSectionStart)->elements;
    ASSERT_EQ(start.size(), 4u);
    EXPECT_EQ(start[0]->kind, kKindFieldTitle);
    EXPECT_EQ(start[2]->left, 216);
    EXPECT_EQ(start[3]->kind, kKindLine);
    expectSection(detail, kSectionStart, true, 28);
    expectSection(detail, kSectionBody, true, 28);
    EXPECT_FALSE(detail.section(kSectionHead)->visible);
    EXPECT_FALSE(detail.section(kSectionFoot)->visible);
    EXPECT_TRUE(detail.section(kSectionHead)->elements.empty());
    EXPECT_TRUE(detail.section(kSectionFoot)->elements.empty());
}

TEST(TemplateWizard, NoFieldsLeavesAnEmptyDefinition) {
    TSestavaTyp report;
    report.addGroup(0);
    report.functions().add();
    report.section(kSectionBody)->addElement(&report);
    generateTemplate(report, {}, WizardStyle::Columns, {}, kA4Printable, DesignerSettings{});
    EXPECT_EQ(report.sections().size(), 5u);
    EXPECT_EQ(report.groups().count(), 0);
    EXPECT_EQ(report.functions().count(), 0);
    for (const auto& s : report.sections())
        EXPECT_TRUE(s->elements.empty());
}

} // namespace
} // namespace vorlan::report
