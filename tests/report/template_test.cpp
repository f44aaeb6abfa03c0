#include "memory_record.h"

#include "core/cp1250.h"
#include "report/model.h"
#include "report/pts_format.h"

#include <gtest/gtest.h>

using namespace vorlan::report;
using namespace vorlan::report::testing;
using vorlan::czech;

namespace {

std::vector<std::string> cp1250Lines(std::initializer_list<const char*> utf8) {
    std::vector<std::string> out;
    for (const char* line : utf8)
        out.push_back(czech(line));
    return out;
}

class TemplateTest : public ::testing::Test {
protected:
    void SetUp() override {
        paperSettings() = PaperSettings{};
        record.fields = {{"CENA", true, "1"}, {"KS", true, "2"}, {"NAZEV", false, "x"}};
        report.setDataSource(&record);
    }
    void TearDown() override { paperSettings() = PaperSettings{}; }
    const TPrvekSestavy& element(std::int32_t section, std::size_t i) {
        return *report.section(section)->elements.at(i);
    }

    MemoryRecord record;
    TSestava report;
};

TEST(TemplateFields, QuotedAndPlainFields) {
    std::string_view rest = "a,\"b, c\",,\"x\"y,z";
    EXPECT_EQ(nextField(rest), "a");
    EXPECT_EQ(nextField(rest), "b, c");
    EXPECT_EQ(nextField(rest), "");
    EXPECT_EQ(nextField(rest), "xy"); // the quote ends quoting; what follows belongs to the field
    EXPECT_EQ(nextField(rest), "z");
    EXPECT_TRUE(rest.empty());
    EXPECT_EQ(nextField(rest), "");

    // A quote not at the start is text; inside quotes a quote followed by a comma ends the field.
    rest = "ab\"c,\"he said \"hi\", ok\"";
    EXPECT_EQ(nextField(rest), "ab\"c");
    EXPECT_EQ(nextField(rest), "he said hi\"");
    EXPECT_EQ(nextField(rest), " ok\"");
    rest = "\"unterminated, still";
    EXPECT_EQ(nextField(rest), "unterminated, still");

    EXPECT_EQ(intField("12"), 12);
    EXPECT_EQ(intField(" -3"), -3);
    EXPECT_EQ(intField("", 8), 8);
    EXPECT_EQ(intField("1x", 8), 8);
    EXPECT_EQ(intField("99999999999", 5), 5);
}

TEST_F(TemplateTest, TheDatabaseWindowExcerptReadsIntoItsModel) {
    report.setPredloha(cp1250Lines({
        "I,1,1,3",
        "I,2,0,826,1169,50,50,70,70",
        "I,3,0,1,72",
        "I,3,3,0,16",
        "Z,1,0,0,24,726,40,Times New Roman CE,24,0,1,2,15,1,\"…\"",
        "Z,5,0,78,0,64,20,Times New Roman CE,10,0,2,0,0,1,\"\"",
        "H,3,2,308,0,230,20,Arial CE,10,0,0,0,0,1",
        "H,7,0,0,48,726,3,,1,0,0,8,15,0",
        "T,2,2,308,0,230,20,Arial CE,10,0,0,0,0,1",
        "P,5,3,694,0,32,20,Times New Roman CE,10,0,2,1,0,1,\"\"",
    }));
    EXPECT_EQ(report.versionMajor, 1);
    EXPECT_EQ(report.versionMiddle, 3);
    EXPECT_EQ(report.versionMinor, 0);
    EXPECT_EQ(paperSettings(), PaperSettings{});
    EXPECT_EQ(report.columns, 1);
    EXPECT_EQ(report.columnGap, 0);
    EXPECT_TRUE(report.section(kSectionStart)->visible);
    EXPECT_EQ(report.section(kSectionStart)->height, 72);
    EXPECT_FALSE(report.section(kSectionEnd)->visible);
    EXPECT_EQ(report.section(kSectionEnd)->height, 16);

    const TPrvekSestavy& title = element(kSectionStart, 0);
    EXPECT_EQ(title.kind, kKindText);
    EXPECT_EQ(std::tie(title.left, title.top, title.width, title.height),
              std::make_tuple(0, 24, 726, 40));
    EXPECT_EQ(title.font, (ReportFont{"Times New Roman CE", 24, 0, kFontBold, 1}));
    EXPECT_EQ(title.alignment, kAlignCenter);
    EXPECT_EQ(title.lineFlags, kLineLeft | kLineTop | kLineRight | kLineBottom);
    EXPECT_EQ(title.text, czech("…"));

    const TPrvekSestavy& date = element(kSectionStart, 1);
    EXPECT_EQ(date.kind, kKindVariable);
    EXPECT_EQ(date.parameter, kVarPrintDate);
    EXPECT_EQ(date.font.style, kFontItalic);
    EXPECT_EQ(date.text, "");

    const TPrvekSestavy& label = element(kSectionHead, 0);
    EXPECT_EQ(label.kind, kKindFieldTitle);
    EXPECT_EQ(label.parameter, 2);
    EXPECT_EQ(label.name, "");
    const TPrvekSestavy& line = element(kSectionHead, 1);
    EXPECT_EQ(line.kind, kKindLine);
    EXPECT_EQ(line.lineFlags, kLineBottom);
    EXPECT_EQ(line.lineWidth, 1);
    EXPECT_EQ(line.lineColour, 0u);
    EXPECT_EQ(line.lineStyle, 0);
    EXPECT_EQ(line.fillColour, 0xFFFFFFu);
    EXPECT_EQ(element(kSectionBody, 0).kind, kKindField);

    const TPrvekSestavy& page = element(kSectionFoot, 0);
    EXPECT_EQ(page.parameter, kVarPageNumber); // below 4: not moved by the old numbering
    EXPECT_EQ(page.alignment, kAlignRight);
}

// A template as the designer writes it, with every kind of record.
std::vector<std::string> designerTemplate() {
    return cp1250Lines({
        "I,0,\"Faktury\"",
        "I,1,4,0,0",
        "I,2,1,826,1169,40,45,60,65,3,10,0",
        "I,3,0,1,72,1",
        "I,3,1,1,40,0",
        "I,3,2,1,20,1",
        "I,3,3,0,16,0",
        "I,3,4,1,30",
        "I,4,0,1,1,25,1,20,1",
        "I,4,1,2,0,10,1,15,0",
        "I,5,77",
        "I,6,1,8,16,0,1",
        "F,0,Suma,\"Celkem za fakturu\",0,\"0\",2,\"#CENA*#KS\",2,15,2,3",
        "F,1,Nazev,\"Název, velkými\",1,\"\",0,\"UPPER(#NAZEV)\",0,20,0,2",
        "Z,1,0,0,24,726,40,Times New Roman CE,24,0,1,2,15,1,\"Přehled, faktur\",0",
        "Z,5,0,78,0,64,20,Times New Roman CE,10,0,2,0,0,1,\"\",0",
        "H,3,NAZEV,308,0,230,20,Arial CE,10,0,0,0,0,1,\"\",0",
        "H,7,0,0,48,726,3,,1,0,0,8,15,0",
        "T,2,1,308,0,230,20,Arial CE,10,9,1,113,0,238,\"\",2",
        "T,6,Suma,600,0,100,20,Arial CE,10,0,0,1,0,1,\"\",0",
        "T,15,0,0,20,726,10",
        "K,8,8,0,0,100,50,,3,4,0,15,12,1",
        "K,11,0,0,0,100,100,,1,0,2,48,15,0,\"logo.bmp\"",
        "P,5,3,694,0,32,20,Times New Roman CE,10,0,2,1,0,1,\"Strana %d\",0",
        "S0,2,0,0,0,100,20,Arial CE,10,0,1,0,0,1,\"\",0",
        "U0,6,1,0,0,100,20,Arial CE,10,0,0,0,0,1,\"\",0",
        "S1,1,0,0,0,100,20,Arial CE,10,0,0,0,0,1,\"Skupina\",0",
        "D0,I,0,\"Položky\"",
        "D0,I,1,4,0,0",
        "D0,I,2,1,826,1169,40,45,60,65,1,0,0",
        "D0,I,3,0,0,0,0",
        "D0,I,3,1,0,0,0",
        "D0,I,3,2,1,20,0",
        "D0,I,3,3,0,0,0",
        "D0,I,3,4,0,0",
        "D0,I,5,0",
        "D0,I,6,0,8,8,0,1",
        "D0,T,2,0,0,0,300,20,Arial CE,10,0,0,0,0,1,\"\",0",
    });
}

TEST_F(TemplateTest, DesignerTemplatesRoundTrip) {
    report.addDetail();
    const std::vector<std::string> lines = designerTemplate();
    report.setPredloha(lines);
    EXPECT_EQ(report.templateLines(), lines);

    // What was read, in the model's terms.
    EXPECT_EQ(report.popis, "Faktury");
    EXPECT_EQ(paperSettings(), (PaperSettings{1, 826, 1169, 40, 45, 60, 65}));
    EXPECT_EQ(report.columns, 3);
    EXPECT_EQ(report.section(kSectionBody)->columns, 3);
    EXPECT_TRUE(report.pageBreakAfterStart);
    EXPECT_FALSE(report.noHeadOnFirstPage);
    EXPECT_TRUE(report.newBodyOnNewPage);
    EXPECT_FALSE(report.pageBreakBeforeEnd);
    ASSERT_EQ(report.groups().count(), 2);
    EXPECT_EQ(report.groups().name(1), "Skupina 2");
    EXPECT_EQ(report.groups().item(1)->field, 2);
    EXPECT_EQ(report.groups().item(0)->start->index, 5);
    EXPECT_EQ(report.groups().item(1)->end->index, 8);
    EXPECT_EQ(report.groups().item(1)->end->height2, 50);
    EXPECT_EQ(report.setting5, 77);
    EXPECT_FLOAT_EQ(report.cellWidth, 8.3333f);
    EXPECT_FLOAT_EQ(report.cellHeight, 16.6667f);
    ASSERT_EQ(report.functions().count(), 2);
    EXPECT_EQ(report.functions().item(1)->definition().description, czech("Název, velkými"));
    EXPECT_EQ(element(kSectionHead, 0).parameter, 2);
    EXPECT_EQ(element(kSectionHead, 0).name, "NAZEV");
    EXPECT_EQ(element(kSectionBody, 1).parameter, 0);
    EXPECT_EQ(element(kSectionBody, 0).font.colour, 0x0000FFu);
    EXPECT_EQ(element(kSectionBody, 0).textFlags,
              kTextWordWrap | kTextJustify | kTextVariableHeight);
    EXPECT_EQ(element(kSectionEnd, 0).parameter, kKindRectangle);
    EXPECT_EQ(report.section(groupStartSection(1))->elements.size(), 1u);

    const TSestDetail& detail = *report.detail(0);
    EXPECT_EQ(detail.popis, czech("Položky"));
    EXPECT_EQ(detail.section(kSectionBody)->elements.size(), 1u);
    EXPECT_EQ(detail.masterSestava(), &report);
}

TEST_F(TemplateTest, OldVersionsAndPaperWithoutSize) {
    // 1.x.2: the page count was not there yet, so variable 4 is the row in group.
    report.setPredloha(
        {"I,1,1,0,2", "T,5,4,0,0,10,10,Arial,10,0,0,0,0,1", "T,5,3,0,0,10,10,Arial,10,0,0,0,0,1"});
    EXPECT_EQ(element(kSectionBody, 0).parameter, kVarRowInGroup);
    EXPECT_EQ(element(kSectionBody, 1).parameter, kVarPageNumber);
    report.setPredloha({"I,1,1,0,3", "T,5,4,0,0,10,10,Arial,10,0,0,0,0,1"});
    EXPECT_EQ(element(kSectionBody, 0).parameter, kVarPageCount);

    // Major version 0 stores no paper size: the margins follow the orientation.
    report.setPredloha({"I,1,0,0,0", "I,2,1,11,12,13,14,2"});
    EXPECT_EQ(paperSettings(), (PaperSettings{1, 826, 1169, 11, 12, 13, 14}));
    EXPECT_EQ(report.columns, 2);
    // Labels need at least one column.
    report.setPredloha({"I,2,0,826,1169,1,1,1,1,0"});
    EXPECT_EQ(report.columns, 1);
    // The writer always writes the current version.
    EXPECT_EQ(report.templateLines().at(1), "I,1,4,0,0");
}

TEST_F(TemplateTest, CharacterRaster) {
    report.setPredloha({"I,5,1"});
    EXPECT_EQ(report.charMode, 0);
    EXPECT_EQ(std::tie(report.rasterX, report.rasterY), std::make_tuple(8, 8));
    report.setPredloha({"I,6,0,-3,12"});
    EXPECT_EQ(std::tie(report.rasterX, report.rasterY), std::make_tuple(8, 12));
    EXPECT_EQ(report.cellWidth, 0);
    report.setPredloha({"I,6,1,8,8,2,2"});
    EXPECT_EQ(report.charMode, 1);
    EXPECT_FLOAT_EQ(report.cellWidth, 6.0f);
    EXPECT_FLOAT_EQ(report.cellHeight, 33.3333f);
    EXPECT_EQ(std::tie(report.rasterX, report.rasterY), std::make_tuple(6, 33));
    // A choice outside the lists takes the default instead of an empty cell.
    report.setPredloha({"I,6,1,8,8,7,9"});
    EXPECT_FLOAT_EQ(report.cellWidth, 8.3333f);
    EXPECT_FLOAT_EQ(report.cellHeight, 16.6667f);
    report.setPredloha({"I,6,2"});
    EXPECT_EQ(report.charMode, 0);
}

TEST_F(TemplateTest, ElementRules) {
    report.setPredloha({
        "F,0,Suma,\"\",0,\"0\",0,\"1\",0,15,2,2",
        "F,7,Dph,\"\",0,\"0\",0,\"2\",0,15,2,2",
        "T,2,KS,0,0,10,10,Arial,10,0,0,0,0,1",
        "T,2,ZRUSENA,0,0,10,10,Arial,10,0,0,0,0,1",
        "T,2,7,0,0,10,10,Arial,10,0,0,0,0,1",
        "T,6,dph,0,0,10,10,Arial,10,0,0,0,0,1",
        "T,6,Nic,0,0,10,10,Arial,10,0,0,0,0,1",
        "T,1,abc,0,0,10,10,Arial,-50,0,0,0,0,1",
        "T,7,0,0,0,10,10,,-4,0,3,0,15,0",
        "T,7,0,0,0,10,10,,2,0,3,0,15,0",
        "T,7,0,0,0,10,10,,1,0,3,0,,0",
        "T,10,0,0,0,10,10,,1,0,0,64,15,0",
        "T,13,0,1,2,3,4",
        "T,15,1,5,6,7,8",
    });
    EXPECT_EQ(report.functions().count(), 2);
    EXPECT_EQ(element(kSectionBody, 0).parameter, 1);
    // A field that no longer exists refers to field 0 but keeps its name for writing.
    EXPECT_EQ(element(kSectionBody, 1).parameter, 0);
    EXPECT_EQ(element(kSectionBody, 1).name, "ZRUSENA");
    EXPECT_EQ(element(kSectionBody, 2).parameter, 0); // only three fields
    EXPECT_EQ(element(kSectionBody, 3).parameter, 1);
    EXPECT_EQ(element(kSectionBody, 4).parameter, 0);
    EXPECT_EQ(element(kSectionBody, 5).parameter, 0);
    EXPECT_EQ(element(kSectionBody, 5).font.size, 36); // 50 hundredths of an inch
    EXPECT_EQ(element(kSectionBody, 6).lineWidth, 1);
    EXPECT_EQ(element(kSectionBody, 6).lineStyle, 3);
    EXPECT_EQ(element(kSectionBody, 7).lineStyle, 0);
    EXPECT_EQ(element(kSectionBody, 8).fillColour, 0xFFFFFFu);
    EXPECT_EQ(element(kSectionBody, 9).parameter, kKindEllipse);

    const std::vector<std::string> written = report.templateLines();
    auto has = [&](const std::string& line) {
        return std::find(written.begin(), written.end(), line) != written.end();
    };
    EXPECT_TRUE(has("T,2,ZRUSENA,0,0,10,10,Arial,10,0,0,0,0,1,\"\",0"));
    EXPECT_TRUE(has("T,6,dph,0,0,10,10,Arial,10,0,0,0,0,1,\"\",0"));
    EXPECT_TRUE(has("T,1,abc,0,0,10,10,Arial,36,0,0,0,0,1,\"\",0"));
    EXPECT_TRUE(has("T,15,1,5,6,7,8"));
    EXPECT_FALSE(has("T,13,0,1,2,3,4"));

    // Without a data source the number of fields is unknown, and the index stays.
    TSestava bare;
    bare.setPredloha({"T,2,7,0,0,10,10,Arial,10,0,0,0,0,1"});
    EXPECT_EQ(bare.section(kSectionBody)->elements.at(0)->parameter, 7);
}

TEST_F(TemplateTest, RangeErrorsAbortReading) {
    EXPECT_THROW(report.setPredloha({"T,1,0,0,0,10,10,Arial,10,16,0,0,0,1"}), TemplateError);
    EXPECT_THROW(report.setPredloha({"T,1,0,0,0,10,10,Arial,10,0,0,0,0,256"}), TemplateError);
    EXPECT_THROW(report.setPredloha({"T,7,0,0,0,10,10,,1,0,0,0,-1,0"}), TemplateError);
    EXPECT_EQ(indexOfColour(0x123456), 0);
    EXPECT_EQ(indexOfColour(0xFFFF00), 14);
}

TEST_F(TemplateTest, DetailsAndGroups) {
    TSestDetail& detail = report.addDetail();
    report.setPredloha({
        "I,2,0,826,1169,50,50,70,70",
        "I,4,1,0,1,10,1,10,0",
        "I,4,1,2,1,10,1,10,0", // a second group 1 is not a group of its own
        "I,4,-1,0,1,10,1,10,0",
        "S1,1,0,0,0,10,10,Arial,10,0,0,0,0,1,\"s\",0",
        "D0,I,2,0,100,100,1,1,1,1",
        "D0,H,1,0,0,0,10,10,Arial,10,0,0,0,0,1,\"head\",0",
        "D0,P,1,0,0,0,10,10,Arial,10,0,0,0,0,1,\"foot\",0",
        "D0,T,1,0,0,0,10,10,Arial,10,0,0,0,0,1,\"body\",0",
        "D1,T,1,0,0,0,10,10,Arial,10,0,0,0,0,1,\"nobody\",0",
        "X",
        "Q,1,2",
    });
    ASSERT_EQ(report.groups().count(), 1);
    EXPECT_EQ(report.groups().item(0)->number, 1);
    EXPECT_EQ(report.groups().name(0), "Skupina 2");
    EXPECT_EQ(report.section(groupStartSection(1))->elements.at(0)->text, "s");
    // A detail has no head or foot of its own, and prints on its master's paper.
    EXPECT_TRUE(detail.section(kSectionHead)->elements.empty());
    EXPECT_TRUE(detail.section(kSectionFoot)->elements.empty());
    EXPECT_EQ(detail.section(kSectionBody)->elements.at(0)->text, "body");
    EXPECT_EQ(paperSettings(), PaperSettings{});
    EXPECT_EQ(detail.predloha().size(), 4u);
}

TEST_F(TemplateTest, DescriptionIsKeptWhenTheTemplateHasNone) {
    report.popis = "Stary";
    report.setPredloha({"I,0,\"\""});
    EXPECT_EQ(report.popis, "Stary");
    report.setPredloha({"I,0,\"" + std::string(70, 'x') + "\""});
    EXPECT_EQ(report.popis.size(), 64u);
}

} // namespace
