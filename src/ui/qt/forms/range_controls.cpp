#include "ui/qt/forms/range_controls.h"

#include "core/cp1250.h"
#include "script/comp_wrapper.h"
#include "ui/qt/qt_text.h"

#include <QCalendarWidget>
#include <QDateTimeEdit>
#include <QKeySequenceEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace vorlan::forms {

using script::Value;

namespace {

bool vertical(const Value& v) {
    return equalsNoCase(v.toString(), "pbVertical") || equalsNoCase(v.toString(), "trVertical") ||
           equalsNoCase(v.toString(), "udVertical") || (v.isInteger() && v.asInt() == 1);
}

const QDate kDayZero(1899, 12, 30);

QDateTime dateTimeOfDays(double days) {
    const double whole = std::floor(days);
    const auto ms = static_cast<qint64>(std::llround((days - whole) * 86400000.0));
    return QDateTime(kDayZero.addDays(static_cast<qint64>(whole)), QTime(0, 0))
        .addMSecs(std::min<qint64>(ms, 86399999));
}

double daysOf(const QDateTime& moment) {
    return static_cast<double>(kDayZero.daysTo(moment.date())) +
           moment.time().msecsSinceStartOfDay() / 86400000.0;
}

// A stored or assigned TDateTime (a number, a date value); nothing for a text it cannot read.
bool daysOfValue(const Value& v, double& days) {
    try {
        days = v.toDouble();
        return std::isfinite(days) && days > -657435.0 && days < 2958466.0;
    } catch (const script::ValueError&) {
        return false;
    }
}

} // namespace

// ---- ProgressBar

ProgressBar::ProgressBar(std::string cls) : Control(std::move(cls), new QProgressBar) {
    bar()->setRange(0, 100);
    bar()->setValue(0);
    bar()->setTextVisible(false);
}

QProgressBar* ProgressBar::bar() const {
    return static_cast<QProgressBar*>(widget());
}

int ProgressBar::position() const {
    return bar() ? bar()->value() : 0;
}

void ProgressBar::setPosition(int position) {
    if (bar()) bar()->setValue(std::clamp(position, bar()->minimum(), bar()->maximum()));
}

void ProgressBar::setRange(int min, int max) {
    const int at = position();
    bar()->setRange(min, std::max(min, max));
    setPosition(at);
}

void ProgressBar::stepBy(int delta) {
    setPosition(position() + delta);
}

const PropertyTable& ProgressBar::propertyTable() {
    static const auto table = PropertyTable::of<ProgressBar>(
        &Control::propertyTable(),
        {
            {"Min", [](const ProgressBar& p) { return p.bar()->minimum(); },
             [](ProgressBar& p, std::int32_t v) { p.setRange(v, p.bar()->maximum()); }},
            {"Max", [](const ProgressBar& p) { return p.bar()->maximum(); },
             [](ProgressBar& p, std::int32_t v) { p.setRange(p.bar()->minimum(), v); }},
            {"Position", &ProgressBar::position, &ProgressBar::setPosition},
            {"Step", &ProgressBar::step_, &ProgressBar::step_},
            {"Orientation", nullptr,
             [](ProgressBar& p, const Value& v) {
                 p.bar()->setOrientation(vertical(v) ? Qt::Vertical : Qt::Horizontal);
             }},
        });
    return table;
}

// ---- ScrollBar

ScrollBar::ScrollBar(std::string cls) : Control(std::move(cls), new QScrollBar(Qt::Horizontal)) {
    bar()->setRange(0, 100);
    bar()->setPageStep(1);
    QObject::connect(bar(), &QScrollBar::valueChanged, bar(),
                     guarded([this](int) { fire("OnChange"); }));
}

QScrollBar* ScrollBar::bar() const {
    return static_cast<QScrollBar*>(widget());
}

const PropertyTable& ScrollBar::propertyTable() {
    static const auto table = PropertyTable::of<ScrollBar>(
        &Control::propertyTable(),
        {
            {"Min", [](const ScrollBar& b) { return b.bar()->minimum(); },
             [](ScrollBar& b, std::int32_t v) { b.bar()->setMinimum(v); }},
            {"Max", [](const ScrollBar& b) { return b.bar()->maximum(); },
             [](ScrollBar& b, std::int32_t v) { b.bar()->setMaximum(v); }},
            {"Position", [](const ScrollBar& b) { return b.bar()->value(); },
             [](ScrollBar& b, std::int32_t v) { b.bar()->setValue(v); }},
            {"SmallChange", [](const ScrollBar& b) { return b.bar()->singleStep(); },
             [](ScrollBar& b, std::int32_t v) { b.bar()->setSingleStep(v); }},
            {"LargeChange", [](const ScrollBar& b) { return b.bar()->pageStep(); },
             [](ScrollBar& b, std::int32_t v) { b.bar()->setPageStep(v); }},
            {"Kind",
             [](const ScrollBar& b) {
                 return std::string(b.bar()->orientation() == Qt::Vertical ? "sbVertical"
                                                                           : "sbHorizontal");
             },
             [](ScrollBar& b, const Value& v) {
                 const bool up =
                     equalsNoCase(v.toString(), "sbVertical") || (v.isInteger() && v.asInt() == 1);
                 b.bar()->setOrientation(up ? Qt::Vertical : Qt::Horizontal);
             }},
        });
    return table;
}

// ---- MonthCalendar

MonthCalendar::MonthCalendar(std::string cls) : Control(std::move(cls), new QCalendarWidget) {
    calendar()->setFirstDayOfWeek(Qt::Monday);
    calendar()->setLocale(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    QObject::connect(calendar(), &QCalendarWidget::clicked, calendar(),
                     guarded([this](QDate) { fire("OnClick"); }));
}

QCalendarWidget* MonthCalendar::calendar() const {
    return static_cast<QCalendarWidget*>(widget());
}

const PropertyTable& MonthCalendar::propertyTable() {
    static const auto table = PropertyTable::of<MonthCalendar>(
        &Control::propertyTable(),
        {
            {"Date",
             [](const MonthCalendar& c) {
                 return Value(script::DateTime{
                     daysOf(QDateTime(c.calendar()->selectedDate(), QTime(0, 0)))});
             },
             [](MonthCalendar& c, const Value& v) {
                 double days = 0;
                 if (daysOfValue(v, days))
                     c.calendar()->setSelectedDate(dateTimeOfDays(days).date());
             }},
        });
    return table;
}

// ---- HotKey

HotKey::HotKey(std::string cls) : Control(std::move(cls), new QKeySequenceEdit) {
    QObject::connect(editor(), &QKeySequenceEdit::keySequenceChanged, editor(),
                     guarded([this](const QKeySequence&) { fire("OnChange"); }));
}

QKeySequenceEdit* HotKey::editor() const {
    return static_cast<QKeySequenceEdit*>(widget());
}

const PropertyTable& HotKey::propertyTable() {
    static const auto table = PropertyTable::of<HotKey>(
        &Control::propertyTable(), {
                                       {"HotKey",
                                        [](const HotKey& h) {
                                            return qt::toEngine(h.editor()->keySequence().toString(
                                                QKeySequence::PortableText));
                                        },
                                        [](HotKey& h, const std::string& v) {
                                            h.editor()->setKeySequence(QKeySequence::fromString(
                                                qt::fromEngine(v), QKeySequence::PortableText));
                                        }},
                                   });
    return table;
}

// ---- TrackBar

TrackBar::TrackBar(std::string cls) : Control(std::move(cls), new QSlider(Qt::Horizontal)) {
    slider()->setRange(0, 10);
    slider()->setTickPosition(QSlider::TicksBelow);
    slider()->setTickInterval(1);
    QObject::connect(slider(), &QSlider::valueChanged, slider(),
                     guarded([this](int) { fire("OnChange"); }));
}

QSlider* TrackBar::slider() const {
    return static_cast<QSlider*>(widget());
}

int TrackBar::position() const {
    return slider() ? slider()->value() : 0;
}

const PropertyTable& TrackBar::propertyTable() {
    static const auto table = PropertyTable::of<TrackBar>(
        &Control::propertyTable(),
        {
            {"Min", [](const TrackBar& t) { return t.slider()->minimum(); },
             [](TrackBar& t, std::int32_t v) { t.slider()->setMinimum(v); }},
            {"Max", [](const TrackBar& t) { return t.slider()->maximum(); },
             [](TrackBar& t, std::int32_t v) { t.slider()->setMaximum(v); }},
            // The script's Position fires OnChange, as the control's own does.
            {"Position", &TrackBar::position,
             [](TrackBar& t, std::int32_t v) { t.slider()->setValue(v); }},
            {"Frequency", [](const TrackBar& t) { return t.slider()->tickInterval(); },
             [](TrackBar& t, std::int32_t v) { t.slider()->setTickInterval(std::max(v, 0)); }},
            {"LineSize", [](const TrackBar& t) { return t.slider()->singleStep(); },
             [](TrackBar& t, std::int32_t v) { t.slider()->setSingleStep(v); }},
            {"PageSize", [](const TrackBar& t) { return t.slider()->pageStep(); },
             [](TrackBar& t, std::int32_t v) { t.slider()->setPageStep(v); }},
            {"Orientation",
             [](const TrackBar& t) {
                 return t.slider()->orientation() == Qt::Vertical ? "trVertical" : "trHorizontal";
             },
             [](TrackBar& t, const Value& v) {
                 t.slider()->setOrientation(vertical(v) ? Qt::Vertical : Qt::Horizontal);
             }},
        });
    return table;
}

// ---- UpDown

UpDown::UpDown(std::string cls) : Control(std::move(cls), new QWidget) {
    auto* layout = new QVBoxLayout(widget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (bool up : {true, false}) {
        auto* arrow = new QToolButton(widget());
        arrow->setArrowType(up ? Qt::UpArrow : Qt::DownArrow);
        arrow->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        arrow->setAutoRepeat(true);
        arrow->setObjectName(up ? QStringLiteral("up") : QStringLiteral("down"));
        layout->addWidget(arrow);
        QObject::connect(arrow, &QToolButton::clicked, arrow,
                         guarded([this, up](bool) { click(up); }));
    }
}

void UpDown::setPosition(int position) {
    position_ = std::clamp(position, std::min(min_, max_), std::max(min_, max_));
    showInAssociate();
}

void UpDown::click(bool up) {
    const auto alive = aliveToken();
    if (handlerOf("OnChanging")) {
        Value args[2] = {Value(script::wrapObject(this)), Value(true)};
        fireEvent("OnChanging", args);
        if (alive.expired() || !args[1].toBool()) return;
    }
    int next = position_ + (up ? increment_ : -increment_);
    const int low = std::min(min_, max_), high = std::max(min_, max_);
    if (next > high) next = wrap_ ? low : high;
    if (next < low) next = wrap_ ? high : low;
    setPosition(next);
    Value args[2] = {Value(script::wrapObject(this)), Value(up ? 0 : 1)};
    fireEvent("OnClick", args);
}

void UpDown::showInAssociate() {
    script::Component* target = nullptr;
    if (associate_.isObject())
        target = dynamic_cast<script::Component*>(script::nativeObjectOf(associate_));
    else if (!associate_.isEmpty() && !associate_.isNull())
        if (script::Component* top = root()) target = top->findComponent(associate_.toString());
    if (target && target != this) target->setPublished("Text", Value(std::to_string(position_)));
}

const PropertyTable& UpDown::propertyTable() {
    static const auto table = PropertyTable::of<UpDown>(
        &Control::propertyTable(),
        {
            {"Min", &UpDown::min_,
             [](UpDown& u, std::int32_t v) {
                 u.min_ = v;
                 u.setPosition(u.position_);
             }},
            {"Max", &UpDown::max_,
             [](UpDown& u, std::int32_t v) {
                 u.max_ = v;
                 u.setPosition(u.position_);
             }},
            {"Position", &UpDown::position_, &UpDown::setPosition},
            {"Increment", &UpDown::increment_, &UpDown::increment_},
            {"Wrap", &UpDown::wrap_, &UpDown::wrap_},
            {"Associate",
             [](const UpDown& u) { return u.associate_.isEmpty() ? Value::null() : u.associate_; },
             [](UpDown& u, const Value& v) {
                 u.associate_ = v;
                 u.showInAssociate();
             }},
        });
    return table;
}

// ---- DateTimePicker

DateTimePicker::DateTimePicker(std::string cls) : Control(std::move(cls), new QDateTimeEdit) {
    editor()->setCalendarPopup(true);
    editor()->setDisplayFormat(QStringLiteral("d.M.yyyy"));
    editor()->setDateTime(QDateTime::currentDateTime());
    QObject::connect(editor(), &QDateTimeEdit::dateTimeChanged, editor(),
                     guarded([this](const QDateTime&) { fire("OnChange"); }));
}

QDateTimeEdit* DateTimePicker::editor() const {
    return static_cast<QDateTimeEdit*>(widget());
}

double DateTimePicker::dateTime() const {
    return editor() ? daysOf(editor()->dateTime()) : 0.0;
}

void DateTimePicker::setDateTime(double days) {
    if (editor()) editor()->setDateTime(dateTimeOfDays(days));
}

void DateTimePicker::setKind(const std::string& kind) {
    kind_ = equalsNoCase(kind, "dtkTime") ? "dtkTime" : "dtkDate";
    editor()->setCalendarPopup(kind_ == "dtkDate");
    editor()->setDisplayFormat(kind_ == "dtkTime" ? QStringLiteral("H:mm:ss")
                                                  : QStringLiteral("d.M.yyyy"));
}

const PropertyTable& DateTimePicker::propertyTable() {
    // The script's changes fire OnChange only when they come from the user.
    static const auto table = PropertyTable::of<DateTimePicker>(
        &Control::propertyTable(),
        {
            {"DateTime",
             [](const DateTimePicker& p) { return Value(script::DateTime{p.dateTime()}); },
             [](DateTimePicker& p, const Value& v) {
                 double days = 0;
                 Quiet q(p);
                 if (daysOfValue(v, days)) p.setDateTime(days);
             }},
            {"Date",
             [](const DateTimePicker& p) {
                 return Value(script::DateTime{std::floor(p.dateTime())});
             },
             [](DateTimePicker& p, const Value& v) {
                 double days = 0;
                 Quiet q(p);
                 if (daysOfValue(v, days)) {
                     const double now = p.dateTime();
                     p.setDateTime(std::floor(days) + (now - std::floor(now)));
                 }
             }},
            {"Time",
             [](const DateTimePicker& p) {
                 const double now = p.dateTime();
                 return Value(script::DateTime{now - std::floor(now)});
             },
             [](DateTimePicker& p, const Value& v) {
                 double days = 0;
                 Quiet q(p);
                 if (daysOfValue(v, days))
                     p.setDateTime(std::floor(p.dateTime()) + (days - std::floor(days)));
             }},
            {"Kind", &DateTimePicker::kind_, &DateTimePicker::setKind},
        });
    return table;
}

// ---- the class table

namespace {

const FormClass kRangeControlsClasses[] = {
    {"TProgressBar", "TWinControl", create<ProgressBar>, {150, 16}, false, "", "Smooth=False"},
    {"TTrackBar",
     "TWinControl",
     create<TrackBar>,
     {150, 45},
     false,
     "OnChange",
     "SelEnd=0 SelStart=0 SliderVisible=True ThumbLength=20"},
    {"TUpDown",
     "TWinControl",
     create<UpDown>,
     {15, 25},
     false,
     "OnChanging OnClick",
     "AlignButton=udRight ArrowKeys=True Orientation=udVertical Thousands=True"},
    {"TDateTimePicker",
     "TWinControl",
     create<DateTimePicker>,
     {186, 21},
     false,
     "OnChange",
     "Checked=True MaxDate=0 MinDate=0 CalAlignment=dtaLeft DateFormat=dfShort DateMode=dmComboBox "
     "ParseInput=False ShowCheckbox=False"},
    {"TScrollBar", "TWinControl", create<ScrollBar>, {121, 17}, false, "OnChange"},
    {"TMonthCalendar",
     "TWinControl",
     create<MonthCalendar>,
     {191, 154},
     false,
     "OnClick",
     "MaxDate=0 MinDate=0 FirstDayOfWeek=dowLocaleDefault MaxSelectRange=31 ShowToday=True "
     "ShowTodayCircle=True WeekNumbers=False"},
    {"THotKey",
     "TWinControl",
     create<HotKey>,
     {121, 19},
     false,
     "OnChange",
     "InvalidKeys=[hcNone,hcShift] Modifiers=[hkAlt]"},
};

} // namespace

std::span<const FormClass> rangeControlClasses() {
    return kRangeControlsClasses;
}

} // namespace vorlan::forms
