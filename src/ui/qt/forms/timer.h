#pragma once
// A timer (TTimer): not a control, it has no widget of its own. It ticks OnTimer each Interval
// milliseconds while it is Enabled and a handler is bound.

#include "script/component.h"
#include "ui/qt/forms/form_class.h"
#include "ui/qt/forms/property_table.h"

#include <memory>
#include <span>

class QTimer;

namespace vorlan::forms {

class Timer : public script::Component {
public:
    Timer();
    ~Timer() override;
    // Enabled, Interval.
    static const PropertyTable& propertyTable();
    bool getPublished(std::string_view name, script::Value& out) const override;
    bool setPublished(std::string_view name, const script::Value& value) override;
    void loaded() override;
    bool running() const;

private:
    void update();
    void holdHeadlessRun(bool hold);
    std::unique_ptr<QTimer> timer_;
    bool holding_ = false;
    bool enabled_ = true;
    int interval_ = 1000;
    bool loaded_ = false;
};

// TTimer.
std::span<const FormClass> timerClasses();

} // namespace vorlan::forms
