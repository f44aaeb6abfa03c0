#pragma once
// The engine environment: the engine-wide switches (date format and century, epoch, exact
// comparison, soft seek, hidden deleted records, lock time-out, memo block size) as one object
// per process. Setting a property hands it to the engine at once; the defaults are only stored.
//
// The date format and century also decide the process-wide short date format that date text
// outside the engine follows (shortDateFormat()).

#include <memory>
#include <string>

namespace vorlan::data {

// Numbering as scripts pass it.
enum class TDbfDateFormat {
    dfAmerican = 0, // mm/dd/yy
    dfAnsi,         // yy.mm.dd
    dfBritish,      // dd/mm/yy
    dfFrench,       // dd/mm/yy
    dfGerman,       // dd.mm.yy
    dfItalian,      // dd-mm-yy
    dfSpanish,      // dd-mm-yy
    dfWinDefault,   // the host's short date format
};

// The process-wide short date format: d, m, y letters (dd, mm, yy, yyyy) and the separator.
struct ShortDateFormat {
    std::string format = "m/d/yy";
    char separator = '/';
};
ShortDateFormat& shortDateFormat();

// The engine code of a date format: its ordinal, 99 for the host default.
int engineDateFormatCode(TDbfDateFormat format);

class TDbfEnv {
public:
    // There is one environment per process: a second one throws DataSetError("Removing extra
    // TDbfEnv component"). Make it through acquire() to share it.
    TDbfEnv();
    ~TDbfEnv();
    TDbfEnv(const TDbfEnv&) = delete;
    TDbfEnv& operator=(const TDbfEnv&) = delete;

    // The environment of the process, made on first use; it lives while anyone holds it.
    static std::shared_ptr<TDbfEnv> acquire();
    // The existing environment, null when there is none.
    static TDbfEnv* instance();

    bool exact() const { return exact_; }
    void setExact(bool on);
    bool century() const { return century_; }
    void setCentury(bool on);
    // 0 becomes 1900; otherwise kept within 100..2999.
    int epoch() const { return epoch_; }
    void setEpoch(int year);
    TDbfDateFormat dateFormat() const { return dateFormat_; }
    void setDateFormat(TDbfDateFormat format);
    // Seconds a lock is retried.
    int lockTimeout() const { return lockTimeout_; }
    void setLockTimeout(int seconds);
    int memoBlockSize() const { return memoBlockSize_; }
    void setMemoBlockSize(int size);
    bool softSeek() const { return softSeek_; }
    void setSoftSeek(bool on);
    // True hides deleted records.
    bool deleted() const { return deleted_; }
    void setDeleted(bool on);

    // The engine's error level; answers the previous one.
    int errorLevel(int level);

private:
    bool exact_ = false;
    bool century_ = false;
    int epoch_ = 1900;
    TDbfDateFormat dateFormat_ = TDbfDateFormat::dfWinDefault;
    int lockTimeout_ = 1;
    int memoBlockSize_ = 64;
    bool softSeek_ = false;
    bool deleted_ = false;
};

} // namespace vorlan::data
