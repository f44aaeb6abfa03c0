#include "script/stream/component_stream.h"
#include "script/stream/extended_float.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>

using namespace vorlan::stream;

namespace {

// Little builders for hand-made streams, so each test shows the bytes it feeds in.
std::string u8(unsigned v) {
    return std::string(1, static_cast<char>(v));
}
std::string le16(unsigned v) {
    return u8(v & 0xFF) + u8((v >> 8) & 0xFF);
}
std::string le32(std::uint32_t v) {
    return le16(v & 0xFFFF) + le16(v >> 16);
}
std::string ss(std::string_view s) {
    return u8(static_cast<unsigned>(s.size())) + std::string(s);
}
std::string prop(std::string_view name, const std::string& value) {
    return ss(name) + value;
}
// A root object with the given property bytes and no children.
std::string root(const std::string& properties) {
    return "TPF0" + ss("TForm1") + ss("Form1") + properties + u8(0) + u8(0);
}

StreamObject roundTrip(const std::string& bytes) {
    StreamObject object = readComponentStream(bytes);
    EXPECT_EQ(writeComponentStream(object), bytes);
    return object;
}

std::string errorOf(const std::string& bytes) {
    try {
        readComponentStream(bytes);
    } catch (const StreamError& e) {
        return e.what();
    }
    return "(no error)";
}

// A stream with at least one of every value kind, a collection, a prefix and children.
std::string richStream() {
    const std::string collection =
        u8(14) + u8(1) + prop("Width", u8(2) + u8(10)) + u8(0) +           // marker, no order
        u8(2) + u8(5) + u8(1) + prop("Width", u8(3) + le16(300)) + u8(0) + // order 5, marker
        u8(0);
    const std::string properties =
        prop("N", u8(0)) + prop("A", u8(2) + u8(0x80)) + prop("B", u8(3) + le16(0x8000)) +
        prop("C", u8(4) + le32(0x80000000)) +
        prop("E", u8(5) + std::string("\0\0\0\0\0\0\0\xC0\xFF\x3F", 10)) +
        prop("S", u8(6) + ss("abc")) + prop("OnClick", u8(7) + ss("Button1Click")) +
        prop("F", u8(8)) + prop("T", u8(9)) + prop("D", u8(10) + le32(3) + "\x01\x02\x03") +
        prop("Anchors", u8(11) + ss("akLeft") + ss("akTop") + u8(0)) +
        prop("L", u8(12) + le32(2) + "xy") + prop("P", u8(13)) + prop("Items", collection) +
        prop("W", u8(18) + le32(2) + le16(0x0158) + le16(0x00ED)) +
        prop("Lines.Strings", u8(1) + u8(6) + ss("a") + u8(1) + u8(2) + u8(1) + u8(0) + u8(0));
    const std::string child = u8(0xF3) + u8(3) + le16(7) + ss("TButton") + ss("OK") +
                              prop("Caption", u8(6) + ss("OK")) + u8(0) + u8(0);
    return "TPF0" + ss("TForm1") + ss("Form1") + properties + u8(0) + child + u8(0);
}

} // namespace

TEST(ComponentStream, ScalarKindsReadAndWriteBack) {
    const std::string bytes = richStream();
    const StreamObject form = roundTrip(bytes);
    EXPECT_EQ(form.className, "TForm1");
    EXPECT_EQ(form.name, "Form1");

    EXPECT_EQ(form.property("n")->kind, ValueKind::Null);
    EXPECT_EQ(form.property("A")->kind, ValueKind::Int8);
    EXPECT_EQ(form.property("A")->integer, -128);
    EXPECT_EQ(form.property("B")->kind, ValueKind::Int16);
    EXPECT_EQ(form.property("B")->integer, -32768);
    EXPECT_EQ(form.property("C")->kind, ValueKind::Int32);
    EXPECT_EQ(form.property("C")->integer, INT32_MIN);
    EXPECT_EQ(form.property("E")->kind, ValueKind::Extended);
    EXPECT_EQ(form.property("E")->extended, 1.5L);
    EXPECT_EQ(form.property("S")->text, "abc");
    EXPECT_EQ(form.property("OnClick")->kind, ValueKind::Ident);
    EXPECT_EQ(form.property("OnClick")->text, "Button1Click");
    EXPECT_EQ(form.property("F")->kind, ValueKind::False);
    EXPECT_EQ(form.property("T")->kind, ValueKind::True);
    EXPECT_EQ(form.property("D")->kind, ValueKind::Binary);
    EXPECT_EQ(form.property("D")->text, "\x01\x02\x03");
    EXPECT_EQ(form.property("L")->kind, ValueKind::LString);
    EXPECT_EQ(form.property("L")->text, "xy");
    EXPECT_EQ(form.property("P")->kind, ValueKind::Nil);
    EXPECT_EQ(form.property("W")->wide, u"Ří");
}

TEST(ComponentStream, ListsSetsAndCollections) {
    const StreamObject form = readComponentStream(richStream());

    const StreamValue* set = form.property("Anchors");
    ASSERT_EQ(set->kind, ValueKind::Set);
    EXPECT_EQ(set->set, (std::vector<std::string>{"akLeft", "akTop"}));

    const StreamValue* list = form.property("Lines.Strings");
    ASSERT_EQ(list->list.size(), 2u);
    EXPECT_EQ(list->list[0].text, "a");
    ASSERT_EQ(list->list[1].kind, ValueKind::List);
    EXPECT_EQ(list->list[1].list[0].integer, 1);

    const StreamValue* items = form.property("Items");
    ASSERT_EQ(items->items.size(), 2u);
    EXPECT_TRUE(items->items[0].order.empty());
    EXPECT_TRUE(items->items[0].listMarker);
    ASSERT_EQ(items->items[1].order.size(), 1u);
    EXPECT_EQ(items->items[1].order[0].integer, 5);
    EXPECT_EQ(items->items[1].properties[0].value.integer, 300);
}

TEST(ComponentStream, CollectionItemsWithoutMarkerAsOlderWritersStoredThem) {
    // No order and no marker; then an order (Int16) without marker; then an empty item with order.
    const std::string collection = u8(14) + prop("Width", u8(2) + u8(1)) + u8(0) + u8(3) +
                                   le16(1000) + prop("Tag", u8(2) + u8(2)) + u8(0) + u8(2) + u8(9) +
                                   u8(0) + u8(0);
    const StreamObject form = roundTrip(root(prop("Columns", collection)));
    const auto& items = form.property("Columns")->items;
    ASSERT_EQ(items.size(), 3u);
    for (const auto& item : items)
        EXPECT_FALSE(item.listMarker);
    EXPECT_EQ(items[0].properties[0].name, "Width");
    EXPECT_EQ(items[1].order[0].kind, ValueKind::Int16);
    EXPECT_EQ(items[1].order[0].integer, 1000);
    EXPECT_EQ(items[1].properties[0].name, "Tag");
    EXPECT_TRUE(items[2].properties.empty());
}

TEST(ComponentStream, MarkerlessItemsThatWouldBeMisreadGetTheMarker) {
    // A one-letter first name looks like the marker, a 2..4 letter name like an order value and
    // an empty item like the end of the collection.
    for (const char* first : {"X", "Ab", "Tag", "", "Width"}) {
        StreamObject form;
        form.className = "TForm";
        StreamProperty property{"Items", {}};
        property.value.kind = ValueKind::Collection;
        CollectionItem item;
        item.listMarker = false;
        if (*first) item.properties.push_back({first, StreamValue{}});
        property.value.items = {item, item};
        form.properties.push_back(property);

        const StreamObject back = readComponentStream(writeComponentStream(form));
        const auto& items = back.property("Items")->items;
        ASSERT_EQ(items.size(), 2u) << first;
        EXPECT_EQ(items[1].properties.size(), *first ? 1u : 0u) << first;
        if (*first) {
            EXPECT_EQ(items[1].properties[0].name, first);
        }
    }
}

TEST(ComponentStream, PrefixFlagsPositionAndNestedChildren) {
    const std::string grandchild = u8(0xF1) + ss("TEdit") + ss("Edit1") + u8(0) + u8(0);
    const std::string child =
        u8(0xF6) + u8(4) + le32(70000) + ss("TFrame1") + ss("Frame") + u8(0) + grandchild + u8(0);
    const std::string plain = ss("TButton") + ss("") + u8(0) + u8(0);
    const std::string bytes =
        "TPF0" + u8(0xF1) + ss("TForm2") + ss("Form2") + u8(0) + child + plain + u8(0);
    const StreamObject form = roundTrip(bytes);

    EXPECT_EQ(form.flags, FlagInherited);
    ASSERT_EQ(form.children.size(), 2u);
    const StreamObject& frame = form.children[0];
    EXPECT_EQ(frame.flags, FlagInline | FlagChildPos);
    EXPECT_EQ(frame.position, 70000);
    EXPECT_EQ(frame.positionKind, ValueKind::Int32);
    ASSERT_EQ(frame.children.size(), 1u);
    EXPECT_EQ(frame.children[0].name, "Edit1");
    EXPECT_EQ(form.children[1].flags, 0);
    EXPECT_EQ(form.children[1].className, "TButton");
}

TEST(ComponentStream, EveryTruncationIsAnError) {
    const std::string bytes = richStream();
    for (std::size_t length = 0; length < bytes.size(); ++length)
        EXPECT_THROW(readComponentStream(bytes.substr(0, length)), StreamError) << length;
    EXPECT_EQ(errorOf(root(prop("S", u8(6) + u8(10) + "abc")))
                  .rfind("Proud komponent končí předčasně na pozici ", 0),
              0u);
}

TEST(ComponentStream, CorruptInputIsReportedWithItsOffset) {
    EXPECT_EQ(errorOf("TPX0" + ss("T") + ss("") + u8(0) + u8(0)), "Chybí podpis TPF0");
    // "TPF0", 7+1 bytes of names, 2+1 bytes of the property name: the type byte is at 15.
    EXPECT_EQ(errorOf("TPF0" + ss("TForm1") + ss("") + prop("Xy", u8(0x33))),
              "Neznámý typ hodnoty 0x33 na pozici 15");
    EXPECT_EQ(errorOf(root("") + "!"), "Nečekaná data za kořenovým objektem na pozici 19");
    EXPECT_NE(errorOf("TPF0" + u8(0xF0) + ss("T") + ss("") + u8(0) + u8(0)).find("Předpona"),
              std::string::npos);
    EXPECT_NE(errorOf("TPF0" + u8(0xF2) + u8(6) + ss("x") + ss("T") + ss("") + u8(0) + u8(0))
                  .find("celé číslo (pořadí potomka)"),
              std::string::npos);
}

TEST(ComponentStream, HugeDeclaredLengthsAndDeepNestingAreRefused) {
    for (unsigned kind : {10u, 12u, 18u}) {
        const std::string error = errorOf(root(prop("X", u8(kind) + le32(0xFFFFFFF0))));
        EXPECT_NE(error.find("končí předčasně"), std::string::npos) << error;
    }
    std::string deep = u8(1);
    for (int i = 0; i < 400; ++i)
        deep += u8(1);
    EXPECT_NE(errorOf(root(prop("L", deep))).find("vnořen hlouběji"), std::string::npos);

    // Children nest through objects rather than values; the same limit holds.
    std::string objects;
    for (int i = 0; i < 400; ++i)
        objects += ss("T") + ss("") + u8(0);
    EXPECT_NE(errorOf("TPF0" + objects).find("vnořen hlouběji"), std::string::npos);
}

TEST(ComponentStream, ConsumedLengthLeavesFollowingData) {
    const std::string bytes = root(prop("A", u8(9)));
    std::size_t consumed = 0;
    const StreamObject form = readComponentStream(bytes + "rest", consumed);
    EXPECT_EQ(consumed, bytes.size());
    EXPECT_EQ(form.property("A")->kind, ValueKind::True);
}

TEST(ComponentStream, WriterRefusesTreesTheStreamCannotHold) {
    auto fails = [](const StreamObject& object) {
        EXPECT_THROW(writeComponentStream(object), StreamError);
    };
    StreamObject form;
    form.className = "TForm";

    StreamObject withValue = form;
    withValue.properties.push_back({"X", StreamValue{}});
    withValue.properties[0].value.kind = ValueKind::Int8;
    withValue.properties[0].value.integer = 128;
    fails(withValue);

    withValue.properties[0].value.kind = ValueKind::String;
    withValue.properties[0].value.text = std::string(256, 'x');
    fails(withValue);

    withValue.properties[0].value = StreamValue{};
    withValue.properties[0].value.kind = ValueKind::List;
    withValue.properties[0].value.list.push_back(StreamValue{}); // Null
    fails(withValue);

    withValue.properties[0] = {"", StreamValue{}};
    fails(withValue);

    StreamObject withChild = form;
    withChild.children.push_back(StreamObject{}); // no class name, no prefix
    fails(withChild);

    StreamObject longClass = form;
    longClass.className = std::string(240, 'T');
    fails(longClass);
    longClass.flags = FlagInherited; // with a prefix the length byte cannot be mistaken
    EXPECT_NO_THROW(readComponentStream(writeComponentStream(longClass)));
}

TEST(ExtendedFloat, PortableConversionMatchesTheNativeFormat) {
    const long double values[] = {0.0L,         -0.0L,
                                  1.0L,         -1.5L,
                                  0.1L,         1e4000L,
                                  -1e-4000L,    LDBL_MAX,
                                  LDBL_MIN,     LDBL_TRUE_MIN,
                                  LDBL_MIN / 3, HUGE_VALL,
                                  -HUGE_VALL,   3.14159265358979323846L};
    for (long double v : values) {
        ExtendedBytes native{};
        std::memcpy(native.data(), &v, native.size());
        EXPECT_EQ(encodeExtendedPortable(v), native) << static_cast<double>(v);
        const long double back = decodeExtendedPortable(native);
        EXPECT_EQ(back, v);
        EXPECT_EQ(std::signbit(back), std::signbit(v));
    }
    EXPECT_TRUE(std::isnan(decodeExtendedPortable(encodeExtendedPortable(NAN))));
}

TEST(ExtendedFloat, NanPayloadSurvivesTheStream) {
    const std::string odd("\x34\x12\0\0\0\0\0\xC0\xFF\x7F", 10); // NaN with a payload
    const StreamObject form = roundTrip(root(prop("E", u8(5) + odd)));
    EXPECT_TRUE(std::isnan(form.property("E")->extended));
}
