#pragma once
// A table's fields without records, as the designer's dialogs read them from a report's data
// side.

#include "report/run/record_source.h"

#include <string>
#include <vector>

namespace vorlan::qt::testing {

struct FakeField {
    std::string name;
    std::string label;
    int width = 10;
    std::int32_t type = report::kFtString;
    report::Alignment alignment = report::kAlignLeft;
};

// The fields of a table, no records.
class FakeRecords : public report::RecordSource {
public:
    std::vector<FakeField> fields;

    int fieldCount() const override { return static_cast<int>(fields.size()); }
    int fieldIndex(std::string_view name) const override {
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (fields[i].name == name) return static_cast<int>(i);
        return -1;
    }
    void fieldValue(int, report::ReportValue& out) const override { out.clear(); }
    std::int32_t fieldType(int i) const override { return at(i).type; }
    report::Alignment fieldAlignment(int i) const override { return at(i).alignment; }
    int fieldDisplayWidth(int i) const override { return at(i).width; }
    std::string fieldName(int i) const override { return at(i).name; }
    std::string fieldDisplayLabel(int i) const override { return at(i).label; }
    std::string fieldDisplayText(int) const override { return {}; }
    std::string fieldMemoText(int) const override { return {}; }
    std::string fieldPicture(int) const override { return {}; }
    double fieldAsNumber(int) const override { return 0; }
    std::int32_t step(report::StepDir) override {
        return report::kStepAtBeginning | report::kStepAtEnd;
    }
    bool empty() const override { return true; }

private:
    const FakeField& at(int i) const { return fields.at(static_cast<std::size_t>(i)); }
};

} // namespace vorlan::qt::testing
