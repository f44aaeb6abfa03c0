#pragma once
// Controls that show or pick a number or a moment: TProgressBar, TTrackBar, TUpDown and
// TDateTimePicker.

#include "ui/qt/forms/control.h"
#include "ui/qt/forms/form_class.h"

#include <span>

class QDateTimeEdit;
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

// TProgressBar, TTrackBar, TUpDown, TDateTimePicker.
std::span<const FormClass> rangeControlClasses();

} // namespace vorlan::forms
