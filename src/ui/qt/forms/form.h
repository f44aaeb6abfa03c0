#pragma once
// The one form class: program forms, message dialogs and input boxes, each a window whose
// client area holds the form's controls (below the menu bar of a main menu).

#include "ui/qt/forms/control.h"
#include "ui/qt/forms/form_class.h"

#include <QMenuBar>
#include <QPointer>

#include <functional>
#include <map>
#include <span>

namespace vorlan::forms {

// What OnClose's Action asks for.
constexpr std::int32_t kCloseNone = 0;
constexpr std::int32_t kCloseHide = 1;
constexpr std::int32_t kCloseFree = 2;

class Form : public Control, public FormHost {
public:
    explicit Form(std::string className = "TForm");
    ~Form() override;
    // Caption, ClientWidth, ClientHeight, Position, BorderStyle, ModalResult, KeyPreview,
    // ActiveControl, Active; Left, Top, Width and Height measure the window's frame.
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }

    void loaded() override;
    // Places every control in its parent's client area; an unknown visual class gets an empty
    // panel so that what sits in it still shows. Done once the whole tree has been read.
    void attachAll();

    void showControl() override;
    void hideControl() override;
    int showModal();
    // Asks OnCloseQuery, fires OnClose and hides the window unless the handlers said no. True
    // when the form closed. The program's module form ends the run when it closes.
    bool close() override;
    // Frees the form once the current event is over (Release, and the caFree close action).
    void releaseLater();
    int modalResult() const { return modalResult_; }
    void setModalResult(int result) override;
    bool modal() const { return modal_; }
    bool closing() const { return closing_; }
    bool keyPreview() const override { return keyPreview_; }
    std::string previewKeyPress(const std::string& key) override { return pressKey(key); }
    std::int32_t previewKeyCode(const char* event, std::int32_t code, std::int32_t shift) override {
        return keyCode(event, code, shift);
    }
    QWidget* clientArea() const override { return client_.data(); }
    // The window's menu bar (the first main menu of the form); the client area moves below it.
    void setMenuBar(QMenuBar* bar);
    // Lays out the aligned controls inside `container` (this form or one of its controls).
    void realign(const script::Component* container) override;
    // Chains the focus through the controls by their TabOrder.
    void orderTabs();
    // OnCreate, once.
    void fireCreate();
    // For message dialogs: what the form answers when nobody can click (headless runs).
    std::function<int()> unattendedAnswer;

    bool handleWidgetEvent(QObject* watched, QEvent* event) override;
    // The Esc and Enter keys of the window.
    bool pressCancelButton();

private:
    // Shows the window maximized, minimized or as it is, as WindowState says.
    void showInState();
    void setWindowState(const std::string& state);
    void setFormStyle(const std::string& style);
    script::Value mainMenu() const;
    void setMainMenu(const script::Value& menu);
    void placeWindow();
    void checkModalResult();
    // Left and Top place the window's frame; a stored client size wins over Width and Height.
    void applyGeometry() override;
    void focusActiveControl();
    script::Value activeControl() const;
    void setActiveControl(const script::Value& value);
    int menuHeight() const;
    void layoutClient();
    void endRun();

    int modalResult_ = 0;
    bool modal_ = false;
    bool created_ = false;
    bool active_ = false;
    bool closing_ = false;
    unsigned closes_ = 0; // how often the form has closed
    int clientWidth_ = -1, clientHeight_ = -1;
    std::string position_;
    std::string borderStyle_ = "bsSizeable";
    std::string windowState_ = "wsNormal";
    std::string formStyle_ = "fsNormal";
    bool keyPreview_ = false;
    std::string activeControl_;
    QPointer<QWidget> client_;
    QPointer<QMenuBar> menuBar_;
    std::map<const script::Component*, QPointer<QWidget>> placeholders_;
};

// TForm and TMessageForm.
std::span<const FormClass> formClasses();

} // namespace vorlan::forms
