#include "script/stream/component_stream.h"

#include "script/stream/extended_float.h"

#include <limits>

namespace vorlan::stream {
namespace {

constexpr std::string_view kSignature = "TPF0";

std::string hexByte(std::uint8_t byte) {
    constexpr char digits[] = "0123456789ABCDEF";
    return std::string("0x") + digits[byte >> 4] + digits[byte & 0x0F];
}

bool isIntegerKind(std::uint8_t byte) {
    return byte == static_cast<std::uint8_t>(ValueKind::Int8) ||
           byte == static_cast<std::uint8_t>(ValueKind::Int16) ||
           byte == static_cast<std::uint8_t>(ValueKind::Int32);
}

class Reader {
public:
    explicit Reader(std::string_view bytes) : data_(bytes) {}

    std::size_t offset() const { return pos_; }

    void signature() {
        if (data_.substr(0, kSignature.size()) != kSignature)
            throw StreamError("Chybí podpis TPF0");
        pos_ = kSignature.size();
    }

    StreamObject object() {
        DepthGuard guard(*this);
        StreamObject result;
        const std::uint8_t first = peek();
        if ((first & 0xF0) == 0xF0) {
            // A prefix with no flag set means nothing and no writer produces it; refusing it keeps
            // every accepted stream writable byte for byte.
            if ((first & 0x0F) == 0)
                throw StreamError("Předpona objektu bez příznaků na pozici " +
                                  std::to_string(pos_));
            ++pos_;
            result.flags = first & 0x0F;
            if (result.flags & FlagChildPos) {
                const StreamValue position = integerValue("pořadí potomka");
                result.position = position.integer;
                result.positionKind = position.kind;
            }
        }
        result.className = shortString();
        result.name = shortString();
        properties(result.properties);
        while (peek() != 0)
            result.children.push_back(object());
        ++pos_;
        return result;
    }

private:
    struct DepthGuard {
        explicit DepthGuard(Reader& r) : reader(r) {
            if (++reader.depth_ > kMaxStreamDepth)
                throw StreamError("Proud komponent je vnořen hlouběji než " +
                                  std::to_string(kMaxStreamDepth) + " úrovní na pozici " +
                                  std::to_string(reader.pos_));
        }
        ~DepthGuard() { --reader.depth_; }
        DepthGuard(const DepthGuard&) = delete;
        DepthGuard& operator=(const DepthGuard&) = delete;
        Reader& reader;
    };

    // Checked before anything is allocated, so a huge declared length costs nothing.
    void need(std::size_t count) const {
        if (count > data_.size() - pos_)
            throw StreamError("Proud komponent končí předčasně na pozici " + std::to_string(pos_) +
                              " (potřeba " + std::to_string(count) + " B, zbývá " +
                              std::to_string(data_.size() - pos_) + " B)");
    }

    std::uint8_t peek() const {
        need(1);
        return static_cast<std::uint8_t>(data_[pos_]);
    }

    std::uint8_t byte() {
        const std::uint8_t b = peek();
        ++pos_;
        return b;
    }

    std::uint32_t littleEndian(int size) {
        need(static_cast<std::size_t>(size));
        std::uint32_t value = 0;
        for (int i = size - 1; i >= 0; --i)
            value =
                (value << 8) | static_cast<std::uint8_t>(data_[pos_ + static_cast<std::size_t>(i)]);
        pos_ += static_cast<std::size_t>(size);
        return value;
    }

    std::string bytes(std::size_t count) {
        need(count);
        std::string result(data_.substr(pos_, count));
        pos_ += count;
        return result;
    }

    std::string shortString() { return bytes(byte()); }

    void properties(std::vector<StreamProperty>& into) {
        while (peek() != 0) {
            StreamProperty property;
            property.name = shortString();
            property.value = value();
            into.push_back(std::move(property));
        }
        ++pos_;
    }

    StreamValue integerValue(const char* what) {
        const std::size_t at = pos_;
        if (!isIntegerKind(peek()))
            throw StreamError(std::string("Očekáváno celé číslo (") + what + ") na pozici " +
                              std::to_string(at) + ", nalezen typ hodnoty " + hexByte(peek()));
        return value();
    }

    StreamValue value() {
        const std::size_t at = pos_;
        const std::uint8_t type = byte();
        StreamValue v;
        v.kind = static_cast<ValueKind>(type);
        switch (v.kind) {
        case ValueKind::Null:
        case ValueKind::False:
        case ValueKind::True:
        case ValueKind::Nil:
            break;
        case ValueKind::List: {
            DepthGuard guard(*this);
            while (peek() != 0)
                v.list.push_back(value());
            ++pos_;
            break;
        }
        case ValueKind::Int8:
            v.integer = static_cast<std::int8_t>(littleEndian(1));
            break;
        case ValueKind::Int16:
            v.integer = static_cast<std::int16_t>(littleEndian(2));
            break;
        case ValueKind::Int32:
            v.integer = static_cast<std::int32_t>(littleEndian(4));
            break;
        case ValueKind::Extended: {
            need(10);
            ExtendedBytes raw{};
            for (std::size_t i = 0; i < raw.size(); ++i)
                raw[i] = static_cast<std::uint8_t>(data_[pos_ + i]);
            pos_ += raw.size();
            v.extended = decodeExtended(raw);
            break;
        }
        case ValueKind::String:
        case ValueKind::Ident:
            v.text = shortString();
            break;
        case ValueKind::Binary:
        case ValueKind::LString:
            v.text = bytes(littleEndian(4));
            break;
        case ValueKind::WString: {
            const std::uint32_t count = littleEndian(4);
            need(std::size_t{count} * 2);
            v.wide.resize(count);
            for (std::uint32_t i = 0; i < count; ++i)
                v.wide[i] = static_cast<char16_t>(littleEndian(2));
            break;
        }
        case ValueKind::Set:
            while (peek() != 0)
                v.set.push_back(shortString());
            ++pos_;
            break;
        case ValueKind::Collection: {
            DepthGuard guard(*this);
            while (peek() != 0)
                v.items.push_back(collectionItem());
            ++pos_;
            break;
        }
        default:
            throw StreamError("Neznámý typ hodnoty " + hexByte(type) + " na pozici " +
                              std::to_string(at));
        }
        return v;
    }

    CollectionItem collectionItem() {
        CollectionItem item;
        if (isIntegerKind(peek())) item.order.push_back(value());
        // Older writers went straight to the properties. A 1 here is taken as the marker, the way
        // the platform reads it; the writer keeps the marker wherever leaving it out would be
        // misread (a first property name of one character, for one).
        item.listMarker = peek() == static_cast<std::uint8_t>(ValueKind::List);
        if (item.listMarker) ++pos_;
        properties(item.properties);
        return item;
    }

    std::string_view data_;
    std::size_t pos_ = 0;
    int depth_ = 0;
};

class Writer {
public:
    std::string take() { return std::move(out_); }

    void signature() { out_ += kSignature; }

    void object(const StreamObject& object, bool isChild) {
        const std::uint8_t flags = object.flags & 0x0F;
        if (flags != 0) {
            out_ += static_cast<char>(0xF0 | flags);
            if (flags & FlagChildPos)
                integer(object.positionKind, object.position, "pozici potomka");
        } else {
            // Without a prefix the class name's length byte comes first, and the reader would take
            // a zero as the end of the parent's children, and 0xF0 or more as a prefix.
            if (object.className.size() >= 0xF0)
                throw StreamError("Název třídy '" + object.className.substr(0, 32) +
                                  "...' je pro objekt bez předpony příliš dlouhý");
            if (isChild && object.className.empty())
                throw StreamError("Vnořený objekt '" + object.name + "' nemá název třídy");
        }
        shortString(object.className, "název třídy");
        shortString(object.name, "název objektu");
        properties(object.properties);
        for (const auto& child : object.children)
            this->object(child, true);
        out_ += '\0';
    }

private:
    void byte(std::uint8_t b) { out_ += static_cast<char>(b); }

    void littleEndian(std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i)
            byte(static_cast<std::uint8_t>(value >> (8 * i)));
    }

    void shortString(const std::string& text, const char* what) {
        if (text.size() > 255)
            throw StreamError(std::string("Nelze zapsat ") + what + " '" + text.substr(0, 32) +
                              "...': je delší než 255 bajtů");
        byte(static_cast<std::uint8_t>(text.size()));
        out_ += text;
    }

    void longLength(std::size_t size) {
        if (size > std::numeric_limits<std::uint32_t>::max())
            throw StreamError("Hodnota je delší než 4 GiB");
        littleEndian(static_cast<std::uint32_t>(size), 4);
    }

    void integer(ValueKind kind, std::int32_t value, const char* what) {
        int size = 0;
        std::int32_t low = 0, high = 0;
        switch (kind) {
        case ValueKind::Int8:
            size = 1, low = -128, high = 127;
            break;
        case ValueKind::Int16:
            size = 2, low = -32768, high = 32767;
            break;
        case ValueKind::Int32:
            size = 4, low = std::numeric_limits<std::int32_t>::min(),
            high = std::numeric_limits<std::int32_t>::max();
            break;
        default:
            throw StreamError(std::string("Nelze zapsat ") + what + ": není to celé číslo");
        }
        if (value < low || value > high)
            throw StreamError(std::string("Nelze zapsat ") + what + " " + std::to_string(value) +
                              ": nevejde se do " + std::to_string(size * 8) + " bitů");
        byte(static_cast<std::uint8_t>(kind));
        littleEndian(static_cast<std::uint32_t>(value), size);
    }

    void properties(const std::vector<StreamProperty>& list) {
        for (const auto& property : list) {
            if (property.name.empty()) throw StreamError("Vlastnost má prázdný název");
            shortString(property.name, "název vlastnosti");
            value(property.value);
        }
        out_ += '\0';
    }

    void value(const StreamValue& v) {
        switch (v.kind) {
        case ValueKind::Null:
        case ValueKind::False:
        case ValueKind::True:
        case ValueKind::Nil:
            byte(static_cast<std::uint8_t>(v.kind));
            break;
        case ValueKind::List:
            byte(static_cast<std::uint8_t>(v.kind));
            for (const auto& element : v.list) {
                // Its type byte would end the list.
                if (element.kind == ValueKind::Null)
                    throw StreamError("Seznam nemůže obsahovat hodnotu Null");
                value(element);
            }
            byte(0);
            break;
        case ValueKind::Int8:
        case ValueKind::Int16:
        case ValueKind::Int32:
            integer(v.kind, v.integer, "celé číslo");
            break;
        case ValueKind::Extended: {
            byte(static_cast<std::uint8_t>(v.kind));
            const ExtendedBytes raw = encodeExtended(v.extended);
            out_.append(reinterpret_cast<const char*>(raw.data()), raw.size());
            break;
        }
        case ValueKind::String:
        case ValueKind::Ident:
            byte(static_cast<std::uint8_t>(v.kind));
            shortString(v.text, v.kind == ValueKind::String ? "string" : "identifier");
            break;
        case ValueKind::Binary:
        case ValueKind::LString:
            byte(static_cast<std::uint8_t>(v.kind));
            longLength(v.text.size());
            out_ += v.text;
            break;
        case ValueKind::WString:
            byte(static_cast<std::uint8_t>(v.kind));
            longLength(v.wide.size());
            for (char16_t unit : v.wide)
                littleEndian(unit, 2);
            break;
        case ValueKind::Set:
            byte(static_cast<std::uint8_t>(v.kind));
            for (const auto& element : v.set) {
                if (element.empty()) throw StreamError("Prvek množiny má prázdný název");
                shortString(element, "prvek množiny");
            }
            byte(0);
            break;
        case ValueKind::Collection:
            byte(static_cast<std::uint8_t>(v.kind));
            for (const auto& item : v.items)
                collectionItem(item);
            byte(0);
            break;
        default:
            throw StreamError("Neznámý druh hodnoty " + hexByte(static_cast<std::uint8_t>(v.kind)));
        }
    }

    void collectionItem(const CollectionItem& item) {
        if (item.order.size() > 1) throw StreamError("Položka kolekce má více než jedno pořadí");
        if (!item.order.empty())
            integer(item.order[0].kind, item.order[0].integer, "pořadí položky");
        // An item stored without the marker is only readable when its first byte cannot be
        // mistaken for the marker, an order value or the end of the collection; otherwise the
        // marker is written after all, which reads back as the same properties.
        bool marker = item.listMarker;
        if (!marker) {
            const std::size_t first = item.properties.empty() ? 0 : item.properties[0].name.size();
            marker = first == 1 || (item.order.empty() && first <= 4);
        }
        if (marker) byte(static_cast<std::uint8_t>(ValueKind::List));
        properties(item.properties);
    }

    std::string out_;
};

} // namespace

StreamObject readComponentStream(std::string_view bytes, std::size_t& consumed) {
    Reader reader(bytes);
    reader.signature();
    StreamObject root = reader.object();
    consumed = reader.offset();
    return root;
}

StreamObject readComponentStream(std::string_view bytes) {
    std::size_t consumed = 0;
    StreamObject root = readComponentStream(bytes, consumed);
    if (consumed != bytes.size())
        throw StreamError("Nečekaná data za kořenovým objektem na pozici " +
                          std::to_string(consumed));
    return root;
}

std::string writeComponentStream(const StreamObject& object) {
    Writer writer;
    writer.signature();
    writer.object(object, false);
    return writer.take();
}

} // namespace vorlan::stream
