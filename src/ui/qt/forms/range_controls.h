#pragma once
// Controls that show or pick a number or a moment: TProgressBar, TTrackBar, TUpDown and
// TDateTimePicker.

#include "ui/qt/forms/control.h"
#include "ui/qt/forms/form_class.h"

#include <span>

class QCalendarWidget;
class QDateTimeEdit;
class QKeySequenceEdit;
class QScrollBar;
class QProgressBar;
class QSlider;

namespace vorlan::forms {

class ProgressBar : public Control {
public:
    explicit ProgressBar(std::string cls);
    // Min, Max, Position, Step, Orientation.
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }
    int position() const;
    void setPosition(int position);
    // Moves by Step (StepIt) or by `delta` (StepBy), staying within Min..Max.
    void stepBy(int delta);
    void stepIt() { stepBy(step_); }

private:
    QProgressBar* bar() const;
    void setRange(int min, int max);
    int step_ = 10;
};

class TrackBar : public Control {
public:
    explicit TrackBar(std::string cls);
    // Min, Max, Position, Frequency, Orientation, LineSize, PageSize.
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }
    int position() const;

private:
    QSlider* slider() const;
};

// The two arrows that step a number, shown in the edit named by Associate.
class UpDown : public Control {
public:
    explicit UpDown(std::string cls);
    // Min, Max, Position, Increment, Wrap, Associate, Orientation.
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }
    int position() const { return position_; }
    void setPosition(int position);
    // What a click on an arrow does: OnChanging may refuse, then the position moves by
    // Increment and OnClick gets (Sender, btNext or btPrev).
    void click(bool up);

protected:
    // A stored Associate names an edit of the form, found once the form is read.
    void loaded() override { showInAssociate(); }

private:
    void showInAssociate();
    int min_ = 0, max_ = 100, position_ = 0, increment_ = 1;
    bool wrap_ = false;
    script::Value associate_;
};

// Date (dtkDate, "d.M.yyyy") or time (dtkTime) editor; Date, Time and DateTime are TDateTime
// values (days since 30.12.1899).
class DateTimePicker : public Control {
public:
    explicit DateTimePicker(std::string cls);
    // Date, Time, DateTime, Kind, ShowCheckbox, Checked, DateFormat.
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }
    double dateTime() const;
    void setDateTime(double days);

private:
    QDateTimeEdit* editor() const;
    void setKind(const std::string& kind);
    std::string kind_ = "dtkDate";
};

// TScrollBar: Min, Max, Position, SmallChange, LargeChange, Kind (sbHorizontal, sbVertical);
// OnChange when the position moves.
class ScrollBar : public Control {
public:
    explicit ScrollBar(std::string cls);
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }

private:
    QScrollBar* bar() const;
};

// TMonthCalendar: a month to pick a day in; Date is a TDateTime, OnClick when the user picks.
class MonthCalendar : public Control {
public:
    explicit MonthCalendar(std::string cls);
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }

private:
    QCalendarWidget* calendar() const;
};

// THotKey: an edit that takes a key combination; HotKey reads and writes it as text
// ("Ctrl+S"), OnChange when the user presses another.
class HotKey : public Control {
public:
    explicit HotKey(std::string cls);
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }

private:
    QKeySequenceEdit* editor() const;
};

// TProgressBar, TTrackBar, TUpDown, TDateTimePicker, TScrollBar, TMonthCalendar, THotKey.
std::span<const FormClass> rangeControlClasses();

} // namespace vorlan::forms
