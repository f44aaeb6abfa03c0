#include "report/rtf/rtf_reader.h"

#include "core/cp1250.h"

#include <gtest/gtest.h>

#include <string>

namespace vorlan::report {
namespace {

std::string textOf(std::string_view rtf) {
    return readRtf(rtf).document.plainText();
}

TEST(RtfReader, CharacterPropertiesSplitRunsAndGroupsRestoreThem) {
    const auto result = readRtf(
        R"({\rtf1\ansi\deff0{\fonttbl{\f0\fswiss\fcharset238 Arial CE;}{\f1\froman Times New Roman;}})"
        R"(\pard\plain\f0\fs20 Prosty {\b tucny {\i a sikmy}} \ul podtrzeny\ulnone  {\f1\fs32 velky}\par})");
    ASSERT_TRUE(result.ok()) << result.message();
    ASSERT_EQ(result.document.paragraphs.size(), 1u);
    const auto& runs = result.document.paragraphs[0].runs;
    ASSERT_EQ(runs.size(), 7u);
    EXPECT_EQ(runs[0].text, "Prosty ");
    EXPECT_EQ(runs[0].format.fontName, "Arial CE");
    EXPECT_EQ(runs[0].format.halfPoints, 20);
    EXPECT_FALSE(runs[0].format.bold);
    EXPECT_EQ(runs[1].text, "tucny ");
    EXPECT_TRUE(runs[1].format.bold);
    EXPECT_FALSE(runs[1].format.italic);
    EXPECT_EQ(runs[2].text, "a sikmy");
    EXPECT_TRUE(runs[2].format.bold && runs[2].format.italic);
    EXPECT_EQ(runs[3].text, " "); // the group closed: bold is off again
    EXPECT_FALSE(runs[3].format.bold);
    EXPECT_EQ(runs[4].text, "podtrzeny");
    EXPECT_TRUE(runs[4].format.underline);
    EXPECT_EQ(runs[5].text, " ");
    EXPECT_EQ(runs[6].text, "velky");
    EXPECT_EQ(runs[6].format.fontName, "Times New Roman");
    EXPECT_EQ(runs[6].format.halfPoints, 32);
}

TEST(RtfReader, FontTableWithoutInnerGroupsAndUnknownFontNumbers) {
    const auto doc =
        readRtf(R"({\rtf1{\fonttbl\f0\fmodern Courier New;\f3\fnil   Symbol ;}\f3 a\f7 b\f0 c})")
            .document;
    ASSERT_EQ(doc.paragraphs.size(), 1u);
    const auto& runs = doc.paragraphs[0].runs;
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].format.fontName, "Symbol");
    EXPECT_EQ(runs[1].format.fontName, ""); // not in the table: the element's font
    EXPECT_EQ(runs[2].format.fontName, "Courier New");
}

TEST(RtfReader, ColourTableGivesBgrColoursAndAutomaticEntries) {
    const auto doc =
        readRtf(
            R"({\rtf1{\colortbl;\red255\green0\blue0;\red0\green128\blue255;}\cf1 r\cf2 b\cf0 a\cf9 x})")
            .document;
    const auto& runs = doc.paragraphs.at(0).runs;
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[0].format.colour, 0x0000FFu);
    EXPECT_EQ(runs[1].format.colour, 0xFF8000u);
    EXPECT_FALSE(runs[2].format.colour.has_value());
    EXPECT_FALSE(runs[3].format.colour.has_value()); // out of the table
}

TEST(RtfReader, ParagraphPropertiesAreTakenAtTheParagraphMark) {
    const auto doc = readRtf(R"({\rtf1\pard\qc\li720\ri360\fi-180 Nadpis\par)"
                             R"(\pard\qj Text\par\pard Konec\line Dalsi\par\qr{\fs40\par}})")
                         .document;
    ASSERT_EQ(doc.paragraphs.size(), 5u);
    EXPECT_EQ(doc.paragraphs[0].alignment, RtfAlignment::Center);
    EXPECT_EQ(doc.paragraphs[0].leftIndent, 720);
    EXPECT_EQ(doc.paragraphs[0].rightIndent, 360);
    EXPECT_EQ(doc.paragraphs[0].firstIndent, -180);
    EXPECT_EQ(doc.paragraphs[1].alignment, RtfAlignment::Justify);
    EXPECT_EQ(doc.paragraphs[1].leftIndent, 0);
    EXPECT_EQ(doc.paragraphs[2].text(), "Konec");
    EXPECT_EQ(doc.paragraphs[3].text(), "Dalsi");
    // An empty paragraph keeps the size of its mark.
    EXPECT_TRUE(doc.paragraphs[4].runs.empty());
    EXPECT_EQ(doc.paragraphs[4].alignment, RtfAlignment::Right);
    EXPECT_EQ(doc.paragraphs[4].mark.halfPoints, 40);
}

TEST(RtfReader, EscapesAndSpecialCharacters) {
    EXPECT_EQ(
        textOf(R"({\rtf1 \'8ae\'9dk\'e1 \{x\} a\\b\tab c\~d \ldblquote q\rdblquote  e\-f g\_h})"),
        czech("Šeťká {x} a\\b\tc d \"q\" ef g-h"));
    // Line ends in the source are not text; an escaped line end ends the paragraph.
    EXPECT_EQ(textOf("{\\rtf1 one\r\ntwo\\\nthree}"), "onetwo\r\nthree");
    // A bad or short hexadecimal escape is read as far as it goes.
    EXPECT_EQ(textOf(R"({\rtf1 a\'4 b\'zz})"), "a bzz"); // control bytes are not drawn
}

TEST(RtfReader, UnicodeCharactersSkipTheirReplacement) {
    // \u268 is C with caron; the replacement "C" (or the hexadecimal escape) is dropped.
    EXPECT_EQ(textOf(R"({\rtf1 \u268C\u345\'f8ek})"), czech("Čřek"));
    // A count of two drops two characters, a control word counts as one (so "z" goes too); a
    // group ends the replacement early.
    EXPECT_EQ(textOf(R"({\rtf1\uc2 x\u269cc y\u269\tab z{\u269}w})"), czech("xč yččw"));
    // Negative values stand for the upper half; characters outside the code page become '?'.
    EXPECT_EQ(textOf(R"({\rtf1\uc0 \u-3913 \u8364})"), "?\x80");
}

TEST(RtfReader, SkippedDestinationsLeaveNoText) {
    const std::string rtf =
        R"({\rtf1{\info{\title Nazev}{\author Ja}}{\stylesheet{\s0 Normal;}})"
        R"({\header Hlavicka}{\*\generator Nekdo;}{\*\unknown {\b x}}Telo{\footnote pozn}.)"
        R"({\pict\wmetafile8 0102{\b ff}}\par})";
    const auto result = readRtf(rtf);
    EXPECT_TRUE(result.ok());
    EXPECT_EQ(result.document.plainText(), "Telo.");
}

TEST(RtfReader, BinaryDataIsSkippedByCount) {
    std::string rtf = "{\\rtf1 a{\\pict\\bin5 ";
    rtf += std::string("}}{\\\0", 5);
    rtf += "}b\\bin3 xyzc}";
    const auto result = readRtf(rtf);
    EXPECT_TRUE(result.ok()) << result.message();
    EXPECT_EQ(result.document.plainText(), "abc");

    // Data that runs past the end is an error, with the text read before it.
    const auto truncated = readRtf("{\\rtf1 ok\\bin999999999999 abc}");
    EXPECT_EQ(truncated.status, RtfStatus::Truncated);
    EXPECT_EQ(truncated.document.plainText(), "ok");
}

TEST(RtfReader, NestingAndUnbalancedInput) {
    // Deep but legal nesting.
    std::string deep = "{\\rtf1 ";
    for (int i = 0; i < 100; ++i)
        deep += "{\\b ";
    deep += "x";
    for (int i = 0; i < 100; ++i)
        deep += "}";
    deep += "y}";
    auto result = readRtf(deep);
    EXPECT_TRUE(result.ok());
    ASSERT_EQ(result.document.paragraphs.at(0).runs.size(), 2u);
    EXPECT_TRUE(result.document.paragraphs[0].runs[0].format.bold);
    EXPECT_FALSE(result.document.paragraphs[0].runs[1].format.bold);

    // Too deep: reported, the text still comes through and the closing braces still match.
    std::string tooDeep = "{\\rtf1 ";
    for (int i = 0; i < 100000; ++i)
        tooDeep += '{';
    tooDeep += "x";
    for (int i = 0; i < 100000; ++i)
        tooDeep += '}';
    tooDeep += "y}z";
    result = readRtf(tooDeep);
    EXPECT_EQ(result.status, RtfStatus::TooDeep);
    EXPECT_EQ(result.document.plainText(), "xy");

    // Unclosed groups: the text read so far.
    result = readRtf("{\\rtf1 abc{\\b def");
    EXPECT_EQ(result.status, RtfStatus::UnbalancedGroups);
    EXPECT_EQ(result.document.plainText(), "abcdef");

    // The document ends with its outermost group; what follows (often NUL bytes) is not text.
    result = readRtf(std::string("{\\rtf1 abc}\0\0junk}}", 17));
    EXPECT_TRUE(result.ok());
    EXPECT_EQ(result.document.plainText(), "abc");

    // A backslash at the very end.
    result = readRtf("{\\rtf1 abc\\");
    EXPECT_EQ(result.status, RtfStatus::Truncated);
    EXPECT_EQ(result.document.plainText(), "abc");
}

TEST(RtfReader, ControlWordParametersAreBounded) {
    const auto doc =
        readRtf("{\\rtf1\\fs99999999999999999999 a\\fs-4 b\\fs c\\li-99999999999 d\\par}").document;
    const auto& runs = doc.paragraphs.at(0).runs;
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].format.halfPoints, 3276);
    EXPECT_EQ(runs[1].format.halfPoints, 24);
    EXPECT_EQ(runs[1].text, "bcd"); // \fs without a usable value is the default size again
    EXPECT_EQ(doc.paragraphs[0].leftIndent, INT32_MIN);
}

TEST(RtfReader, TextThatIsNotRtfBecomesPlainLines) {
    const auto result = readRtf("Prvni radek\r\nDruhy\n\nCtvrty\r\n");
    EXPECT_EQ(result.status, RtfStatus::NotRtf);
    ASSERT_EQ(result.document.paragraphs.size(), 4u);
    EXPECT_EQ(result.document.paragraphs[2].text(), "");
    EXPECT_EQ(result.document.paragraphs[3].text(), "Ctvrty");
    // The element's own font and size.
    EXPECT_EQ(result.document.paragraphs[0].runs.at(0).format, RtfCharFormat{});
    EXPECT_FALSE(hasRtfSignature("{\\rt"));
    EXPECT_TRUE(hasRtfSignature("\r\n {\\rtf1}"));
}

} // namespace
} // namespace vorlan::report
