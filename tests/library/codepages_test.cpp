#include "library_calls.h"

#include "core/cp1250.h"
#include "library/codepages.h"

using namespace vorlan::library::testing;
using vorlan::czech;

namespace {

// The upper half of the published Kamenický table from 0x80 to 0xAB, as Unicode: an oracle
// independent of the library's own letter table.
constexpr char32_t kKamenickyHigh[] = {
    U'Č', U'ü', U'é', U'ď', U'ä', U'Ď', U'Ť', U'č', U'ě', U'Ě', U'Ĺ', U'Í', U'ľ', U'ĺ', U'Ä',
    U'Á', U'É', U'ž', U'Ž', U'ô', U'ö', U'Ó', U'ů', U'Ú', U'ý', U'Ö', U'Ü', U'Š', U'Ľ', U'Ý',
    U'Ř', U'ť', U'á', U'í', U'ó', U'ú', U'ň', U'Ň', U'Ů', U'Ô', U'š', U'ř', U'ŕ', U'Ŕ'};

std::string toKamenicky(std::string_view utf8) {
    std::string out;
    for (char32_t c : vorlan::utf8ToUtf16(utf8)) {
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        bool found = false;
        for (std::size_t i = 0; i < std::size(kKamenickyHigh); ++i)
            if (kKamenickyHigh[i] == c) {
                out += static_cast<char>(0x80 + i);
                found = true;
            }
        EXPECT_TRUE(found) << "no Kamenický code for U+" << std::hex << static_cast<unsigned>(c);
    }
    return out;
}

std::string hexBytes(std::string_view hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    return out;
}

// Whole sentences with every Czech letter and the Slovak ones of the table; their Latin 2
// bytes as the published code page 852 gives them.
struct Sentence {
    const char* utf8;
    const char* latin2Hex;
    const char* ascii;
};
const Sentence kSentences[] = {
    {"Příliš žluťoučký kůň úpěl ďábelské ódy.",
     "50fda16c69e720a76c759c6f759f6bec206b85e520a370d86c20d4a062656c736b8220a264792e",
     "Prilis zlutoucky kun upel dabelske ody."},
    {"PŘÍLIŠ ŽLUŤOUČKÝ KŮŇ ÚPĚL ĎÁBELSKÉ ÓDY.",
     "50fcd64c49e620a64c559b4f55ac4bed204bded520e950b74c20d2b542454c534b9020e044592e",
     "PRILIS ZLUTOUCKY KUN UPEL DABELSKE ODY."},
    {"Ľubica šťastne počíta do ôsmich; Ňuňo má kôň.",
     "95756269636120e79c6173746e6520706f9fa1746120646f2093736d6963683b20d575e56f206da0206b93e52e",
     "Lubica stastne pocita do osmich; Nuno ma kon."},
};

class CodePages : public ::testing::Test {
protected:
    LibraryCalls lib;
};

} // namespace

TEST_F(CodePages, CzechSentencesGiveThePublishedSpellings) {
    for (const Sentence& s : kSentences) {
        const std::string win = czech(s.utf8);
        const std::string lat = hexBytes(s.latin2Hex);
        const std::string kam = toKamenicky(s.utf8);
        SCOPED_TRACE(s.ascii);
        EXPECT_EQ(lib.text("CsWinToLat", {Value(win)}), lat);
        EXPECT_EQ(lib.text("CsWinToKam", {Value(win)}), kam);
        EXPECT_EQ(lib.text("CsWinToAsc", {Value(win)}), s.ascii);
        EXPECT_EQ(lib.text("CsLatToWin", {Value(lat)}), win);
        EXPECT_EQ(lib.text("CsLatToKam", {Value(lat)}), kam);
        EXPECT_EQ(lib.text("CsLatToAsc", {Value(lat)}), s.ascii);
        EXPECT_EQ(lib.text("CsKamToWin", {Value(kam)}), win);
        EXPECT_EQ(lib.text("CsKamToLat", {Value(kam)}), lat);
        EXPECT_EQ(lib.text("CsKamToAsc", {Value(kam)}), s.ascii);
    }
    EXPECT_EQ(lib.text("CsKamToWin", {Value(hexBytes("926c759f6f75876b98"))}), czech("Žluťoučký"));
}

TEST_F(CodePages, BytesOutsideTheLetterTablePassUnchanged) {
    for (const char* name : {"CsKamToLat", "CsKamToWin", "CsKamToAsc", "CsLatToKam", "CsLatToWin",
                             "CsLatToAsc", "CsWinToKam", "CsWinToLat", "CsWinToAsc"})
        EXPECT_EQ(lib.text(name, {Value("")}), "") << name;
    // ü, Ü, Ä, Ö, Ô, ĺ, Ĺ, ŕ, Ŕ in Kamenický, and the box-drawing area.
    const std::string kamOthers = hexBytes("819a8e99a78d8aaaabb0c4dbfe");
    EXPECT_EQ(lib.text("CsKamToWin", {Value(kamOthers)}), kamOthers);
    EXPECT_EQ(lib.text("CsKamToAsc", {Value(kamOthers)}), kamOthers);
    // Letters with one code in both columns stay as they are: á é í ó ú ä ô ö É.
    const std::string same = hexBytes("a082a1a2a384939490");
    EXPECT_EQ(lib.text("CsKamToLat", {Value(same)}), same);
    EXPECT_EQ(lib.text("CsLatToKam", {Value(same)}), same);
    // Every byte below 0x80, NUL included.
    std::string low;
    for (int c = 0; c < 0x80; ++c)
        low += static_cast<char>(c);
    EXPECT_EQ(lib.text("CsWinToAsc", {Value(low)}), low);
    // The argument itself is left alone.
    std::vector<Value> args{Value(czech("čá"))};
    lib.call("CsWinToAsc", args);
    EXPECT_EQ(args[0].asString(), czech("čá"));
}

TEST(CodePageTable, ThereAndBackRestoresEveryTableLetter) {
    using vorlan::library::CodePage;
    using vorlan::library::convertCodePage;
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    for (CodePage from : {CodePage::Kamenicky, CodePage::Latin2, CodePage::Windows1250}) {
        // The letters of a column are the bytes that folding to ASCII changes: exactly 35.
        const std::string folded = convertCodePage(all, from, CodePage::Ascii);
        int letters = 0;
        for (int c = 0; c < 256; ++c)
            letters += folded[static_cast<std::size_t>(c)] != all[static_cast<std::size_t>(c)];
        EXPECT_EQ(letters, 35);
        for (CodePage to : {CodePage::Kamenicky, CodePage::Latin2, CodePage::Windows1250}) {
            const std::string back = convertCodePage(convertCodePage(all, from, to), to, from);
            for (int c = 0; c < 256; ++c)
                if (folded[static_cast<std::size_t>(c)] != all[static_cast<std::size_t>(c)]) {
                    EXPECT_EQ(back[static_cast<std::size_t>(c)], all[static_cast<std::size_t>(c)])
                        << c;
                }
        }
        EXPECT_EQ(convertCodePage(all, from, from), all);
    }
    EXPECT_THROW(convertCodePage("x", CodePage::Ascii, CodePage::Latin2), std::invalid_argument);
}
