#include "ui/qt/forms/dialogs.h"

#include "core/cp1250.h"
#include "core/ui_services.h"
#include "script/bind.h"
#include "script/object_store.h"
#include "script/registry.h"
#include "ui/qt/forms/picture_controls.h"
#include "ui/qt/qt_text.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStyle>

#include <algorithm>

namespace vorlan::forms {

using script::Value;

namespace {

// Dialog units: a quarter of the average character width across, an eighth of the character
// height down.
struct DialogUnits {
    explicit DialogUnits(const QFont& font) {
        const QFontMetrics metrics(font);
        const QString letters =
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        charWidth = std::max(1, (metrics.horizontalAdvance(letters) / 26 + 1) / 2);
        charHeight = std::max(1, metrics.height());
    }
    int x(int units) const { return units * charWidth / 4; }
    int y(int units) const { return units * charHeight / 8; }
    int charWidth;
    int charHeight;
};

Control& addControl(Form& form, const char* cls, const std::string& name) {
    auto made = makeControl(cls);
    auto* control = static_cast<Control*>(form.adopt(std::move(made)));
    control->setName(name);
    control->setParent(&form);
    return *control;
}

void place(Control& c, int left, int top, int width, int height) {
    c.setPublished("Left", Value(left));
    c.setPublished("Top", Value(top));
    c.setPublished("Width", Value(width));
    c.setPublished("Height", Value(height));
}

QStyle::StandardPixmap pixmapOf(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Warning:
        return QStyle::SP_MessageBoxWarning;
    case MessageIcon::Error:
        return QStyle::SP_MessageBoxCritical;
    case MessageIcon::Information:
        return QStyle::SP_MessageBoxInformation;
    case MessageIcon::Question:
        return QStyle::SP_MessageBoxQuestion;
    case MessageIcon::None:
        break;
    }
    return QStyle::SP_MessageBoxInformation;
}

int screenWidth() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().width() : 1024;
}

} // namespace

std::unique_ptr<Form> createMessageDialog(const MessageDialogInfo& dialog) {
    auto form = std::make_unique<Form>("TMessageForm");
    const QFont font = QApplication::font("QMessageBox");
    form->widget()->setFont(font);
    const DialogUnits du(font);
    const int marginX = du.x(8), marginY = du.y(8);
    const int spacingX = du.x(10), spacingY = du.y(10);
    const int buttonWidth = du.x(50), buttonHeight = du.y(14), buttonGap = du.x(4);

    const QRect textRect = QFontMetrics(font).boundingRect(QRect(0, 0, screenWidth() / 2, 0),
                                                           Qt::AlignLeft | Qt::TextWordWrap,
                                                           qt::fromEngine(dialog.text));
    const bool hasIcon = dialog.icon != MessageIcon::None;
    const int iconSize = hasIcon ? 32 : 0;
    const int textLeft = marginX + (hasIcon ? iconSize + spacingX : 0);
    const int count = static_cast<int>(dialog.buttons.size());
    const int rowWidth = count > 0 ? count * buttonWidth + (count - 1) * buttonGap : 0;
    const int clientWidth = std::max(textLeft + textRect.width(), marginX + rowWidth) + marginX;
    const int bodyHeight = std::max(iconSize, textRect.height());
    const int clientHeight = marginY + bodyHeight + spacingY + buttonHeight + marginY;

    form->setPublished("Caption", Value(dialog.title));
    form->setPublished("BorderStyle", Value("bsDialog"));
    form->setPublished("Position", Value("poScreenCenter"));
    form->setPublished("ClientWidth", Value(clientWidth));
    form->setPublished("ClientHeight", Value(clientHeight));
    form->setPublished("HelpContext", Value(dialog.helpContext));

    if (hasIcon) {
        Control& image = addControl(*form, "TImage", "Image");
        place(image, marginX, marginY, iconSize, iconSize);
        if (auto* picture = dynamic_cast<Image*>(&image))
            picture->picture().setPixmap(QApplication::style()
                                             ->standardIcon(pixmapOf(dialog.icon))
                                             .pixmap(iconSize, iconSize));
    }
    Control& message = addControl(*form, "TLabel", "Message");
    place(message, textLeft, marginY, textRect.width(), textRect.height());
    message.setPublished("ShowAccelChar", Value(false));
    message.setPublished("WordWrap", Value(true));
    message.setPublished("Caption", Value(dialog.text));

    int left = (clientWidth - rowWidth) / 2;
    const int top = marginY + bodyHeight + spacingY;
    for (DialogButton b : dialog.buttons) {
        const ButtonInfo& info = buttonInfo(b);
        Control& button = addControl(*form, "TButton", info.componentName);
        place(button, left, top, buttonWidth, buttonHeight);
        button.setPublished("Caption", Value(czech(info.caption)));
        button.setPublished("ModalResult", Value(info.modalResult));
        if (dialog.defaultButton == b) {
            button.setPublished("Default", Value(true));
            button.setFocus();
        }
        if (dialog.cancelButton == b) button.setPublished("Cancel", Value(true));
        left += buttonWidth + buttonGap;
    }
    form->attachAll();
    form->unattendedAnswer = [dialog] {
        const int answer = static_cast<int>(ui().messageBox(messageBoxRequest(dialog)));
        return dialog.buttons.empty() ? kResultNone : answer;
    };
    return form;
}

int messageDlgPos(const MessageDialogInfo& dialog, int x, int y) {
    auto form = createMessageDialog(dialog);
    if (x >= 0 || y >= 0) {
        form->setPublished("Position", Value("poDesigned"));
        if (x >= 0) form->setPublished("Left", Value(x));
        if (y >= 0) form->setPublished("Top", Value(y));
    }
    return form->showModal();
}

bool inputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
    if (ui().headless()) {
        const auto answer = ui().inputBox(caption, prompt, value);
        if (!answer) return false;
        value = *answer;
        return true;
    }
    Form form("TForm");
    const QFont font = QApplication::font("QMessageBox");
    form.widget()->setFont(font);
    const DialogUnits du(font);
    form.setPublished("Caption", Value(caption));
    form.setPublished("BorderStyle", Value("bsDialog"));
    form.setPublished("Position", Value("poScreenCenter"));
    form.setPublished("ClientWidth", Value(du.x(180)));
    form.setPublished("ClientHeight", Value(du.y(63)));

    Control& label = addControl(form, "TLabel", "Prompt");
    place(label, du.x(8), du.y(8), du.x(164), du.charHeight);
    label.setPublished("Caption", Value(prompt));
    Control& edit = addControl(form, "TEdit", "Edit");
    place(edit, du.x(8), du.y(19), du.x(164), du.charHeight + 8);
    edit.setPublished("MaxLength", Value(255));
    edit.setPublished("Text", Value(value));
    if (auto* line = qobject_cast<QLineEdit*>(edit.widget())) line->selectAll();
    edit.setFocus();
    Control& ok = addControl(form, "TButton", "OK");
    place(ok, du.x(38), du.y(41), du.x(50), du.y(14));
    ok.setPublished("Caption", Value("OK"));
    ok.setPublished("ModalResult", Value(kResultOk));
    ok.setPublished("Default", Value(true));
    Control& cancel = addControl(form, "TButton", "Cancel");
    place(cancel, du.x(92), du.y(41), du.x(50), du.y(14));
    cancel.setPublished("Caption", Value(czech("Zrušit")));
    cancel.setPublished("ModalResult", Value(kResultCancel));
    cancel.setPublished("Cancel", Value(true));
    form.attachAll();

    if (form.showModal() != kResultOk) return false;
    Value text;
    edit.getPublished("Text", text);
    value = text.toString();
    return true;
}

namespace {

int showMessageDialog(std::string text, std::int32_t type, const Value& buttons,
                      std::int32_t helpContext, int x, int y) {
    MessageDialogInfo dialog =
        describeMessageDialog(std::move(text), dialogTypeOf(type), buttonsOfScript(buttons));
    dialog.helpContext = helpContext;
    return messageDlgPos(dialog, x, y);
}

void showMessage(std::string text, int x, int y) {
    messageDlgPos(describeMessageDialog(std::move(text), DialogType::Custom, bit(DialogButton::Ok)),
                  x, y);
}

} // namespace

void registerDialogs(script::Registry& reg) {
    if (reg.findProc("MessageDlg")) return;
    script::Binder global(reg);
    global.bind(
        "MessageDlg",
        "function(Msg: string; DlgType: Integer; Buttons: Variant; HelpCtx: Integer): Integer",
        [](std::string msg, std::int32_t type, const Value& buttons, std::int32_t help) {
            return showMessageDialog(std::move(msg), type, buttons, help, -1, -1);
        });
    global.bind("MessageDlgPos",
                "function(Msg: string; DlgType: Integer; Buttons: Variant; HelpCtx: Integer; "
                "X, Y: Integer): Integer",
                [](std::string msg, std::int32_t type, const Value& buttons, std::int32_t help,
                   int x,
                   int y) { return showMessageDialog(std::move(msg), type, buttons, help, x, y); });
    global.bind("CreateMessageDialog",
                "function(Msg: string; DlgType: Integer; Buttons: Variant): Variant",
                [](std::string msg, std::int32_t type, const Value& buttons) {
                    return script::keepUnownedObject(createMessageDialog(describeMessageDialog(
                        std::move(msg), dialogTypeOf(type), buttonsOfScript(buttons))));
                });
    global.bind(
        "InputBox", "function(ACaption, APrompt, ADefault: string): string",
        [](const std::string& caption, const std::string& prompt, const std::string& fallback) {
            std::string value = fallback;
            return inputQuery(caption, prompt, value) ? value : fallback;
        });
    global.bind("InputQuery", "function(ACaption, APrompt: string; var Value: string): Boolean",
                &inputQuery);
    global.bind("ShowMessage", "procedure(Msg: string)",
                [](std::string msg) { showMessage(std::move(msg), -1, -1); });
    global.bind("ShowMessageFmt", "procedure(Msg: string; Params: Variant)",
                [](std::string_view msg, const Value& params) {
                    showMessage(formatMessage(msg, params), -1, -1);
                });
    global.bind("ShowMessagePos", "procedure(Msg: string; X, Y: Integer)",
                [](std::string msg, int x, int y) { showMessage(std::move(msg), x, y); });

    static constexpr const char* types[] = {"mtWarning", "mtError", "mtInformation",
                                            "mtConfirmation", "mtCustom"};
    for (std::int32_t i = 0; i < 5; ++i)
        reg.registerConst(types[i], Value(i));
    static constexpr const char* buttons[] = {"mbYes",     "mbNo",       "mbOK",     "mbCancel",
                                              "mbAbort",   "mbRetry",    "mbIgnore", "mbAll",
                                              "mbNoToAll", "mbYesToAll", "mbHelp"};
    for (std::int32_t i = 0; i < kDialogButtonCount; ++i)
        reg.registerConst(buttons[i], Value(i));
    // The usual button sets, as bit masks.
    const auto mask = [](std::initializer_list<DialogButton> list) {
        ButtonSet set = 0;
        for (DialogButton b : list)
            set |= bit(b);
        return Value(static_cast<std::int32_t>(set));
    };
    reg.registerConst("mbYesNoCancel",
                      mask({DialogButton::Yes, DialogButton::No, DialogButton::Cancel}));
    reg.registerConst("mbOKCancel", mask({DialogButton::Ok, DialogButton::Cancel}));
    reg.registerConst("mbAbortRetryIgnore",
                      mask({DialogButton::Abort, DialogButton::Retry, DialogButton::Ignore}));
}

} // namespace vorlan::forms
