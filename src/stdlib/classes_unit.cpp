// CLASSES: string lists, lists of values, streams and the members of TComponent.
#include "script/bind.h"
#include "script/component.h"
#include "stdlib/collection.h"
#include "stdlib/list_errors.h"
#include "stdlib/new_object.h"
#include "stdlib/script_lists.h"
#include "stdlib/streams.h"
#include "stdlib/string_list.h"
#include "stdlib/units.h"
#include "stdlib/variant_list.h"

#include <algorithm>

namespace vorlan::stdlib {

using script::ClassBinder;
using script::Component;
using script::Value;

namespace {

// The whole list API is bound on TStrings: a TStringList and the lines and items of controls
// (whose lists derive from the same base) answer the same members.
constexpr const char* kStringsApiClass = "TStrings";

void bindStrings(script::Registry& reg) {
    ClassBinder<Strings> s(reg, kStringsApiClass, "TPersistent");
    ClassBinder<Strings> concrete(reg, "TStringList", "TStrings",
                                  [](Component*) { return std::make_unique<StringList>(); });
    s.bind("Add", "function(S: string): Integer",
           [](Strings& l, std::string t) { return l.add(std::move(t)); });
    s.bind("AddObject", "function(S: string; AObject: Variant): Integer",
           [](Strings& l, std::string t, const Value& o) { return l.add(std::move(t), o); });
    s.bind("Append", "procedure(S: string)",
           [](Strings& l, std::string t) { l.add(std::move(t)); });
    s.bind("Insert", "procedure(Index: Integer; S: string)",
           [](Strings& l, int i, std::string t) { l.insert(i, std::move(t)); });
    s.bind(
        "InsertObject", "procedure(Index: Integer; S: string; AObject: Variant)",
        [](Strings& l, int i, std::string t, const Value& o) { l.insertItem(i, std::move(t), o); });
    s.bind("Delete", "procedure(Index: Integer)", &Strings::remove);
    s.bind("Clear", "procedure", &Strings::clear);
    s.bind("IndexOf", "function(S: string): Integer", &Strings::indexOf);
    s.bind("IndexOfName", "function(Name: string): Integer", &Strings::indexOfName);
    s.bind("IndexOfObject", "function(AObject: Variant): Integer", &Strings::indexOfObject);
    s.bind("Exchange", "procedure(Index1, Index2: Integer)", &Strings::exchange);
    s.bind("Move", "procedure(CurIndex, NewIndex: Integer)", &Strings::move);
    s.bind("Assign", "procedure(Source: Variant)", &assignScriptList);
    s.bind("AddStrings", "procedure(Strings: Variant)", &addScriptList);
    s.bind("Equals", "function(Strings: Variant): Boolean", &equalsScriptList);
    s.bind("Sort", "procedure", &Strings::sort);
    s.bind("BeginUpdate", "procedure", &Strings::beginUpdate);
    s.bind("EndUpdate", "procedure", &Strings::endUpdate);
    s.bind("LoadFromFile", "procedure(FileName: string)", &Strings::loadFromFile);
    s.bind("SaveToFile", "procedure(FileName: string)", &Strings::saveToFile);
    s.bind("LoadFromStream", "procedure(Stream: TStream)", [](Strings& l, Stream* from) {
        if (from) l.loadFromStream(*from);
    });
    s.bind("SaveToStream", "procedure(Stream: TStream)", [](Strings& l, Stream* to) {
        if (to) l.saveToStream(*to);
    });
    s.property("Count", "Integer", &Strings::count);
    s.defaultProperty("Strings", "string", &Strings::get, &Strings::put);
    s.property("Objects", "Variant", &Strings::object, &Strings::putObject);
    s.property("Names", "string", &Strings::name);
    s.property("Values", "string", &Strings::value, &Strings::setValue);
    s.property("ValueFromIndex", "string", &Strings::valueFromIndex, &Strings::setValueFromIndex);
    s.property("Text", "string", &Strings::text, &Strings::setText);
    s.property("CommaText", "string", &Strings::commaText, &Strings::setCommaText);
    s.property("DelimitedText", "string", &Strings::delimitedText, &Strings::setDelimitedText);
    s.property("Delimiter", "Char", &Strings::delimiter, &Strings::setDelimiter);
    s.property("QuoteChar", "Char", &Strings::quoteChar, &Strings::setQuoteChar);
    s.property("NameValueSeparator", "Char", &Strings::nameValueSeparator,
               &Strings::setNameValueSeparator);
    // Memory grows as needed: the capacity a script asks for changes nothing.
    s.property("Capacity", "Integer", &Strings::count, [](Strings&, int) {});

    ClassBinder<StringList> l(reg, "TStringList");
    l.bind("Find", "function(S: string; var Index: Integer): Boolean", &StringList::find);
    l.property("Sorted", "Boolean", &StringList::sorted, &StringList::setSorted);
    l.property("CaseSensitive", "Boolean", &StringList::caseSensitive,
               &StringList::setCaseSensitive);
    l.property(
        "Duplicates", "Integer", [](StringList& x) { return static_cast<int>(x.duplicates()); },
        [](StringList& x, int d) {
            if (d >= 0 && d <= 2) x.setDuplicates(static_cast<Duplicates>(d));
        });

    reg.registerConst("dupIgnore", Value(static_cast<int>(Duplicates::Ignore)));
    reg.registerConst("dupAccept", Value(static_cast<int>(Duplicates::Accept)));
    reg.registerConst("dupError", Value(static_cast<int>(Duplicates::Error)));
}

void bindList(script::Registry& reg) {
    ClassBinder<VariantList> t(reg, "TList", "TObject",
                               [](Component*) { return std::make_unique<VariantList>(); });
    t.bind("Add", "function(Item: Pointer): Integer",
           [](VariantList& l, const Value& v) { return l.add(v); });
    t.bind("Insert", "procedure(Index: Integer; Item: Pointer)",
           [](VariantList& l, int i, const Value& v) { l.insert(i, v); });
    t.bind("Delete", "procedure(Index: Integer)", &VariantList::remove);
    t.bind("Clear", "procedure", &VariantList::clear);
    t.bind("Remove", "function(Item: Pointer): Integer", &VariantList::removeValue);
    t.bind("Extract", "function(Item: Pointer): Pointer", &VariantList::extract);
    t.bind("IndexOf", "function(Item: Pointer): Integer", &VariantList::indexOf);
    t.bind("Exchange", "procedure(Index1, Index2: Integer)", &VariantList::exchange);
    t.bind("Move", "procedure(CurIndex, NewIndex: Integer)", &VariantList::move);
    t.bind("First", "function: Pointer", [](VariantList& l) { return l.first(); });
    t.bind("Last", "function: Pointer", [](VariantList& l) { return l.last(); });
    t.bind("Pack", "procedure", &VariantList::pack);
    t.bind("Expand", "function: TList", [](VariantList& l) { return &l; });
    t.property("Count", "Integer", &VariantList::count, &VariantList::setCount);
    t.property("Capacity", "Integer", &VariantList::capacity, &VariantList::setCapacity);
    t.defaultProperty(
        "Items", "Pointer", [](VariantList& l, int i) { return l.get(i); }, &VariantList::put);
}

void bindStreams(script::Registry& reg) {
    ClassBinder<Stream> s(reg, "TStream", "TObject");
    s.bind("Read", "function(var Buffer: string; Count: Integer): Integer", &Stream::readInto);
    s.bind("Write", "function(Buffer: string; Count: Integer): Integer", &Stream::writePart);
    s.bind("ReadBuffer", "procedure(var Buffer: string; Count: Integer)", &Stream::readIntoExactly);
    s.bind("WriteBuffer", "procedure(Buffer: string; Count: Integer)", &Stream::writePartExactly);
    s.bind("ReadString", "function(Count: Integer): string", &Stream::readText);
    s.bind("WriteString", "procedure(S: string)", &Stream::writeAll);
    s.bind("Seek", "function(Offset: Integer; Origin: Word): Integer", &Stream::seek);
    s.bind("CopyFrom", "function(Source: TStream; Count: Integer): Integer",
           [](Stream& st, Stream* from, std::int64_t n) {
               return from ? st.copyFrom(*from, n) : std::int64_t{0};
           });
    s.property("Position", "Integer", &Stream::position, &Stream::setPosition);
    s.property("Size", "Integer", &Stream::size, &Stream::setSize);

    ClassBinder<MemoryStream> m(reg, "TMemoryStream", "TStream",
                                [](Component*) { return std::make_unique<MemoryStream>(); });
    m.bind("LoadFromFile", "procedure(FileName: string)", &MemoryStream::loadFromFile);
    m.bind("SaveToFile", "procedure(FileName: string)", &MemoryStream::saveToFile);
    m.bind("LoadFromStream", "procedure(Stream: TStream)", [](MemoryStream& ms, Stream* from) {
        if (from) ms.loadFromStream(*from);
    });
    m.bind("SaveToStream", "procedure(Stream: TStream)", [](MemoryStream& ms, Stream* to) {
        if (to) ms.saveToStream(*to);
    });
    m.bind("Clear", "procedure", &MemoryStream::clear);
    m.bind("SetSize", "procedure(NewSize: Integer)", &MemoryStream::setSize);

    ClassBinder<FileStream> f(reg, "TFileStream", "TStream");
    f.bindClassLevel("Create", "function(FileName: string; Mode: Word): TFileStream",
                     [](std::string_view name, int mode) {
                         return keepNew(std::make_unique<FileStream>(name, mode));
                     });
    f.property("FileName", "string", &FileStream::fileName);

    ClassBinder<MemoryStream> t(reg, "TStringStream", "TStream");
    t.bindClassLevel("Create", "function(AString: string): TStringStream", [](std::string text) {
        auto made = std::make_unique<MemoryStream>("TStringStream");
        made->setData(std::move(text));
        return keepNew(std::move(made));
    });
    t.property("DataString", "string", &MemoryStream::data);

    static constexpr std::pair<const char*, int> constants[] = {
        {"soFromBeginning", kFromBeginning},
        {"soFromCurrent", kFromCurrent},
        {"soFromEnd", kFromEnd},
        {"soBeginning", kFromBeginning},
        {"soCurrent", kFromCurrent},
        {"soEnd", kFromEnd},
        {"fmCreate", kFileCreate},
        {"fmOpenRead", kFileOpenRead},
        {"fmOpenWrite", kFileOpenWrite},
        {"fmOpenReadWrite", kFileOpenReadWrite},
        {"fmShareCompat", 0x00},
        {"fmShareExclusive", 0x10},
        {"fmShareDenyWrite", 0x20},
        {"fmShareDenyRead", 0x30},
        {"fmShareDenyNone", 0x40},
    };
    for (const auto& [name, value] : constants)
        reg.registerConst(name, Value(value));
}

void bindComponent(script::Registry& reg) {
    ClassBinder<Component> c(reg, "TComponent");
    c.bind("FindComponent", "function(AName: string): TComponent",
           [](Component& self, std::string_view name) { return self.findComponent(name); });
    // Tag lives among the published properties, where a form's stream puts it.
    c.property(
        "Tag", "Integer",
        [](Component& self) {
            Value v;
            return self.getPublished("Tag", v) ? v.toInt() : 0;
        },
        [](Component& self, int tag) { self.setPublished("Tag", Value(tag)); });
    // Its place among the components of its owner; -1 without an owner.
    c.property("ComponentIndex", "Integer", [](Component& self) -> std::int32_t {
        const Component* owner = self.owner();
        if (!owner) return -1;
        const auto& all = owner->components();
        const auto it = std::find_if(all.begin(), all.end(),
                                     [&self](const auto& owned) { return owned.get() == &self; });
        return static_cast<std::int32_t>(it - all.begin());
    });
}

void bindCollection(script::Registry& reg) {
    ClassBinder<Collection> c(reg, "TCollection", "TPersistent");
    // The item class is taken as given: every item is a TCollectionItem.
    c.bindClassLevel("Create", "function(ItemClass: Variant): TCollection",
                     [](const Value&) { return keepNew(std::make_unique<Collection>()); });
    c.bind("Add", "function: TCollectionItem", &Collection::add);
    c.bind("Insert", "function(Index: Integer): TCollectionItem", &Collection::insert);
    c.bind("Delete", "procedure(Index: Integer)", &Collection::remove);
    c.bind("Clear", "procedure", &Collection::clear);
    c.bind("FindItemID", "function(ID: Integer): TCollectionItem", &Collection::findItemId);
    c.property("Count", "Integer", &Collection::count);
    c.property("ItemClass", "string", &Collection::itemClass);
    c.defaultProperty("Items", "TCollectionItem", &Collection::item);
    // Every collection here shows a change at once; grouping changes needs nothing.
    ClassBinder<script::NativeObject>(reg, "TCollection")
        .bind({"BeginUpdate", "EndUpdate"}, "procedure", [](script::NativeObject&) {});

    ClassBinder<CollectionItem> item(reg, "TCollectionItem", "TPersistent");
    item.property("Collection", "TCollection", &CollectionItem::collection);
    item.property("ID", "Integer", &CollectionItem::id);
    item.property("Index", "Integer", &CollectionItem::index, &CollectionItem::setIndex);
    item.property("DisplayName", "string", &CollectionItem::displayName,
                  &CollectionItem::setDisplayName);
}

} // namespace

void registerClassesUnit(script::Registry& registry) {
    bindExceptionClasses(registry, classesExceptionClasses());
    bindStrings(registry);
    bindList(registry);
    bindStreams(registry);
    bindComponent(registry);
    bindCollection(registry);
}

} // namespace vorlan::stdlib
