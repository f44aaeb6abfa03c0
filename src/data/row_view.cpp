#include "data/row_view.h"

#include "dbf/xbase_text.h"

namespace vorlan::data {

namespace {

// Puts the engine's record pointer back where it stood, however the read ends.
class PointerKept {
public:
    explicit PointerKept(tables::EngineTable& t) : t_(t), recno_(t.recNo()) {}
    ~PointerKept() { t_.goTo(recno_); }
    PointerKept(const PointerKept&) = delete;
    PointerKept& operator=(const PointerKept&) = delete;

private:
    tables::EngineTable& t_;
    std::uint32_t recno_;
};

bool isMemoCell(char type) {
    return type == 'M' || type == 'G' || type == 'B' || type == 'P';
}

std::string cellText(const tables::EngineTable& t, int field) {
    const tables::FieldDesc& info = t.field(field);
    if (isMemoCell(info.type)) return "(memo)";
    if (info.type == 'D') {
        const std::int32_t jd = t.getDate(field);
        if (jd == 0) return "  .  .    ";
        const std::string ymd = dbf::dateToDtos(jd);
        return ymd.substr(6, 2) + '.' + ymd.substr(4, 2) + '.' + ymd.substr(0, 4);
    }
    std::string text = t.getString(field);
    if (info.type == 'N' || info.type == 'F') {
        const auto first = text.find_first_not_of(' ');
        text.erase(0, first == std::string::npos ? text.size() : first);
    }
    return text;
}

bool onRecord(tables::EngineTable& t, std::uint32_t recno) {
    if (recno == 0 || recno > t.recordCount()) return false;
    t.goTo(recno);
    return !t.eof();
}

} // namespace

std::vector<FieldDescription> RowView::fields() const {
    std::vector<FieldDescription> out;
    if (const tables::EngineTable* t = dataSet_.table()) {
        for (int f = 0; f < t->fieldCount(); ++f) {
            const tables::FieldDesc& d = t->field(f);
            out.push_back({d.name, d.type, d.width, d.decimals});
        }
    }
    return out;
}

std::vector<std::uint32_t> RowView::records(std::vector<std::uint32_t>* deleted) const {
    std::vector<std::uint32_t> out;
    tables::EngineTable* t = dataSet_.table();
    if (t == nullptr) return out;
    PointerKept kept(*t);
    for (t->goTop(); !t->eof(); t->skip(1)) {
        out.push_back(t->recNo());
        if (deleted && t->deleted()) deleted->push_back(t->recNo());
    }
    return out;
}

std::vector<std::string> RowView::cells(std::uint32_t recno) const {
    std::vector<std::string> out;
    tables::EngineTable* t = dataSet_.table();
    if (t == nullptr) return out;
    PointerKept kept(*t);
    if (!onRecord(*t, recno)) return out;
    for (int f = 0; f < t->fieldCount(); ++f) {
        out.push_back(cellText(*t, f));
    }
    return out;
}

std::string RowView::cell(std::uint32_t recno, int field) const {
    tables::EngineTable* t = dataSet_.table();
    if (t == nullptr || field < 0 || field >= t->fieldCount()) return {};
    PointerKept kept(*t);
    return onRecord(*t, recno) ? cellText(*t, field) : std::string();
}

std::string RowView::memo(std::uint32_t recno, int field) const {
    tables::EngineTable* t = dataSet_.table();
    if (t == nullptr || field < 0 || field >= t->fieldCount()) return {};
    PointerKept kept(*t);
    return onRecord(*t, recno) ? t->getMemo(field) : std::string();
}

} // namespace vorlan::data
