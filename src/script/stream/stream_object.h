#pragma once
// The tree of a component stream ("TPF0"): the persisted form of a component with its published
// properties and child components, as the binary stream and its text form both describe it.
// Strings are kept as they were stored: Windows-1250 bytes for the 8-bit kinds, UTF-16 for the
// wide kind, so writing a tree back gives the same bytes.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::stream {

// The value type bytes of the stream.
enum class ValueKind : std::uint8_t {
    Null = 0,
    List = 1,
    Int8 = 2,
    Int16 = 3,
    Int32 = 4,
    Extended = 5,
    String = 6,
    Ident = 7,
    False = 8,
    True = 9,
    Binary = 10,
    Set = 11,
    LString = 12,
    Nil = 13,
    Collection = 14,
    WString = 18,
};

struct StreamProperty;
struct StreamValue;

// One item of a collection: an optional order value, then its properties.
struct CollectionItem {
    std::vector<StreamValue> order; // empty, or the one order value the item was stored with
    std::vector<StreamProperty> properties;
    // Whether the item's properties began with a list marker (value type 1) in the stream; the
    // platform's writer puts one there, older writers did not.
    bool listMarker = true;
};

struct StreamValue {
    ValueKind kind = ValueKind::Null;
    std::int32_t integer = 0;          // Int8, Int16, Int32
    long double extended = 0;          // Extended (80-bit)
    std::string text;                  // String, Ident, LString, Binary (raw bytes)
    std::u16string wide;               // WString
    std::vector<std::string> set;      // Set: element identifiers
    std::vector<StreamValue> list;     // List
    std::vector<CollectionItem> items; // Collection

    bool isString() const {
        return kind == ValueKind::String || kind == ValueKind::LString ||
               kind == ValueKind::WString;
    }
    bool isInteger() const {
        return kind == ValueKind::Int8 || kind == ValueKind::Int16 || kind == ValueKind::Int32;
    }
};

struct StreamProperty {
    std::string name; // dotted names such as "Font.Name" are kept whole
    StreamValue value;
};

// Flags of the optional object prefix byte (high nibble 0xF).
enum ObjectFlags : std::uint8_t {
    FlagInherited = 0x01,
    FlagChildPos = 0x02,
    FlagInline = 0x04,
};

struct StreamObject {
    std::uint8_t flags = 0;                   // ObjectFlags; 0 = no prefix byte
    std::int32_t position = 0;                // with FlagChildPos
    ValueKind positionKind = ValueKind::Int8; // how the position value was stored
    std::string className;
    std::string name;
    std::vector<StreamProperty> properties;
    std::vector<StreamObject> children;

    // The first property of that name (case-insensitive), or null.
    const StreamValue* property(std::string_view propertyName) const;
};

} // namespace vorlan::stream
