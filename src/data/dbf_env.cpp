#include "data/dbf_env.h"

#include "data/data_set.h"
#include "data/engine.h"
#include "tables/engine_registry.h"

#include <algorithm>

namespace vorlan::data {

namespace {

TDbfEnv* g_instance = nullptr;

std::weak_ptr<TDbfEnv>& shared() {
    static std::weak_ptr<TDbfEnv> env;
    return env;
}

// The short date format and separator of each engine date format; the last is the host's.
struct FormatText {
    const char* format;
    char separator;
};
constexpr FormatText kFormats[] = {
    {"mm/dd/yy", '/'}, {"yy.mm.dd", '.'}, {"dd/mm/yy", '/'}, {"dd/mm/yy", '/'},
    {"dd.mm.yy", '.'}, {"dd-mm-yy", '-'}, {"dd-mm-yy", '-'}, {"m/d/yy", '/'},
};

void widenYear(std::string& format, bool century) {
    if (century) {
        if (format.find("yyyy") == std::string::npos) {
            if (const auto p = format.find("yy"); p != std::string::npos) {
                format.replace(p, 2, "yyyy");
            }
        }
    } else if (const auto p = format.find("yyyy"); p != std::string::npos) {
        format.replace(p, 4, "yy");
    }
}

} // namespace

ShortDateFormat& shortDateFormat() {
    static ShortDateFormat format;
    return format;
}

int engineDateFormatCode(TDbfDateFormat format) {
    return format == TDbfDateFormat::dfWinDefault ? 99 : static_cast<int>(format);
}

TDbfEnv::TDbfEnv() {
    if (g_instance != nullptr) {
        throw DataSetError("Removing extra TDbfEnv component");
    }
    g_instance = this;
}

TDbfEnv::~TDbfEnv() {
    if (g_instance == this) {
        g_instance = nullptr;
    }
}

std::shared_ptr<TDbfEnv> TDbfEnv::acquire() {
    if (auto env = shared().lock()) {
        return env;
    }
    auto env = std::make_shared<TDbfEnv>();
    shared() = env;
    return env;
}

namespace {

// Every table engine takes each change at once.
template <class Change> void changeSettings(Change change) {
    engine(); // the DBF engine is registered with the process's engine
    tables::EngineSettings s = tables::settings();
    change(s);
    tables::applySettings(s);
}

} // namespace

TDbfEnv* TDbfEnv::instance() {
    return g_instance;
}

void TDbfEnv::setExact(bool on) {
    exact_ = on;
    changeSettings([&](tables::EngineSettings& s) { s.exact = on; });
}

void TDbfEnv::setCentury(bool on) {
    century_ = on;
    changeSettings([&](tables::EngineSettings& s) { s.century = on; });
    widenYear(shortDateFormat().format, on);
}

void TDbfEnv::setEpoch(int year) {
    epoch_ = year == 0 ? 1900 : std::clamp(year, 100, 2999);
    changeSettings([&](tables::EngineSettings& s) { s.epoch = epoch_; });
}

void TDbfEnv::setDateFormat(TDbfDateFormat format) {
    const int code = std::clamp(static_cast<int>(format), 0, 7);
    dateFormat_ = static_cast<TDbfDateFormat>(code);
    // The engine knows no host format; the host default is month/day/year like the first.
    changeSettings([&](tables::EngineSettings& s) { s.dateFormat = code == 7 ? 0 : code; });
    const FormatText& text = kFormats[code];
    shortDateFormat().format = text.format;
    shortDateFormat().separator = text.separator;
    if (century_) {
        setCentury(true);
    }
}

void TDbfEnv::setLockTimeout(int seconds) {
    lockTimeout_ = seconds;
    changeSettings(
        [&](tables::EngineSettings& s) { s.lockTimeoutMs = std::max(0, seconds) * 1000; });
}

void TDbfEnv::setMemoBlockSize(int size) {
    memoBlockSize_ = size;
    changeSettings([&](tables::EngineSettings& s) { s.memoBlockSize = size; });
}

void TDbfEnv::setSoftSeek(bool on) {
    softSeek_ = on;
    changeSettings([&](tables::EngineSettings& s) { s.softSeek = on; });
}

void TDbfEnv::setDeleted(bool on) {
    deleted_ = on;
    changeSettings([&](tables::EngineSettings& s) { s.hideDeleted = on; });
}

int TDbfEnv::errorLevel(int level) {
    return engine().errorLevel(level);
}

} // namespace vorlan::data
