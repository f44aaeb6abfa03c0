#include "data/memory_data_set.h"
#include "core/cp1250.h"

#include "core/civil_date.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace vorlan::data {

class MemoryDataSet::MemoryField : public Field {
public:
    MemoryField(MemoryDataSet& owner, int column, FieldDef def)
        : owner_(owner), column_(column), def_(std::move(def)) {}
    const std::string& name() const override { return def_.name; }
    FieldType type() const override { return def_.type; }
    int size() const override { return def_.size; }
    int decimals() const override { return def_.decimals; }
    Value value() const override { return owner_.cell(column_); }
    void setValue(const Value& v) override {
        owner_.setCell(column_, v);
        owner_.fieldChanged(this);
    }
    std::string blob() const override {
        if (def_.type == FieldType::Graphic || def_.type == FieldType::Blob) {
            return asString();
        }
        return {};
    }

private:
    MemoryDataSet& owner_;
    int column_;
    FieldDef def_;
};

// Out of line: the field objects are complete only here.
MemoryDataSet::MemoryDataSet() = default;
MemoryDataSet::MemoryDataSet(std::vector<FieldDef> fields) {
    setFields(std::move(fields));
}

MemoryDataSet::~MemoryDataSet() = default;

void MemoryDataSet::setFields(std::vector<FieldDef> fields) {
    defs_ = std::move(fields);
    fields_.clear();
    for (std::size_t i = 0; i < defs_.size(); ++i) {
        fields_.push_back(std::make_unique<MemoryField>(*this, static_cast<int>(i), defs_[i]));
    }
}

void MemoryDataSet::addRow(std::vector<Value> row) {
    row.resize(defs_.size());
    rows_.push_back(std::move(row));
}

void MemoryDataSet::doOpen() {
    first();
}

void MemoryDataSet::first() {
    checkBrowse();
    cur_ = 0;
    bof_ = true;
    eof_ = rows_.empty();
    changed();
}

void MemoryDataSet::last() {
    checkBrowse();
    cur_ = rows_.empty() ? 0 : rows_.size() - 1;
    eof_ = true;
    bof_ = rows_.empty();
    changed();
}

int MemoryDataSet::moveBy(int distance) {
    checkBrowse();
    if (rows_.empty()) {
        bof_ = eof_ = true;
        return 0;
    }
    int moved = 0;
    bof_ = eof_ = false;
    while (distance > 0) {
        if (cur_ + 1 >= rows_.size()) {
            eof_ = true;
            break;
        }
        ++cur_;
        ++moved;
        --distance;
    }
    while (distance < 0) {
        if (cur_ == 0) {
            bof_ = true;
            break;
        }
        --cur_;
        --moved;
        ++distance;
    }
    changed();
    return moved;
}

std::uint32_t MemoryDataSet::recNo() const {
    if (state() == DataSetState::Insert) {
        return static_cast<std::uint32_t>(rows_.size() + 1);
    }
    return rows_.empty() ? 0 : static_cast<std::uint32_t>(cur_ + 1);
}

void MemoryDataSet::gotoBookmark(Bookmark b) {
    checkBrowse();
    if (b == 0 || b > rows_.size()) {
        throw DataSetError(czech("Záznam nebyl nalezen"));
    }
    cur_ = b - 1;
    bof_ = eof_ = false;
    changed();
}

Field* MemoryDataSet::field(int index) const {
    if (index < 0 || index >= fieldCount()) {
        throw DataSetError(czech("Index seznamu je mimo meze (") + std::to_string(index) + ")");
    }
    return fields_[static_cast<std::size_t>(index)].get();
}

Value MemoryDataSet::cell(int column) const {
    auto c = static_cast<std::size_t>(column);
    if (state() == DataSetState::Edit || state() == DataSetState::Insert) {
        return buffer_.at(c);
    }
    if (!active() || rows_.empty()) {
        return {};
    }
    return rows_[cur_].at(c);
}

void MemoryDataSet::setCell(int column, const Value& v) {
    if (state() == DataSetState::Browse) {
        edit();
    }
    if (state() != DataSetState::Edit && state() != DataSetState::Insert) {
        throw DataSetError(czech("Datová sada není v režimu úprav ani vkládání"));
    }
    buffer_.at(static_cast<std::size_t>(column)) = v;
}

void MemoryDataSet::doEdit() {
    buffer_ = rows_.at(cur_);
}

void MemoryDataSet::doAppend() {
    buffer_.assign(defs_.size(), Value());
}

void MemoryDataSet::doPost() {
    if (state() == DataSetState::Insert) {
        rows_.push_back(buffer_);
        cur_ = rows_.size() - 1;
    } else {
        rows_.at(cur_) = buffer_;
    }
    bof_ = eof_ = false;
}

void MemoryDataSet::doCancel() {
    buffer_.clear();
}

void MemoryDataSet::doDelete() {
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(cur_));
    if (rows_.empty()) {
        cur_ = 0;
        bof_ = eof_ = true;
    } else if (cur_ >= rows_.size()) {
        cur_ = rows_.size() - 1;
        eof_ = true;
    }
}

// ---- CSV --------------------------------------------------------------------------------

namespace {

std::vector<std::string> splitCsvLine(std::string_view line, char sep, int lineNo) {
    std::vector<std::string> out;
    std::string cur;
    bool quoted = false;
    bool wasQuoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < line.size() && line[i + 1] == '"') {
                    cur += '"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                cur += c;
            }
        } else if (c == '"' && cur.empty() && !wasQuoted) {
            quoted = wasQuoted = true;
        } else if (c == sep) {
            out.push_back(std::move(cur));
            cur.clear();
            wasQuoted = false;
        } else if (c != '\r') {
            cur += c;
        }
    }
    if (quoted) {
        throw DataSetError(czech("Řádek CSV ") + std::to_string(lineNo) +
                           czech(": neukončené uvozovky"));
    }
    out.push_back(std::move(cur));
    return out;
}

bool looksNumeric(const std::string& s) {
    if (s.empty()) {
        return true;
    }
    char* end = nullptr;
    std::strtod(s.c_str(), &end);
    return end != nullptr && *end == '\0';
}

bool parseDate(const std::string& s, DateTime& out) {
    int d = 0, m = 0, y = 0;
    char tail = 0;
    if (std::sscanf(s.c_str(), "%d.%d.%d%c", &d, &m, &y, &tail) != 3 &&
        std::sscanf(s.c_str(), "%d-%d-%d%c", &y, &m, &d, &tail) != 3) {
        return false;
    }
    // 31.2. is no date: it must not be read as a day in March.
    if (!isValidDate(y, m, d)) {
        return false;
    }
    out.days = static_cast<double>(serialFromCivil(y, m, d));
    return true;
}

} // namespace

std::unique_ptr<MemoryDataSet> MemoryDataSet::fromCsvText(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        if (nl == std::string_view::npos) {
            nl = text.size();
        }
        std::string line(text.substr(pos, nl - pos));
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty()) {
            lines.push_back(std::move(line));
        }
        pos = nl + 1;
    }
    if (lines.empty()) {
        throw DataSetError(czech("Soubor CSV nemá řádek se jmény položek"));
    }
    char sep = lines[0].find(';') != std::string::npos ? ';' : ',';
    auto names = splitCsvLine(lines[0], sep, 1);
    std::vector<std::vector<std::string>> cells;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        auto row = splitCsvLine(lines[i], sep, static_cast<int>(i + 1));
        if (row.size() != names.size()) {
            throw DataSetError(czech("Řádek CSV ") + std::to_string(i + 1) + ": " +
                               std::to_string(row.size()) + czech(" hodnot, očekáváno ") +
                               std::to_string(names.size()));
        }
        cells.push_back(std::move(row));
    }
    std::vector<FieldDef> defs;
    for (std::size_t c = 0; c < names.size(); ++c) {
        FieldDef def{names[c], FieldType::Float, 1, 0};
        bool numeric = true, date = true, boolean = true;
        for (const auto& row : cells) {
            const std::string& v = row[c];
            def.size = std::max<int>(def.size, static_cast<int>(v.size()));
            numeric = numeric && looksNumeric(v);
            DateTime dt;
            date = date && (v.empty() || parseDate(v, dt));
            boolean = boolean && (v == "T" || v == "F" || v.empty());
            if (auto dot = v.find('.'); numeric && dot != std::string::npos) {
                def.decimals = std::max<int>(def.decimals, static_cast<int>(v.size() - dot - 1));
            }
        }
        if (cells.empty()) {
            def.type = FieldType::String;
        } else if (boolean && !numeric) {
            def.type = FieldType::Boolean;
        } else if (numeric) {
            def.type = FieldType::Float;
        } else if (date) {
            def.type = FieldType::Date;
        } else {
            def.type = FieldType::String;
        }
        defs.push_back(def);
    }
    auto ds = std::make_unique<MemoryDataSet>(defs);
    for (const auto& row : cells) {
        std::vector<Value> values;
        for (std::size_t c = 0; c < row.size(); ++c) {
            const std::string& v = row[c];
            switch (defs[c].type) {
            case FieldType::Float:
                values.emplace_back(v.empty() ? Value() : Value(std::strtod(v.c_str(), nullptr)));
                break;
            case FieldType::Date: {
                DateTime dt;
                values.emplace_back(v.empty() || !parseDate(v, dt) ? Value() : Value(dt));
                break;
            }
            case FieldType::Boolean:
                values.emplace_back(v.empty() ? Value() : Value(v == "T"));
                break;
            default:
                values.emplace_back(v);
            }
        }
        ds->addRow(std::move(values));
    }
    return ds;
}

} // namespace vorlan::data
