#pragma once
// The table data set seen by everything above the engine: the script table class, the engine
// access component, the database window, data-aware controls, the memo editor and the report
// run. A data set has a cursor over records, field objects, an edit state, bookmarks and a
// list of data sources whose links are told when it opens, closes, moves or changes.
//
// Implementations: `TableDataSet` (a DBF table through the engine, data/table_data_set.h) and
// `MemoryDataSet` (rows held in memory: tests, CSV input of batch reports).

#include "script/value.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::data {

using script::DateTime;
using script::Value;
using script::ValueError;

// Any failure of a data-set operation (opening, posting a locked record, a missing field).
// The text is what the user sees, in Windows-1250.
class DataSetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class FieldType { String, Integer, Float, Boolean, Date, Memo, Graphic, Blob, Unknown };
enum class FieldAlignment { Left, Right, Center };
enum class DataSetState { Inactive, Browse, Edit, Insert };

class DataSet;

// One column of the current record. Field objects live as long as their data set is open.
class Field {
public:
    virtual ~Field() = default;
    virtual const std::string& name() const = 0;
    virtual FieldType type() const = 0;
    // Width in characters as the table declares it, and its decimals.
    virtual int size() const = 0;
    virtual int decimals() const { return 0; }

    // Caption for grids and reports; the name unless set.
    virtual std::string displayLabel() const { return label_.empty() ? name() : label_; }
    void setDisplayLabel(std::string label) { label_ = std::move(label); }
    // Width in characters a grid column gives the field.
    virtual int displayWidth() const { return size(); }
    virtual FieldAlignment alignment() const;

    // The current record's value: text without trailing blanks for character fields, a number,
    // a Boolean, a date, memo contents as text; empty for an empty date.
    virtual Value value() const = 0;
    virtual void setValue(const Value& v) = 0;
    // Text as shown in a grid or an edit (numbers with the field's decimals, dates in the
    // engine's date format, "T"/"F"... as the implementation shows them).
    virtual std::string displayText() const;
    virtual std::string asString() const;
    virtual double asFloat() const;
    virtual bool asBoolean() const;
    virtual bool isNull() const;
    void setAsString(std::string_view text) { setValue(Value(text)); }
    // Raw contents of graphic and binary memo fields (empty for other types).
    virtual std::string blob() const { return {}; }

private:
    std::string label_;
};

// Told by a data source about its data set. Every method has an empty default.
class DataLink {
public:
    virtual ~DataLink();
    // The data set opened (true) or closed (false), or the source got another data set.
    virtual void activeChanged(bool /*active*/) {}
    // The cursor moved or the data set was refreshed: re-read everything shown.
    virtual void dataSetChanged() {}
    // A field of the current record changed (null: several or unknown).
    virtual void recordChanged(const Field* /*field*/) {}
    // Browse / Edit / Insert changed.
    virtual void stateChanged(DataSetState /*state*/) {}
    // About to post: controls write pending edits into their fields now.
    virtual void updateData() {}

    class DataSource* dataSource() const {
        return source_;
    }

private:
    friend class DataSource;
    DataSource* source_ = nullptr;
};

// Connects controls (through their links) to a data set. Neither owns the other.
class DataSource {
public:
    DataSource() = default;
    explicit DataSource(DataSet* dataSet) { setDataSet(dataSet); }
    ~DataSource();
    DataSource(const DataSource&) = delete;
    DataSource& operator=(const DataSource&) = delete;

    DataSet* dataSet() const { return dataSet_; }
    void setDataSet(DataSet* dataSet);
    // Inactive whenever there is no data set or it is closed.
    DataSetState state() const;

    void addLink(DataLink* link);
    void removeLink(DataLink* link);
    const std::vector<DataLink*>& links() const { return links_; }

    // Called by the data set.
    void notifyActive(bool active);
    void notifyDataSetChanged();
    void notifyRecordChanged(const Field* field);
    void notifyState(DataSetState state);
    void notifyUpdateData();

private:
    friend class DataSet;
    DataSet* dataSet_ = nullptr;
    std::vector<DataLink*> links_;
};

// An opaque position: restore it with gotoBookmark on the same data set.
using Bookmark = std::uint32_t;

class DataSet {
public:
    DataSet() = default;
    virtual ~DataSet();
    DataSet(const DataSet&) = delete;
    DataSet& operator=(const DataSet&) = delete;

    // Opening and closing. open() throws DataSetError when it cannot open.
    void open();
    void close();
    bool active() const { return active_; }
    void setActive(bool on) { on ? open() : close(); }

    // Navigation. Moves post a pending edit first.
    virtual void first() = 0;
    virtual void last() = 0;
    void next() { moveBy(1); }
    void prior() { moveBy(-1); }
    // Answers how many records were actually moved over.
    virtual int moveBy(int distance) = 0;
    virtual bool bof() const = 0;
    virtual bool eof() const = 0;
    // Physical record number of the current record (0 when there is none).
    virtual std::uint32_t recNo() const = 0;
    virtual std::uint32_t recordCount() const = 0;
    bool isEmpty() const { return bof() && eof(); }

    virtual Bookmark bookmark() const { return recNo(); }
    virtual void gotoBookmark(Bookmark b) = 0;
    // Brings the data set to the record its underlying cursor now stands on (after someone
    // moved the engine's work area directly) and tells the links.
    virtual void resync() { changed(); }

    // Attached controls stop following the cursor while disabled; enabling the last level
    // tells them to re-read.
    void disableControls() { ++disabled_; }
    void enableControls();
    bool controlsDisabled() const { return disabled_ > 0; }

    // Editing. edit() locks the record in implementations with locks; post() writes and throws
    // DataSetError when it cannot (the record locked by another user).
    DataSetState state() const { return active_ ? state_ : DataSetState::Inactive; }
    void edit();
    void append();
    void post();
    void cancel();
    void deleteRecord();

    // Fields of the open data set.
    virtual int fieldCount() const = 0;
    virtual Field* field(int index) const = 0;
    // Case-insensitive; null when there is none.
    Field* findField(std::string_view name) const;
    // Throws DataSetError("Field 'X' not found") when there is none.
    Field* fieldByName(std::string_view name) const;

    // Data sources pointing here (maintained by DataSource).
    const std::vector<DataSource*>& sources() const { return sources_; }

protected:
    // Hooks for implementations; the public wrappers keep the state and tell the links.
    virtual void doOpen() = 0;
    virtual void doClose() = 0;
    virtual void doEdit() {}
    virtual void doAppend() = 0;
    virtual void doPost() = 0;
    virtual void doCancel() {}
    virtual void doDelete() = 0;

    // Implementations call these after moving or changing a field.
    void changed();
    void fieldChanged(const Field* field);
    // Posts a pending edit (before a move).
    void checkBrowse();

private:
    friend class DataSource;
    void setState(DataSetState s);
    bool active_ = false;
    DataSetState state_ = DataSetState::Browse;
    int disabled_ = 0;
    std::vector<DataSource*> sources_;
};

} // namespace vorlan::data
