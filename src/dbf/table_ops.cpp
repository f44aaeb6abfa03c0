#include "dbf/table_ops.h"
#include "core/cp1250.h"

#include "dbf/progress.h"
#include "dbf/settings.h"
#include "dbf/xbase_text.h"

namespace vorlan::dbf {
namespace {

bool isMemo(char t) {
    return t == 'M' || t == 'G' || t == 'P';
}

// Copies the current record of `from` into the current (new) record of `to`, by field name.
void copyFields(const Table& from, Table& to, bool keepDeleted) {
    for (int f = 0; f < from.fieldCount(); ++f) {
        const FieldInfo& src = from.field(f);
        const int d = to.fieldIndex(src.name);
        if (d < 0) continue;
        const FieldInfo& dst = to.field(d);
        if (isMemo(src.type) && isMemo(dst.type)) {
            const std::string data = from.getMemo(f);
            if (!data.empty()) to.setMemo(d, data);
        } else if (src.type == dst.type && src.width == dst.width) {
            to.setRaw(d, from.raw(f));
        } else if (!from.fieldEmpty(f)) {
            const XValue v = from.getValue(f);
            try {
                to.setValue(d, v);
            } catch (const DbfError&) {
                to.setFromText(d, v.type == ValueType::Char ? v.str : from.getString(f));
            }
        }
    }
    if (keepDeleted && from.deleted()) to.deleteRecord();
}

} // namespace

TableFlavor flavorOf(const Table& table) {
    switch (table.version()) {
    case 0x30:
    case 0x31:
    case 0x32:
        return TableFlavor::VisualFoxPro;
    case 0x83:
    case 0x8B:
        return TableFlavor::DBase3;
    default:
        if (table.hasMemoFile() && table.memoFile().kind() == MemoKind::Dbt)
            return TableFlavor::DBase3;
        return TableFlavor::FoxPro;
    }
}

std::vector<FieldSpec> fieldSpecs(const Table& table) {
    std::vector<FieldSpec> out;
    for (int f = 0; f < table.fieldCount(); ++f) {
        const FieldInfo& fi = table.field(f);
        out.push_back({fi.name, fi.type, fi.width, fi.decimals});
    }
    return out;
}

void copyStructure(const Table& source, const std::filesystem::path& target) {
    CreateOptions o;
    o.flavor = flavorOf(source);
    o.codePage = source.codePage();
    Table::create(target, fieldSpecs(source), o)->close();
}

void createStructureTable(const std::filesystem::path& target, TableFlavor flavor) {
    CreateOptions o;
    o.flavor = flavor;
    Table::create(target,
                  {{"FIELD_NAME", 'C', 10},
                   {"FIELD_TYPE", 'C', 1},
                   {"FIELD_LEN", 'N', 5},
                   {"FIELD_DEC", 'N', 3}},
                  o)
        ->close();
}

void copyStructureExtended(const Table& source, const std::filesystem::path& target) {
    createStructureTable(target, flavorOf(source) == TableFlavor::DBase3 ? TableFlavor::DBase3
                                                                         : TableFlavor::FoxPro);
    auto t = Table::open(target);
    for (int f = 0; f < source.fieldCount(); ++f) {
        const FieldInfo& fi = source.field(f);
        t->append();
        t->setString(0, fi.name);
        t->setString(1, std::string(1, fi.type));
        t->setNumber(2, fi.width);
        t->setNumber(3, fi.decimals);
    }
    t->close();
}

void createFromStructure(const std::filesystem::path& structure,
                         const std::filesystem::path& target, TableFlavor flavor) {
    auto s = Table::open(structure, {.readOnly = true});
    const int name = s->fieldIndex("FIELD_NAME"), type = s->fieldIndex("FIELD_TYPE"),
              len = s->fieldIndex("FIELD_LEN"), dec = s->fieldIndex("FIELD_DEC");
    if (name < 0 || type < 0 || len < 0 || dec < 0)
        throw DbfError(czech("není to tabulka struktury: ") + utf8ToCp1250(structure.string()));
    std::vector<FieldSpec> specs;
    for (s->goTop(); !s->eof(); s->skip()) {
        if (s->deleted()) continue;
        const std::string t(trimLeft(trimRight(s->getString(type))));
        specs.push_back({std::string(trimRight(s->getString(name))), t.empty() ? 'C' : t[0],
                         static_cast<int>(s->getNumber(len)), static_cast<int>(s->getNumber(dec))});
    }
    CreateOptions o;
    o.flavor = flavor;
    Table::create(target, specs, o)->close();
}

std::uint32_t copyRecords(Table& source, const std::filesystem::path& target) {
    copyStructure(source, target);
    auto t = Table::open(target, {.exclusive = true});
    std::uint32_t n = 0;
    ProgressTask progress(source.recordCount());
    for (source.goTop(); !source.eof(); source.skip()) {
        progress.step(n);
        t->append();
        copyFields(source, *t, true);
        ++n;
    }
    progress.finish();
    t->close();
    return n;
}

std::uint32_t appendFrom(Table& target, const std::filesystem::path& from,
                         std::string_view condition) {
    auto s = Table::open(from, {.readOnly = true});
    Expression cond;
    if (!trimLeft(trimRight(condition)).empty()) {
        cond = Expression::compile(condition, s.get());
        if (cond.type() != ValueType::Logical)
            throw DbfError(czech("podmínka musí být logický výraz"));
    }
    std::uint32_t n = 0;
    for (s->goTop(); !s->eof(); s->skip()) {
        if (cond.valid() && !cond.test(s.get())) continue;
        target.append();
        copyFields(*s, target, false); // appended records start undeleted
        ++n;
    }
    target.flush();
    return n;
}

std::uint32_t copyToText(Table& source, const std::filesystem::path& target, TextFormat format) {
    const auto tmp = tempNameBeside(target);
    std::uint32_t n = 0;
    try {
        File out;
        out.create(tmp);
        std::string chunk;
        std::uint64_t pos = 0;
        for (source.goTop(); !source.eof(); source.skip()) {
            bool first = true;
            for (int f = 0; f < source.fieldCount(); ++f) {
                const FieldInfo& fi = source.field(f);
                if (isMemo(fi.type)) continue;
                std::string v;
                switch (fi.type) {
                case 'D':
                case 'T':
                    v = dateToDtos(source.getDate(f));
                    break;
                case 'L':
                    v.assign(1, source.fieldEmpty(f) ? (format == TextFormat::Sdf ? ' ' : 'F')
                                                     : (source.getLogical(f) ? 'T' : 'F'));
                    break;
                case 'I':
                case 'B':
                case 'Y':
                    v = source.getString(f);
                    break;
                default:
                    v = std::string(source.raw(f));
                    break;
                }
                if (format == TextFormat::Delimited) {
                    if (!first) chunk += ',';
                    if (fi.type == 'C')
                        chunk += '"' + std::string(trimRight(v)) + '"';
                    else
                        chunk += std::string(trimLeft(trimRight(v)));
                } else {
                    chunk += v;
                }
                first = false;
            }
            chunk += "\r\n";
            ++n;
            if (chunk.size() > (1u << 16)) {
                out.writeAt(pos, chunk.data(), chunk.size());
                pos += chunk.size();
                chunk.clear();
            }
        }
        out.writeAt(pos, chunk.data(), chunk.size());
        out.close();
        replaceFile(tmp, target);
    } catch (...) {
        std::error_code ec;
        std::filesystem::remove(tmp, ec);
        throw;
    }
    return n;
}

} // namespace vorlan::dbf
