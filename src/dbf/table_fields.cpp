// Reading and writing fields: each field type's encoding in the record image and the memo file.

#include "dbf/table.h"

#include "core/cp1250.h"
#include "dbf/settings.h"
#include "dbf/table_internal.h"
#include "dbf/warnings.h"
#include "dbf/xbase_text.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vorlan::dbf {

using detail::isBinaryType;
using detail::isMemoType;

std::string_view Table::raw(int field) const {
    const FieldInfo& f = this->field(field);
    return {image() + f.offset, static_cast<std::size_t>(f.width)};
}

bool Table::deleted() const {
    return image()[0] == '*';
}

bool Table::memoUsesBinaryPointer(int field) const {
    return this->field(field).width == 4;
}

std::uint32_t Table::memoBlock(int field) const {
    const std::string_view r = raw(field);
    std::uint32_t block = 0;
    bool readable = true;
    if (memoUsesBinaryPointer(field)) {
        // Some writers blank a new record's binary pointer with spaces: no memo either.
        if (r != "    ") block = getLe32(reinterpret_cast<const unsigned char*>(r.data()));
    } else {
        // Blank is no memo; anything but digits is a damaged pointer.
        const std::string_view digits = trimLeft(trimRight(r));
        std::uint64_t value = 0;
        for (const char c : digits) {
            if (c < '0' || c > '9' || value > UINT32_MAX) {
                readable = false;
                break;
            }
            value = value * 10 + static_cast<std::uint64_t>(c - '0');
        }
        readable = readable && value <= UINT32_MAX;
        block = readable ? static_cast<std::uint32_t>(value) : 0;
    }
    if (readable && (block == 0 || !memo_.isOpen() || memo_.holds(block))) return block;
    // A pointer into the memo file's header or past its end reads as an empty memo and is never
    // written through; the user hears of it once per table.
    if (!memoDamageTold_) {
        memoDamageTold_ = true;
        warn(czech("Tabulka ") + displayName(path_) + czech(" odkazuje na memo mimo memosoubor ") +
             displayName(memo_.path()) + czech(" (záznam ") + std::to_string(recordNumber()) +
             czech(", položka ") + this->field(field).name + czech("); čte se jako prázdné."));
    }
    return 0;
}

std::string Table::getMemo(int field) const {
    if (!isMemoType(this->field(field).type)) return getString(field);
    const std::uint32_t block = memoBlock(field);
    if (block == 0 || !memo_.isOpen()) return {};
    return memo_.read(block);
}

std::uint32_t Table::memoLength(int field) const {
    if (!isMemoType(this->field(field).type)) return 0;
    const std::uint32_t block = memoBlock(field);
    if (block == 0 || !memo_.isOpen()) return 0;
    return memo_.length(block);
}

std::string Table::getString(int field) const {
    const FieldInfo& f = this->field(field);
    switch (f.type) {
    case 'M':
    case 'G':
    case 'P':
        return getMemo(field);
    case 'I':
    case 'B':
    case 'Y':
        return formatNumber(getNumber(field), f.type == 'I' ? 11 : 20,
                            f.type == 'I' ? 0 : (f.type == 'Y' ? 4 : f.decimals));
    case 'T':
        return dateToText(getDate(field));
    default:
        return std::string(raw(field));
    }
}

double Table::getNumber(int field) const {
    const FieldInfo& f = this->field(field);
    const auto* p = reinterpret_cast<const unsigned char*>(image() + f.offset);
    switch (f.type) {
    case 'I':
        return static_cast<double>(static_cast<std::int32_t>(getLe32(p)));
    case 'B': {
        if (f.width != 8) return 0;
        std::uint64_t bits = getLe32(p) | (static_cast<std::uint64_t>(getLe32(p + 4)) << 32);
        double d;
        std::memcpy(&d, &bits, 8);
        return d;
    }
    case 'Y': {
        if (f.width != 8) return 0;
        const std::uint64_t bits = getLe32(p) | (static_cast<std::uint64_t>(getLe32(p + 4)) << 32);
        return static_cast<double>(static_cast<std::int64_t>(bits)) / 10000.0;
    }
    default: {
        const std::string_view r = raw(field);
        if (r.find('*') != std::string_view::npos) return 0;
        return parseNumber(r);
    }
    }
}

bool Table::getLogical(int field) const {
    const char c = raw(field)[0];
    return c == 'T' || c == 't' || c == 'Y' || c == 'y';
}

std::int32_t Table::getDate(int field) const {
    const FieldInfo& f = this->field(field);
    if (f.type == 'T') {
        if (f.width != 8) return 0;
        const auto jd = static_cast<std::int32_t>(
            getLe32(reinterpret_cast<const unsigned char*>(image() + f.offset)));
        return jd > 0 ? jd : 0;
    }
    return dateFromDtos(raw(field));
}

XValue Table::getValue(int field) const {
    switch (this->field(field).type) {
    case 'N':
    case 'F':
    case 'I':
    case 'B':
    case 'Y':
        return XValue::number(getNumber(field));
    case 'D':
    case 'T':
        return XValue::dateValue(getDate(field));
    case 'L':
        return XValue::logical(getLogical(field));
    case 'M':
    case 'G':
    case 'P':
        return XValue::text(getMemo(field));
    default:
        return XValue::text(std::string(raw(field)));
    }
}

bool Table::fieldEmpty(int field) const {
    const FieldInfo& f = this->field(field);
    if (isMemoType(f.type)) return memoBlock(field) == 0;
    if (isBinaryType(f.type)) return getNumber(field) == 0 && getDate(field) == 0;
    const std::string_view r = raw(field);
    if (f.type == 'L') return r[0] == ' ' || r[0] == '?';
    return trimRight(r).empty();
}

void Table::checkWritable() const {
    if (file_.readOnly())
        throw DbfError(czech("tabulka je otevřena jen pro čtení: ") + utf8ToCp1250(path_.string()));
    if (eof_) throw DbfError(czech("není aktuální záznam"));
}

void Table::markDirty() {
    dirty_ = true;
}

char* Table::editable() {
    if (!editing_) {
        buf_.assign(cur_, cur_ + recordSize_);
        orig_ = buf_;
        cur_ = buf_.data();
        editing_ = true;
    }
    return buf_.data();
}

void Table::setRaw(int field, std::string_view bytes) {
    checkWritable();
    const FieldInfo& f = this->field(field);
    char* dst = editable() + f.offset;
    const std::size_t n = std::min(bytes.size(), static_cast<std::size_t>(f.width));
    std::memcpy(dst, bytes.data(), n);
    std::memset(dst + n, ' ', static_cast<std::size_t>(f.width) - n);
    markDirty();
}

void Table::setString(int field, std::string_view text) {
    const FieldInfo& f = this->field(field);
    switch (f.type) {
    case 'C':
        setRaw(field, text);
        break;
    case 'M':
    case 'G':
    case 'P':
        setMemo(field, text);
        break;
    default:
        setFromText(field, text);
        break;
    }
}

void Table::setNumber(int field, double value) {
    checkWritable();
    const FieldInfo& f = this->field(field);
    auto* p = reinterpret_cast<unsigned char*>(editable() + f.offset);
    switch (f.type) {
    case 'N':
    case 'F':
        setRaw(field, formatNumber(value, f.width, f.decimals));
        return;
    case 'I': {
        const double v =
            std::isfinite(value) ? std::clamp(std::round(value), -2147483648.0, 2147483647.0) : 0;
        putLe32(p, static_cast<std::uint32_t>(static_cast<std::int32_t>(v)));
        break;
    }
    case 'B': {
        std::uint64_t bits;
        std::memcpy(&bits, &value, 8);
        putLe32(p, static_cast<std::uint32_t>(bits));
        putLe32(p + 4, static_cast<std::uint32_t>(bits >> 32));
        break;
    }
    case 'Y': {
        const double v =
            std::isfinite(value) ? std::clamp(std::round(value * 10000.0), -9.2e18, 9.2e18) : 0;
        const auto bits = static_cast<std::uint64_t>(static_cast<std::int64_t>(v));
        putLe32(p, static_cast<std::uint32_t>(bits));
        putLe32(p + 4, static_cast<std::uint32_t>(bits >> 32));
        break;
    }
    default:
        throw DbfError(czech("položka ") + f.name + czech(" není číselná"));
    }
    markDirty();
}

void Table::setLogical(int field, bool value) {
    const FieldInfo& f = this->field(field);
    if (f.type != 'L') throw DbfError(czech("položka ") + f.name + czech(" není logická"));
    setRaw(field, value ? "T" : "F");
}

void Table::setDate(int field, std::int32_t jd) {
    checkWritable();
    const FieldInfo& f = this->field(field);
    if (f.type == 'T') {
        auto* p = reinterpret_cast<unsigned char*>(editable() + f.offset);
        putLe32(p, static_cast<std::uint32_t>(std::max(0, jd)));
        putLe32(p + 4, 0);
        markDirty();
        return;
    }
    if (f.type != 'D') throw DbfError(czech("položka ") + f.name + czech(" není datum"));
    setRaw(field, dateToDtos(jd));
}

void Table::setMemo(int field, std::string_view data, bool binary) {
    checkWritable();
    const FieldInfo& f = this->field(field);
    if (!isMemoType(f.type)) throw DbfError(czech("položka ") + f.name + czech(" není memo"));
    if (!memo_.isOpen())
        throw DbfError(czech("tabulka nemá memosoubor: ") + utf8ToCp1250(path_.string()));
    const std::uint32_t block = memo_.write(data, memoBlock(field), binary);
    if (memoUsesBinaryPointer(field)) {
        putLe32(reinterpret_cast<unsigned char*>(editable() + f.offset), block);
        markDirty();
    } else if (block == 0) {
        setRaw(field, "");
    } else {
        setRaw(field, formatNumber(block, f.width, 0));
    }
}

void Table::setValue(int field, const XValue& value) {
    switch (value.type) {
    case ValueType::Char:
        setString(field, value.str);
        break;
    case ValueType::Numeric:
        setNumber(field, value.num);
        break;
    case ValueType::Date:
        setDate(field, value.date);
        break;
    case ValueType::Logical:
        setLogical(field, value.log);
        break;
    }
}

void Table::setFromText(int field, std::string_view text) {
    const FieldInfo& f = this->field(field);
    switch (f.type) {
    case 'C':
        setRaw(field, text);
        break;
    case 'M':
    case 'G':
    case 'P':
        setMemo(field, text);
        break;
    case 'N':
    case 'F':
    case 'I':
    case 'B':
    case 'Y':
        setNumber(field, parseNumber(text));
        break;
    case 'D':
    case 'T': {
        const std::string_view t = trimLeft(trimRight(text));
        std::int32_t jd = dateFromText(t);
        if (jd == 0 && t.size() == 8) jd = dateFromDtos(t);
        setDate(field, jd);
        break;
    }
    case 'L': {
        const std::string_view t = trimLeft(text);
        const char c =
            t.empty() ? 'F' : static_cast<char>(cp1250Upper(static_cast<unsigned char>(t[0])));
        setRaw(field, (c == 'T' || c == 'Y' || c == '1') ? "T" : "F");
        break;
    }
    default:
        setRaw(field, text);
        break;
    }
}

} // namespace vorlan::dbf
