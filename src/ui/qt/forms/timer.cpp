#include "ui/qt/forms/timer.h"

#include "ui/qt/forms/control.h"
#include "ui/qt/qt_ui.h"

#include <QTimer>

namespace vorlan::forms {

using script::Value;

namespace {

const FormClass kTimerClasses[] = {
    {"TTimer", "TComponent", create<Timer>, {}, false, "OnTimer"},
};

} // namespace

std::span<const FormClass> timerClasses() {
    return kTimerClasses;
}

Timer::Timer() : script::Component("TTimer"), timer_(std::make_unique<QTimer>()) {
    QObject::connect(timer_.get(), &QTimer::timeout, timer_.get(), [this] {
        SignalHandlerScope scope;
        fireNotify("OnTimer");
    });
}

Timer::~Timer() {
    holdHeadlessRun(false);
}

const PropertyTable& Timer::propertyTable() {
    static const auto table = PropertyTable::of<Timer>(nullptr, {
                                                                    {"Enabled", &Timer::enabled_,
                                                                     [](Timer& t, bool v) {
                                                                         t.enabled_ = v;
                                                                         t.update();
                                                                     }},
                                                                    {"Interval", &Timer::interval_,
                                                                     [](Timer& t, std::int32_t v) {
                                                                         t.interval_ = v;
                                                                         t.update();
                                                                     }},
                                                                });
    return table;
}

void Timer::holdHeadlessRun(bool hold) {
    // A headless run lasts while a timer can still call the program.
    if (hold == holding_) return;
    holding_ = hold;
    qt::headlessEventSources() += hold ? 1 : -1;
}

bool Timer::getPublished(std::string_view name, Value& out) const {
    return propertyTable().get(*this, name, out) || script::Component::getPublished(name, out);
}

bool Timer::setPublished(std::string_view name, const Value& value) {
    if (propertyTable().set(*this, name, value)) return true;
    // Binding OnTimer goes through the base; whether the timer runs may change either way.
    const bool known = script::Component::setPublished(name, value);
    update();
    return known;
}

void Timer::loaded() {
    loaded_ = true;
    update();
}

bool Timer::running() const {
    return timer_->isActive();
}

void Timer::update() {
    // A timer ticks only when it has somewhere to go.
    const bool run =
        enabled_ && interval_ > 0 && handlerOf("OnTimer") && (loaded_ || owner() || eventSink());
    holdHeadlessRun(run);
    if (!run) {
        timer_->stop();
        return;
    }
    timer_->start(interval_);
}

} // namespace vorlan::forms
