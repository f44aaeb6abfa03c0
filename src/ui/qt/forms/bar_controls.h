#pragma once
// Bars along an edge of their parent: TStatusBar (panels of text, or one simple text),
// THeaderControl (captioned sections) and TSplitter, which lets the user resize the control it
// sits against.

#include "ui/qt/forms/control.h"
#include "ui/qt/forms/form_class.h"
#include "ui/qt/forms/sections.h"

#include <memory>
#include <span>

class QHeaderView;
class QLabel;
class QStandardItemModel;

namespace vorlan::forms {

class StatusBar : public Control {
public:
    explicit StatusBar(std::string cls);
    ~StatusBar() override;
    // Panels, SimplePanel, SimpleText.
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }
    bool setPublished(std::string_view name, const script::Value& value) override;
    SectionList& panels() { return *panels_; }
    // The texts shown, panel by panel (one text with SimplePanel).
    std::vector<std::string> shownTexts() const;

private:
    void rebuild();
    std::unique_ptr<SectionList> panels_;
    std::vector<QLabel*> labels_;
    bool simplePanel_ = false;
    std::string simpleText_;
};

class HeaderControl : public Control {
public:
    explicit HeaderControl(std::string cls);
    ~HeaderControl() override;
    // Sections.
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }
    bool setPublished(std::string_view name, const script::Value& value) override;
    SectionList& sections() { return *sections_; }

private:
    QHeaderView* header() const;
    void rebuild();
    QStandardItemModel* model_;
    std::unique_ptr<SectionList> sections_;
    bool rebuilding_ = false;
};

class Splitter : public Control {
public:
    explicit Splitter(std::string cls);
    // MinSize.
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }
    bool handleWidgetEvent(QObject* watched, QEvent* event) override;
    // The control on the splitter's aligned side that it resizes (null when none).
    Control* neighbour() const;
    // Moves the splitter by `delta` pixels along its axis: the neighbour grows or shrinks.
    void drag(int delta);

private:
    int minSize_ = 30;
    QPoint pressedAt_;
    bool dragging_ = false;
};

// TStatusBar, THeaderControl, TSplitter and the items of their collections.
std::span<const FormClass> barControlClasses();

} // namespace vorlan::forms
