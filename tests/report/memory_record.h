#pragma once
// A table of one current record held in memory, for the report's data side.

#include "core/cp1250.h"
#include "report/model.h"

#include <string>
#include <vector>

namespace vorlan::report::testing {

struct MemoryField {
    std::string name;
    bool numeric;
    std::string text;
};

class MemoryRecord : public ReportData {
public:
    std::vector<MemoryField> fields;
    mutable int valueRequests = 0;

    int fieldCount() const override { return static_cast<int>(fields.size()); }
    int fieldIndex(std::string_view name) const override {
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (equalsNoCase(fields[i].name, name)) return static_cast<int>(i);
        return -1;
    }
    void fieldValue(int index, ReportValue& out) const override {
        ++valueRequests;
        const MemoryField& f = fields.at(static_cast<std::size_t>(index));
        out.kind = f.numeric ? ValueKind::Number : ValueKind::String;
        out.text = f.text;
        out.number = f.numeric ? std::stod(f.text) : 0;
    }
};

} // namespace vorlan::report::testing
