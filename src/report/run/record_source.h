#pragma once
// The records a report walks. The run reads fields through this interface and moves with
// step(); DataSetRecords implements it over a data source and its data set. A program that feeds
// its report from events (without a table) implements it itself and answers eventData().

#include "data/data_set.h"
#include "report/model.h"

#include <cstdint>
#include <string>

namespace vorlan::report {

// Field types in the numbering programs see (a formatted memo is reported as a memo).
enum FieldTypeS : std::int32_t {
    kFtUnknown = 0,
    kFtString = 1,
    kFtSmallint = 2,
    kFtInteger = 3,
    kFtWord = 4,
    kFtBoolean = 5,
    kFtFloat = 6,
    kFtCurrency = 7,
    kFtBcd = 8,
    kFtDate = 9,
    kFtTime = 10,
    kFtDateTime = 11,
    kFtBytes = 12,
    kFtVarBytes = 13,
    kFtAutoInc = 14,
    kFtBlob = 15,
    kFtMemo = 16,
    kFtGraphic = 17,
    kFtFmtMemo = 18,
    kFtParadoxOle = 19,
    kFtDBaseOle = 20,
    kFtTypedBinary = 21,
};

enum class StepDir : std::int32_t { First = 0, Prior = 1, Next = 2, Last = 3 };
// Bits of a step's answer.
constexpr std::int32_t kStepAtBeginning = 1;
constexpr std::int32_t kStepAtEnd = 2;

class RecordSource : public ReportData {
public:
    // True when the records come from a program's events rather than a table: no data check,
    // no bookmark, no controls to disable.
    virtual bool eventData() const { return false; }

    virtual std::int32_t fieldType(int index) const = 0;
    virtual Alignment fieldAlignment(int index) const = 0;
    virtual int fieldDisplayWidth(int index) const = 0;
    virtual std::string fieldName(int index) const = 0;
    virtual std::string fieldDisplayLabel(int index) const = 0;
    virtual std::string fieldDisplayText(int index) const = 0;
    virtual std::string fieldMemoText(int index) const = 0;
    // The bytes of a graphic or binary field; empty otherwise.
    virtual std::string fieldPicture(int index) const = 0;
    virtual double fieldAsNumber(int index) const = 0;

    // Called before the fields of each record are read: an event-fed source asks the program
    // for the record here.
    virtual void getData() {}
    // Moves and answers the kStepAt… bits; both bits: there are no records.
    virtual std::int32_t step(StepDir dir) = 0;
    // True when there is no current record.
    virtual bool empty() const = 0;

    // Around a run (tables only).
    virtual void saveBookmark() {}
    virtual void restoreBookmark() {}
    virtual void disableControls() {}
    virtual void enableControls() {}
};

// Over a data source. The data source may be changed or lose its data set between runs; the
// report's data check tells the user.
class DataSetRecords : public RecordSource {
public:
    explicit DataSetRecords(data::DataSource* source = nullptr) : source_(source) {}
    void setSource(data::DataSource* source) { source_ = source; }
    data::DataSource* source() const { return source_; }
    data::DataSet* dataSet() const { return source_ ? source_->dataSet() : nullptr; }

    int fieldCount() const override;
    int fieldIndex(std::string_view name) const override;
    void fieldValue(int index, ReportValue& out) const override;

    std::int32_t fieldType(int index) const override;
    Alignment fieldAlignment(int index) const override;
    int fieldDisplayWidth(int index) const override;
    std::string fieldName(int index) const override;
    std::string fieldDisplayLabel(int index) const override;
    std::string fieldDisplayText(int index) const override;
    std::string fieldMemoText(int index) const override;
    std::string fieldPicture(int index) const override;
    double fieldAsNumber(int index) const override;

    std::int32_t step(StepDir dir) override;
    bool empty() const override;

    void saveBookmark() override;
    void restoreBookmark() override;
    void disableControls() override;
    void enableControls() override;

private:
    // Null out of range, without an open data set, or without a current record.
    data::Field* field(int index) const;
    data::Field* fieldOfStructure(int index) const;

    data::DataSource* source_;
    data::Bookmark bookmark_ = 0;
    bool bookmarkSaved_ = false;
};

} // namespace vorlan::report
