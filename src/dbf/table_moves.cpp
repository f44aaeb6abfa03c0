// Moves of the record pointer: natural or index order, visibility (deleted records, the
// order's scope, the filter) and counting.

#include "dbf/table.h"

#include "core/cp1250.h"
#include "dbf/settings.h"

namespace vorlan::dbf {

bool Table::visible() const {
    if (eof_) return false;
    if (settings().hideDeleted && deleted()) return false;
    if (order_ > 0) {
        const Index& ix = *indexes_[static_cast<std::size_t>(order_ - 1)];
        if ((!ix.scopeTop.empty() || !ix.scopeBottom.empty()) && !ix.inScope(ix.keyOfCurrent()))
            return false;
    }
    return filterPasses();
}

bool Table::filterPasses() const {
    if (!filter_.valid()) return true;
    if (!marks_.empty()) {
        const auto mark = marks_.find(recordNumber());
        if (mark != marks_.end()) return mark->second;
    }
    return filter_.test(this);
}

void Table::goTo(std::uint32_t recno) {
    flush();
    bof_ = false;
    iposValid_ = false;
    if (recno > count_) refreshCount();
    loadRecord(recno);
}

void Table::syncIndexPosition() {
    if (iposValid_ || order_ == 0) return;
    Index& ix = *indexes_[static_cast<std::size_t>(order_ - 1)];
    if (eof_) {
        ipos_ = ix.keys().size();
    } else {
        const std::string key = ix.keyOfCurrent();
        const std::size_t p = ix.keys().find(key, recno_);
        ipos_ = p != KeyList::npos ? p : ix.keys().lowerBound(key, recno_);
    }
    iposValid_ = true;
}

// One step in the current order, ignoring visibility; false past either end.
bool Table::skipIndexed(long long dir) {
    if (order_ == 0) {
        const long long next = static_cast<long long>(recno_) + dir;
        if (next < 1 || next > static_cast<long long>(count_)) return false;
        loadRecord(static_cast<std::uint32_t>(next));
        return true;
    }
    syncIndexPosition();
    const Index& ix = *indexes_[static_cast<std::size_t>(order_ - 1)];
    const KeyList& keys = ix.keys();
    // A reversed order walks its key list from the end.
    if ((dir > 0) != ix.reversed) {
        if (ipos_ >= keys.size() || ipos_ + 1 >= keys.size()) return false;
        ++ipos_;
    } else {
        if (ipos_ == 0 || keys.size() == 0) return false;
        --ipos_;
        if (ipos_ >= keys.size()) ipos_ = keys.size() - 1;
    }
    loadRecord(keys.recAt(ipos_));
    return true;
}

// From the current record, moves in the direction until a visible record; false when none.
bool Table::settle(bool forward) {
    while (!visible()) {
        if (eof_ && forward) return false;
        if (!skipIndexed(forward ? 1 : -1)) return false;
    }
    return true;
}

// The first visible record from the key list's start (its scope's top) onwards.
bool Table::startAtKeyListTop(const Index& ix) {
    const KeyList& keys = ix.keys();
    const std::size_t start = ix.scopeTop.empty() ? 0 : keys.seek(ix.scopeTop);
    if (start >= keys.size()) return false;
    ipos_ = start;
    iposValid_ = true;
    loadRecord(keys.recAt(start));
    // Walking forward moves down the key list unless the order is reversed.
    return settle(!ix.reversed);
}

// The last visible record from the key list's end (its scope's bottom) backwards.
bool Table::startAtKeyListBottom(const Index& ix) {
    const KeyList& keys = ix.keys();
    const std::size_t end = ix.scopeBottom.empty() ? keys.size() : keys.seekAfter(ix.scopeBottom);
    if (end == 0) return false;
    ipos_ = end - 1;
    iposValid_ = true;
    loadRecord(keys.recAt(ipos_));
    return settle(ix.reversed);
}

void Table::goTop() {
    flush();
    refreshCount();
    refreshIndexes();
    cacheCount_ = 0;
    bof_ = false;
    bool any = false;
    if (order_ > 0) {
        const Index& ix = *indexes_[static_cast<std::size_t>(order_ - 1)];
        any = ix.reversed ? startAtKeyListBottom(ix) : startAtKeyListTop(ix);
    } else if (count_ > 0) {
        loadRecord(1);
        any = settle(true);
    }
    if (!any) {
        setEofState();
        bof_ = true;
    }
}

void Table::goBottom() {
    flush();
    refreshCount();
    refreshIndexes();
    cacheCount_ = 0;
    bof_ = false;
    bool any = false;
    if (order_ > 0) {
        const Index& ix = *indexes_[static_cast<std::size_t>(order_ - 1)];
        any = ix.reversed ? startAtKeyListTop(ix) : startAtKeyListBottom(ix);
    } else if (count_ > 0) {
        loadRecord(count_);
        any = settle(false);
    }
    if (!any) {
        setEofState();
        bof_ = true;
    }
}

void Table::skip(long long n) {
    flush();
    if (n == 0) {
        if (!eof_) {
            cacheCount_ = 0;
            loadRecord(recno_);
        }
        return;
    }
    const bool forward = n > 0;
    long long steps = forward ? n : -n;
    if (!forward && eof_) {
        goBottom();
        if (eof_) {
            bof_ = true;
            return;
        }
        --steps;
    }
    if (forward && eof_) return;
    bof_ = false;
    for (long long i = 0; i < steps; ++i) {
        bool moved = false;
        while (skipIndexed(forward ? 1 : -1)) {
            if (visible()) {
                moved = true;
                break;
            }
        }
        if (!moved) {
            if (forward) {
                setEofState();
            } else {
                goTop();
                bof_ = true;
            }
            return;
        }
    }
}

std::uint32_t Table::count() {
    const std::uint32_t saved = recno_;
    std::uint32_t n = 0;
    for (goTop(); !eof_; skip(1))
        ++n;
    goTo(saved);
    return n;
}

} // namespace vorlan::dbf
