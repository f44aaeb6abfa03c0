#include "core/cp1250.h"
#include "scratch_folder.h"
#include "script/dispatch.h"
#include "stdlib/delimited_text.h"
#include "stdlib/streams.h"
#include "stdlib/string_list.h"

#include <gtest/gtest.h>

#include <random>

using namespace vorlan;
using namespace vorlan::stdlib;
using script::ScriptException;
using script::Value;

namespace {

void fill(StringList& l, std::initializer_list<const char*> texts) {
    for (const char* t : texts)
        l.add(t);
}

using Items = std::vector<std::string>;

} // namespace

TEST(StringList, EditingAndIndexErrors) {
    StringList l;
    fill(l, {"b", "c"});
    l.insert(0, "a");
    EXPECT_EQ(l.add("d", Value(5)), 3);
    EXPECT_EQ(l.texts(), (Items{"a", "b", "c", "d"}));
    EXPECT_EQ(l.object(3).toInt(), 5);
    l.exchange(0, 3);
    EXPECT_EQ(l.texts(), (Items{"d", "b", "c", "a"}));
    EXPECT_EQ(l.object(0).toInt(), 5);
    l.move(0, 2);
    EXPECT_EQ(l.texts(), (Items{"b", "c", "d", "a"}));
    EXPECT_EQ(l.indexOfObject(Value(5)), 2);
    l.remove(1);
    EXPECT_EQ(l.indexOf("C"), -1);
    EXPECT_EQ(l.indexOf("D"), 1);
    EXPECT_THROW(l.get(3), ScriptException);
    EXPECT_THROW(l.remove(-1), ScriptException);
    EXPECT_THROW(l.insert(5, "x"), ScriptException);
    try {
        l.put(7, "x");
    } catch (const ScriptException& e) {
        EXPECT_EQ(cp1250ToUtf8(e.what()), "Index seznamu je mimo rozsah (7)");
    }
}

TEST(StringList, SortedListsKeepTheirOrderAndDuplicatesRule) {
    StringList l;
    l.setSorted(true);
    for (const char* w : {"žena", "cena", "chata", "hrad", "čas", "Cena"})
        l.add(czech(w));
    EXPECT_EQ(cp1250ToUtf8(l.commaText()), "cena,čas,hrad,chata,žena");
    int at = -1;
    EXPECT_TRUE(l.find(czech("HRAD"), at));
    EXPECT_EQ(at, 2);
    EXPECT_FALSE(l.find("d", at));
    EXPECT_EQ(at, 2); // where it belongs
    EXPECT_THROW(l.insert(0, "x"), ScriptException);
    EXPECT_THROW(l.put(0, "x"), ScriptException);
    l.setDuplicates(Duplicates::Error);
    EXPECT_THROW(l.add("CENA"), ScriptException);
    l.setDuplicates(Duplicates::Accept);
    l.add("CENA");
    EXPECT_EQ(l.count(), 6);
    // Case-sensitive, "Cena" and "cena" differ; the list sorts again.
    l.setCaseSensitive(true);
    l.add("cena");
    EXPECT_EQ(l.get(0), "cena");
    // Texts set in bulk go through the same rule.
    l.setDuplicates(Duplicates::Ignore);
    l.setCaseSensitive(false);
    l.setText("b\r\na\r\nB\r\nc\r\n");
    EXPECT_EQ(l.texts(), (Items{"a", "b", "c"}));
    l.setDuplicates(Duplicates::Error);
    EXPECT_THROW(l.setCommaText("x,y,X"), ScriptException);
    EXPECT_EQ(l.texts(), (Items{"a", "b", "c"}));
}

TEST(StringList, SortingIsStableAndUsesTheCzechOrder) {
    StringList l;
    fill(l, {"b", "a", "B", "A"});
    l.putObject(0, Value(1));
    l.putObject(2, Value(2));
    l.sort();
    EXPECT_EQ(l.texts(), (Items{"a", "A", "b", "B"}));
    EXPECT_EQ(l.object(2).toInt(), 1);
    EXPECT_EQ(l.object(3).toInt(), 2);
}

TEST(StringList, NamesValuesAndLookupsStayRightAsTheListChanges) {
    StringList l;
    fill(l, {"jmeno=Jan", "mesto=Brno", "bez rovnitka", "Jmeno=dupl"});
    EXPECT_EQ(l.value("JMENO"), "Jan");
    EXPECT_EQ(l.name(1), "mesto");
    EXPECT_EQ(l.name(2), "");
    EXPECT_EQ(l.indexOfName("bez rovnitka"), -1);
    l.setValue("mesto", "Praha");
    EXPECT_EQ(l.get(1), "mesto=Praha");
    l.setValue("psc", "11000");
    EXPECT_EQ(l.get(4), "psc=11000");
    l.setValue("jmeno", "");
    EXPECT_EQ(l.value("jmeno"), "dupl");
    l.setNameValueSeparator(':');
    l.add("a:b");
    EXPECT_EQ(l.value("a"), "b");

    // Long lists answer from an index; it must agree with a plain search after any change.
    std::mt19937 rng(3);
    StringList big;
    std::vector<std::string> shadow;
    for (int step = 0; step < 1500; ++step) {
        const std::string name = "k" + std::to_string(rng() % 200);
        switch (rng() % 6) {
        case 0:
        case 1:
        case 2:
            big.add(name + "=" + std::to_string(step));
            shadow.push_back(name + "=" + std::to_string(step));
            break;
        case 3:
            if (!shadow.empty()) {
                const int i = static_cast<int>(rng() % shadow.size());
                big.remove(i);
                shadow.erase(shadow.begin() + i);
            }
            break;
        case 4:
            big.setValue(name, "v");
            break;
        default:
            if (shadow.size() > 1) big.exchange(0, static_cast<int>(shadow.size()) - 1);
            break;
        }
        shadow = big.texts();
        int expected = -1;
        for (std::size_t i = 0; i < shadow.size(); ++i)
            if (equalsNoCase(shadow[i].substr(0, shadow[i].find('=')), name)) {
                expected = static_cast<int>(i);
                break;
            }
        ASSERT_EQ(big.indexOfName(name), expected) << step;
        int expectedText = -1;
        for (std::size_t i = 0; i < shadow.size() && expectedText < 0; ++i)
            if (equalsNoCase(shadow[i], name + "=v")) expectedText = static_cast<int>(i);
        ASSERT_EQ(big.indexOf(name + "=V"), expectedText) << step;
    }
}

TEST(StringList, TextCommaTextAndDelimitedText) {
    StringList l;
    l.setText("a\r\nb\nc\rd");
    EXPECT_EQ(l.texts(), (Items{"a", "b", "c", "d"}));
    EXPECT_EQ(l.text(), "a\r\nb\r\nc\r\nd\r\n");
    l.setTexts({"jedna", "dva tri", "", "u\"vozovky", "x,y"});
    EXPECT_EQ(l.commaText(), "jedna,\"dva tri\",,\"u\"\"vozovky\",\"x,y\"");
    StringList back;
    back.setCommaText(l.commaText());
    EXPECT_TRUE(back.equals(l));
    // Unquoted blanks separate too; a delimiter at the very end adds nothing.
    back.setCommaText("  a b,, \"c d\"  ,e,");
    EXPECT_EQ(back.texts(), (Items{"a", "b", "", "c d", "e"}));
    back.setTexts({""});
    EXPECT_EQ(back.commaText(), "\"\"");
    back.setDelimiter(';');
    back.setQuoteChar('\'');
    back.setDelimitedText("a;'b;c';'it''s'");
    EXPECT_EQ(back.texts(), (Items{"a", "b;c", "it's"}));
    EXPECT_EQ(back.delimitedText(), "a;'b;c';'it''s'");
    // Broken input ends cleanly.
    EXPECT_EQ(splitDelimited("\"open", ',', '"'), (Items{"open"}));
    EXPECT_EQ(splitDelimited(std::string_view("a,\0b,c", 6), ',', '"'), (Items{"a"}));
}

class StringListFiles : public stdlib_test::ScratchFolder {};

TEST_F(StringListFiles, LoadAndSaveWindows1250ThroughThePathMapper) {
    StringList l;
    l.setTexts({czech("Příliš žluťoučký"), "kůň"});
    l.saveToFile("T:\\SEZNAM.TXT");
    EXPECT_EQ(read("SEZNAM.TXT"), czech("Příliš žluťoučký") + "\r\nkůň\r\n");
    StringList again;
    again.loadFromFile("t:\\seznam.txt");
    EXPECT_TRUE(again.equals(l));
    // A UTF-8 file with its byte order mark arrives as Windows-1250.
    write("utf8.txt", "\xEF\xBB\xBF"
                      "Žluť\nok");
    again.loadFromFile("T:\\UTF8.TXT");
    EXPECT_EQ(again.texts(), (Items{czech("Žluť"), "ok"}));
    EXPECT_THROW(again.loadFromFile("T:\\CHYBI.TXT"), ScriptException);
    EXPECT_THROW(again.saveToFile("Q:\\NIKDE.TXT"), ScriptException);
    EXPECT_EQ(again.count(), 2);
    // So does one without the mark, as Linux editors save it. Windows-1250 stays as it is, and
    // so does text whose bytes only look like the start of a UTF-8 sequence.
    write("bare.txt", "Petr Dvořák;Plzeň\nkůň");
    again.loadFromFile("T:\\BARE.TXT");
    EXPECT_EQ(again.texts(), (Items{czech("Petr Dvořák;Plzeň"), czech("kůň")}));
    write("win.txt", czech("Petr Dvořák;Plzeň"));
    again.loadFromFile("T:\\WIN.TXT");
    EXPECT_EQ(again.texts(), (Items{czech("Petr Dvořák;Plzeň")}));
    write("lead.txt", "\xC3(");
    again.loadFromFile("T:\\LEAD.TXT");
    EXPECT_EQ(again.texts(), (Items{"\xC3("}));

    MemoryStream stream;
    l.saveToStream(stream);
    stream.setPosition(0);
    again.loadFromStream(stream);
    EXPECT_TRUE(again.equals(l));
}
