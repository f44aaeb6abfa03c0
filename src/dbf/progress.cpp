#include "dbf/progress.h"

#include <algorithm>
#include <utility>

namespace vorlan::dbf {

namespace {

ProgressListener& listener() {
    static ProgressListener l;
    return l;
}

int& depth() {
    static int d = 0;
    return d;
}

void tell(int percent) {
    // A listener that throws must not leave the engine's work half done.
    if (!listener()) return;
    try {
        listener()(percent);
    } catch (...) {
    }
}

} // namespace

ProgressListener setProgressListener(ProgressListener l) {
    return std::exchange(listener(), std::move(l));
}

ProgressTask::ProgressTask(std::uint64_t total) : total_(total), outermost_(depth()++ == 0) {
    step(0);
}

ProgressTask::~ProgressTask() {
    --depth();
    if (outermost_ && lastPercent_ >= 0) tell(-1);
}

void ProgressTask::step(std::uint64_t done) {
    if (!outermost_ || !listener()) return;
    const int percent =
        total_ == 0 ? 100 : static_cast<int>(std::min<std::uint64_t>(done, total_) * 100 / total_);
    if (percent == lastPercent_) return;
    lastPercent_ = percent;
    tell(percent);
}

} // namespace vorlan::dbf
