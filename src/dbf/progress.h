#pragma once
// How far long engine work has got: packing a table, building an index, copying records. A
// front end installs one listener for the process (the database window's gauge); the engine
// reports whole percentages only when they change, so a listener may repaint on every call.

#include <cstdint>
#include <functional>

namespace vorlan::dbf {

// Called with 0..100 while work runs and with -1 when it is over (also after an error).
using ProgressListener = std::function<void(int percent)>;

// Installs the listener and answers the previous one; an empty function removes it.
ProgressListener setProgressListener(ProgressListener listener);

// One piece of long work over `total` steps. Work started inside other work reports nothing of
// its own: the outer task's percentage is what the user follows.
class ProgressTask {
public:
    explicit ProgressTask(std::uint64_t total);
    ~ProgressTask();
    ProgressTask(const ProgressTask&) = delete;
    ProgressTask& operator=(const ProgressTask&) = delete;

    void step(std::uint64_t done);
    // All steps done: 100 %.
    void finish() { step(total_); }

private:
    std::uint64_t total_;
    int lastPercent_ = -1;
    bool outermost_;
};

} // namespace vorlan::dbf
