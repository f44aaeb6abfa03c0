#include "script/stream/component_stream.h"
#include "script/stream/text_form.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

using namespace vorlan::stream;

namespace {

// Written exactly as the writer lays it out, so reading and writing it must give it back.
const char* const kForm = R"(object Form1: TForm1
  Left = 200
  Width = -40000
  Caption = 'Dobrý den'#13#10'x'
  Font.Name = 'Arial'
  OnClick = Button1Click
  Items.Strings = (
    'a'
    'b')
  Anchors = [akLeft, akTop]
  Flags = []
  Data = {0A0B0C}
  Ratio = 1.5
  Visible = False
  Collection = <
    item
      Width = 10
    end
    item [2]
      Width = 20
    end>
  Empty = <>
  Nothing = nil
  Unset = Null
  object Button1: TButton
    Caption = 'OK'
  end
  inherited TPanel [300]
    inline Frame: TFrame1
    end
  end
end
)";

std::string textFormError(std::string_view text) {
    try {
        componentFromText(text);
    } catch (const StreamError& e) {
        return e.what();
    }
    return "(no error)";
}

// A form holding one property written as `value`.
StreamValue valueOf(const std::string& value) {
    const StreamObject form = componentFromText("object F: T\n  X = " + value + "\nend\n");
    return *form.property("X");
}

// The text of a form holding one property with this value.
std::string textOf(const StreamValue& value) {
    StreamObject form;
    form.className = "T";
    form.properties.push_back({"X", value});
    return componentToText(form);
}

StreamValue wide(std::u16string text) {
    StreamValue v;
    v.kind = ValueKind::WString;
    v.wide = std::move(text);
    return v;
}

} // namespace

TEST(TextForm, ReadsEveryConstruct) {
    const StreamObject form = componentFromText(kForm);
    EXPECT_EQ(form.name, "Form1");
    EXPECT_EQ(form.className, "TForm1");
    EXPECT_EQ(form.flags, 0);
    EXPECT_EQ(form.property("Left")->kind, ValueKind::Int16);
    EXPECT_EQ(form.property("Width")->kind, ValueKind::Int32);
    EXPECT_EQ(form.property("Caption")->kind, ValueKind::String);
    EXPECT_EQ(form.property("Caption")->text, "Dobr\xFD den\r\nx"); // Windows-1250 bytes
    EXPECT_EQ(form.property("Font.Name")->text, "Arial");
    EXPECT_EQ(form.property("OnClick")->kind, ValueKind::Ident);
    EXPECT_EQ(form.property("Items.Strings")->list.size(), 2u);
    EXPECT_EQ(form.property("Anchors")->set, (std::vector<std::string>{"akLeft", "akTop"}));
    EXPECT_TRUE(form.property("Flags")->set.empty());
    EXPECT_EQ(form.property("Data")->text, "\x0A\x0B\x0C");
    EXPECT_EQ(form.property("Ratio")->extended, 1.5L);
    EXPECT_EQ(form.property("Visible")->kind, ValueKind::False);
    EXPECT_EQ(form.property("Nothing")->kind, ValueKind::Nil);
    EXPECT_EQ(form.property("Unset")->kind, ValueKind::Null);

    const auto& items = form.property("Collection")->items;
    ASSERT_EQ(items.size(), 2u);
    EXPECT_TRUE(items[0].order.empty());
    EXPECT_EQ(items[1].order[0].integer, 2);
    EXPECT_EQ(items[1].properties[0].value.integer, 20);
    EXPECT_TRUE(form.property("Empty")->items.empty());

    ASSERT_EQ(form.children.size(), 2u);
    EXPECT_EQ(form.children[0].name, "Button1");
    const StreamObject& panel = form.children[1];
    EXPECT_EQ(panel.flags, FlagInherited | FlagChildPos);
    EXPECT_EQ(panel.name, "");
    EXPECT_EQ(panel.className, "TPanel");
    EXPECT_EQ(panel.position, 300);
    EXPECT_EQ(panel.positionKind, ValueKind::Int16);
    EXPECT_EQ(panel.children[0].flags, FlagInline);
}

TEST(TextForm, TextBinaryTextRoundTrip) {
    const StreamObject form = componentFromText(kForm);
    EXPECT_EQ(componentToText(form), kForm);
    const std::string binary = writeComponentStream(form);
    EXPECT_EQ(componentToText(readComponentStream(binary)), kForm);
    // The reader picks the kinds the platform's writer picks, so the binary comes back too.
    EXPECT_EQ(writeComponentStream(componentFromText(componentToText(readComponentStream(binary)))),
              binary);
}

TEST(TextForm, CzechAndOtherText) {
    const StreamValue czech = valueOf("'Příliš žluťoučký kůň'");
    EXPECT_EQ(czech.kind, ValueKind::String);
    EXPECT_EQ(czech.text, "P\xF8\xED\x6C\x69\x9A \x9Elu\x9Do\x75\xE8k\xFD k\xF9\xF2");
    EXPECT_EQ(textOf(czech), "object T\n  X = 'Příliš žluťoučký kůň'\nend\n");

    // Greek has no Windows-1250 bytes, so the text needs the wide kind.
    const StreamValue greek = valueOf("'Ωmega'");
    EXPECT_EQ(greek.kind, ValueKind::WString);
    EXPECT_EQ(greek.wide, u"Ωmega");

    // Quotes are doubled; control characters and C1 code points become #n.
    const StreamValue quoted = valueOf("'it''s'#9'x'");
    EXPECT_EQ(quoted.text, "it's\tx");
    EXPECT_EQ(textOf(quoted), "object T\n  X = 'it''s'#9'x'\nend\n");
    // U+0081 is the Windows-1250 byte 0x81; U+0080 has no byte there (0x80 is the euro sign).
    EXPECT_EQ(valueOf("#129").text, "\x81");
    EXPECT_EQ(valueOf("#128").kind, ValueKind::WString);
    EXPECT_EQ(valueOf("'€'").text, "\x80");

    // A character outside the basic plane is a surrogate pair; a lone half survives as #n.
    EXPECT_EQ(valueOf("'a😀'").wide, u"a😀");
    const StreamValue lone = wide(u"x\xD800y");
    EXPECT_EQ(textOf(lone), "object T\n  X = 'x'#55296'y'\nend\n");
    EXPECT_EQ(valueOf("'x'#55296'y'").wide, lone.wide);
    EXPECT_EQ(valueOf("''").kind, ValueKind::String);
}

TEST(TextForm, LongStringsAreSplitAndReadBack) {
    const std::string letters(300, 'a');
    const StreamValue longString = valueOf("'" + letters + "'");
    EXPECT_EQ(longString.kind, ValueKind::LString);
    const std::string text = textOf(longString);
    EXPECT_NE(text.find("X =\n    '" + std::string(64, 'a') + "' +\n    'a"), std::string::npos);
    EXPECT_EQ(componentFromText(text).property("X")->text, letters);

    // Pieces joined with '+' over several lines, inside a list as well.
    const StreamValue list = valueOf("(\n 'ab' +\n 'cd'#10 + #65\n 'z')");
    ASSERT_EQ(list.list.size(), 2u);
    EXPECT_EQ(list.list[0].text, "abcd\nA");

    StreamValue lines;
    lines.kind = ValueKind::List;
    lines.list = {wide(std::u16string(70, u'ř'))};
    const std::string listText = textOf(lines);
    EXPECT_EQ(componentFromText(listText).property("X")->list[0].text, std::string(70, '\xF8'));
}

TEST(TextForm, NumbersKeepSmallestKindAndExactFloats) {
    EXPECT_EQ(valueOf("127").kind, ValueKind::Int8);
    EXPECT_EQ(valueOf("-128").kind, ValueKind::Int8);
    EXPECT_EQ(valueOf("128").kind, ValueKind::Int16);
    EXPECT_EQ(valueOf("-32769").kind, ValueKind::Int32);
    EXPECT_EQ(valueOf("-2147483648").integer, INT32_MIN);
    EXPECT_EQ(valueOf("100.0").kind, ValueKind::Extended);
    EXPECT_EQ(valueOf("2E3").extended, 2000.0L);

    for (long double number : {0.1L, -0.0L, 100.0L, 1e30L, LDBL_MAX, LDBL_TRUE_MIN, 1.0L / 3}) {
        StreamValue v;
        v.kind = ValueKind::Extended;
        v.extended = number;
        const StreamValue back = *componentFromText(textOf(v)).property("X");
        ASSERT_EQ(back.kind, ValueKind::Extended) << textOf(v);
        EXPECT_EQ(back.extended, number) << textOf(v);
        EXPECT_EQ(std::signbit(back.extended), std::signbit(number));
    }
    StreamValue nan;
    nan.kind = ValueKind::Extended;
    nan.extended = NAN;
    EXPECT_THROW(textOf(nan), StreamError);
}

TEST(TextForm, BinaryDataAndKeywordNamedProperties) {
    std::string bytes;
    for (int i = 0; i < 100; ++i)
        bytes += static_cast<char>(i * 7);
    StreamValue data;
    data.kind = ValueKind::Binary;
    data.text = bytes;
    const std::string text = textOf(data);
    EXPECT_NE(text.find("X = {\n    00070E"), std::string::npos);
    EXPECT_EQ(componentFromText(text).property("X")->text, bytes);
    EXPECT_EQ(valueOf("{ 0a 0B\n ff }").text, "\x0A\x0B\xFF");

    // Keywords only start an object or end one when no '=' follows them.
    const StreamObject form =
        componentFromText("object F: T\n  end = 1\n  object = end\n  Items = <\n    item\n"
                          "      end = 2\n    end>\nend\n");
    EXPECT_EQ(form.property("end")->integer, 1);
    EXPECT_EQ(form.property("object")->text, "end");
    EXPECT_EQ(form.property("Items")->items[0].properties[0].value.integer, 2);
    EXPECT_EQ(componentToText(componentFromText(componentToText(form))), componentToText(form));
}

TEST(TextForm, ErrorsNameTheLine) {
    EXPECT_EQ(textFormError("object F: T\n  Left 200\nend"),
              "Řádek 2: za jménem vlastnosti chybí '='");
    EXPECT_EQ(textFormError("object F: T\n  A = 1\n  B = 'abc\nend"),
              "Řádek 3: neukončený řetězec");
    EXPECT_EQ(textFormError("object F: T\n  A = 1\n"), "Řádek 3: chybí 'end' objektu 'F'");
    EXPECT_EQ(textFormError("object F: T\n  A = {0A0}\nend"),
              "Řádek 2: binární data mají lichý počet šestnáctkových číslic");
    EXPECT_EQ(textFormError("object F: T\n  A = {0G}\nend"),
              "Řádek 2: binární data obsahují znak, který není šestnáctková číslice");
    EXPECT_EQ(textFormError("object F: T\n  A = (\n    1\n    Null)\nend"),
              "Řádek 4: seznam nemůže obsahovat Null");
    EXPECT_EQ(textFormError("object F: T\nend\nend"), "Řádek 3: nečekaný text za posledním 'end'");
    EXPECT_EQ(textFormError("object F: T\n  A = 2147483648\nend"),
              "Řádek 2: celé číslo je mimo rozsah: 2147483648");
    EXPECT_EQ(textFormError("object F: T\n  A = 1E99999\nend"),
              "Řádek 2: číslo je mimo rozsah: 1E99999");
    EXPECT_EQ(textFormError("object F: T\n  A = [a b]\nend"),
              "Řádek 2: v množině chybí ',' nebo ']'");
    EXPECT_EQ(textFormError("object F: T\n  A = 'a' +\nend"), "Řádek 3: za '+' má být řetězec");
    EXPECT_EQ(textFormError("object F: T\n  A = ;\nend"), "Řádek 2: nečekaný znak ';'");
    EXPECT_EQ(textFormError("object F: T\n  A = <\n    x\n  >\nend"),
              "Řádek 3: očekáváno 'item' nebo '>'");
    EXPECT_EQ(textFormError("object F: T\n  A = \xC3\nend"), "Řádek 2: nečekaný bajt 0xC3");
    EXPECT_EQ(textFormError("thing F: T\nend"),
              "Řádek 1: očekáváno 'object', 'inherited' nebo 'inline'");
    EXPECT_EQ(textFormError("object F: T\n  A = 'x\xFF'\nend"),
              "Řádek 2: řetězec není platné UTF-8");
    EXPECT_EQ(textFormError("object F: T\n  A = " + std::string(300, '(') + "\nend")
                  .rfind("Řádek 2: vnořeno hlouběji než", 0),
              0u);
}

TEST(TextForm, WriterRefusesWhatTheTextCannotHold) {
    StreamObject form;
    form.className = "T";
    form.properties.push_back({"two words", StreamValue{}});
    EXPECT_THROW(componentToText(form), StreamError);

    StreamValue ident;
    ident.kind = ValueKind::Ident;
    EXPECT_THROW(textOf(ident), StreamError); // empty identifier

    StreamValue list;
    list.kind = ValueKind::List;
    list.list.push_back(StreamValue{});
    EXPECT_THROW(textOf(list), StreamError);
}
