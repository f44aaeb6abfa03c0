#include "report/charmode/character_output.h"
#include "report/charmode/character_placement.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace vorlan::report {
namespace {

class CharacterOutputTest : public ::testing::Test {
protected:
    TPrvekSestavy& element(std::int32_t kind, std::string text, std::int32_t points,
                           bool bold = false) {
        TPrvekSestavy& e = report_.section(kSectionBody)->addElement(&report_);
        e.kind = kind;
        e.text = std::move(text);
        e.font.size = points;
        e.font.style = bold ? kFontBold : 0;
        return e;
    }
    TVystPrvek& place(const TPrvekSestavy& e, std::int32_t left, std::int32_t top,
                      std::int32_t width, std::int32_t height, int page = 0) {
        while (output_.pageCount() <= page)
            output_.addPage();
        TVystPrvek& out =
            output_.page(page)->add(std::make_unique<TVystPrvek>(&e, left, top, width, height));
        out.setText(e.text);
        return out;
    }
    // Two pages on a sheet one inch high (six rows at 6 lines per inch).
    void twoPages() {
        place(element(kKindText, "FAKTURA", 12, true), 0, 0, 200, 17);
        place(element(kKindText, "c. 12", 10), 150, 0, 100, 17);
        report_.section(kSectionBody)->elements.back()->alignment = kAlignRight;
        place(element(kKindLine, "", 10), 0, 20, 300, 1);
        TPrvekSestavy& note = element(kKindText, "Poznamka: dlouhy text", 8);
        note.textFlags = kTextWordWrap;
        place(note, 0, 33, 60, 34);
        TPrvekSestavy& sum = element(kKindText, "SOUCET", 12);
        sum.alignment = kAlignCenter;
        place(sum, 100, 83, 100, 17);
        place(element(kKindText, "strana 2", 12), 0, 0, 200, 17, 1);
    }
    std::string rowsOf(const TVystPrvek& e, std::int32_t paperHeight = 100) {
        TZnakovePole page(paperHeight, 0);
        placeElement(page, e);
        std::string text;
        page.appendText(text);
        return text;
    }

    TSestava report_;
    TSestVystup output_;
};

const std::string kPage1 = "FAKTURA\r" + std::string(25, ' ') +
                           "c. 12\r\n" // row 0
                           "\n"
                           "Poznamka:\r\n" // wrapped at 10 columns of 17 per inch
                           "dlouhy\r\n"    // the element is two rows high: "text" is cut
                           "\n" +
                           std::string(12, ' ') + "SOUCET\r\n";
const std::string kPage2 = "strana 2\r\n\n\n\n\n\n";

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(CharacterOutputTest, TextFileHoldsEveryRowOfEveryPageByteForByte) {
    twoPages();
    const auto path = std::filesystem::temp_directory_path() / "vorlan_charmode_file.txt";
    std::filesystem::remove(path);
    int calls = 0;
    EXPECT_EQ(writeCharacterFile(output_, 100, 0, path.string(), [&] { ++calls; }), kSestOk);
    EXPECT_EQ(readFile(path), kPage1 + kPage2);
    EXPECT_EQ(calls, 6); // between elements

    output_.setPrintRange(2, 9999, 1);
    EXPECT_EQ(writeCharacterFile(output_, 100, 0, path.string()), kSestOk);
    EXPECT_EQ(readFile(path), kPage2);
    std::filesystem::remove(path);
}

TEST_F(CharacterOutputTest, CancelledRunWritesNothing) {
    twoPages();
    const auto path = std::filesystem::temp_directory_path() / "vorlan_charmode_cancel.txt";
    std::filesystem::remove(path);
    int calls = 0;
    EXPECT_EQ(writeCharacterFile(output_, 100, 0, path.string(),
                                 [&] {
                                     if (++calls == 3) output_.cancelled = true;
                                 }),
              kSestCancelled);
    EXPECT_EQ(calls, 3); // stops after the element during which it was cancelled
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_THROW(writeCharacterFile(TSestVystup(), 100, 0, "/nonexistent-dir/x/y.txt"),
                 std::runtime_error);
}

TEST_F(CharacterOutputTest, PrinterBytesEndPagesWithAFormFeedAndCarryTheCodes) {
    twoPages();
    bool completed = false;
    EXPECT_EQ(characterPrintBytes(output_, 100, 0, TextPrinterCodes{}, {}, completed),
              kPage1 + "\f" + "strana 2\r\n\f");
    EXPECT_TRUE(completed);

    TextPrinterCodes codes;
    codes.pitch[0] = "<10>";
    codes.pitch[1] = "<12>";
    codes.pitch[2] = "<17>";
    codes.boldOn = "<B>";
    codes.boldOff = "</B>";
    codes.pageEnd = "<FF>";
    output_.setPrintRange(1, 1, 1);
    const std::string bytes = characterPrintBytes(output_, 100, 0, codes, {}, completed);
    EXPECT_EQ(bytes.substr(0, bytes.find('\n') + 1),
              "<10><B>FAKTURA</B>\r<12>" + std::string(25, ' ') + "c. 12\r\n");
    EXPECT_EQ(bytes.substr(bytes.size() - 4), "<FF>");
}

TEST_F(CharacterOutputTest, RowsAndColumnsOfPlacedTexts) {
    // 12 per inch: 100 hundredths are 12 columns; 6 lines per inch: top 50 is row 3.
    EXPECT_EQ(rowsOf(place(element(kKindText, "x", 10), 100, 50, 50, 17)),
              "\n\n\n" + std::string(12, ' ') + "x\r\n\n\n");
    // A text of several lines takes the following rows while the element is tall enough.
    EXPECT_EQ(rowsOf(place(element(kKindText, "a\r\nb\nc", 12), 0, 0, 100, 50)),
              "a\r\nb\r\nc\r\n\n\n\n");
    // Tabs stop every half inch.
    EXPECT_EQ(rowsOf(place(element(kKindText, "a\tb", 12), 0, 0, 100, 17)), "a    b\r\n\n\n\n\n\n");
    // Negative and far-off positions lose what lies outside the page.
    EXPECT_EQ(rowsOf(place(element(kKindText, "abc", 12), -10, -100, 100, 300)), "\n\n\n\n\n\n");
    EXPECT_EQ(rowsOf(place(element(kKindText, "abc", 12), 0, 100000, 100, 17)), "\n\n\n\n\n\n");
    // Pictures and fields holding pictures do not print.
    TVystPrvek& picture = place(element(kKindField, "abc", 12), 0, 0, 100, 17);
    picture.picture.bytes = std::make_shared<const std::string>("BM..");
    EXPECT_EQ(rowsOf(picture), "\n\n\n\n\n\n");
}

TEST_F(CharacterOutputTest, MemoLinesAndRichText) {
    TVystPrvek& memo = place(element(kKindField, "", 12), 0, 17, 100, 34);
    memo.lines = {"first", "second", "third", "fourth"};
    memo.firstLine = 1;
    memo.lineCount = 2;
    EXPECT_EQ(rowsOf(memo), "\nsecond\r\nthird\r\n\n\n\n");
    memo.firstLine = 3;
    memo.lineCount = 99;
    EXPECT_EQ(rowsOf(memo), "\nfourth\r\n\n\n\n\n");

    TVystPrvek& rich = place(element(kKindField, "", 12), 0, 0, 100, 100);
    rich.rtf = R"({\rtf1{\fonttbl{\f0 Arial;}}\f0\fs20 Dobry {\b den} vsem\par druhy radek\par})";
    EXPECT_EQ(rowsOf(rich), "Dobry den\r\nvsem\r\ndruhy\r\nradek\r\n\n\n");
}

TEST_F(CharacterOutputTest, LineSpacingComesFromTheMasterReport) {
    EXPECT_EQ(lineSpacingOf(output_), 0);
    report_.lineSpacing = 2;
    TSestDetail& detail = report_.addDetail();
    TPrvekSestavy& e = detail.section(kSectionBody)->addElement(&detail);
    e.kind = kKindText;
    output_.addElement(&e, 0, 0, 10, 10);
    EXPECT_EQ(lineSpacingOf(output_), 2);
}

} // namespace
} // namespace vorlan::report
