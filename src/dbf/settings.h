#pragma once
// Engine-wide settings shared by every open table (the engine runs on one thread).

namespace vorlan::dbf {

// Order of the date parts in date text; the numbering is the one scripts pass.
enum class DateFormat {
    American = 0, // mm/dd/yy
    Ansi = 1,     // yy.mm.dd
    British = 2,  // dd/mm/yy
    French = 3,   // dd/mm/yy
    German = 4,   // dd.mm.yy
    Italian = 5,  // dd-mm-yy
    Spanish = 6,  // dd-mm-yy
};

struct Settings {
    bool exact = false;   // "=" on text compares the whole strings, not the left one's prefix
    bool century = false; // four-digit years in date text
    int epoch = 1900;     // first year of the century window for two-digit years
    DateFormat dateFormat = DateFormat::American;
    bool softSeek = false;    // a failed seek stops at the next greater key instead of end of file
    bool hideDeleted = false; // deleted records are skipped by moves
    int lockTimeoutMs = 1000;
    int memoBlockSize = 64; // block size of new memo files that have a settable one
    // Commits and index writes wait until the disk has the data (fsync). Off, they hand it to
    // the operating system, which is enough for the data to survive a killed process; tables
    // rewritten by pack, zap and creation are always synced before they replace the old file.
    bool syncToDisk = false;
};

// The process-wide settings.
Settings& settings();

} // namespace vorlan::dbf
