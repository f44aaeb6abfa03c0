#include "ui/qt/forms/dialog_model.h"

#include "core/cp1250.h"
#include "script/open_array.h"

#include <cstdio>

namespace vorlan::forms {

namespace {

constexpr ButtonInfo kButtons[kDialogButtonCount] = {
    {"Yes", "&Ano", 6},
    {"No", "&Ne", 7},
    {"OK", "OK", 1},
    {"Cancel", "Konec", 2},
    {"Abort", "&Zrušit", 3},
    {"Retry", "&Zopakovat", 4},
    {"Ignore", "&Ignorovat", 5},
    {"All", "&Vše", 8},
    {"NoToAll", "N&o to All", 9},
    {"YesToAll", "Y&es to All", 10},
    {"Help", "&Nápověda", 0},
};

// Adds the button a script numbered; the to-all buttons and unknown numbers add nothing.
void addNumbered(ButtonSet& set, std::int32_t number) {
    if ((number >= 0 && number <= 7) || number == 10) set |= 1u << static_cast<unsigned>(number);
}

MessageButton serviceButton(DialogButton b) {
    switch (b) {
    case DialogButton::Yes:
        return ButtonYes;
    case DialogButton::No:
        return ButtonNo;
    case DialogButton::Ok:
        return ButtonOk;
    case DialogButton::Cancel:
        return ButtonCancel;
    case DialogButton::Abort:
        return ButtonAbort;
    case DialogButton::Retry:
        return ButtonRetry;
    case DialogButton::Ignore:
        return ButtonIgnore;
    case DialogButton::All:
        return ButtonAll;
    case DialogButton::NoToAll:
        return ButtonNoToAll;
    case DialogButton::YesToAll:
        return ButtonYesToAll;
    case DialogButton::Help:
        return ButtonHelp;
    }
    return ButtonOk;
}

} // namespace

const ButtonInfo& buttonInfo(DialogButton button) {
    return kButtons[static_cast<int>(button)];
}

std::string dialogTitle(DialogType type) {
    switch (type) {
    case DialogType::Warning:
        return czech("Varování");
    case DialogType::Error:
        return czech("Chyba");
    case DialogType::Information:
        return czech("Informace");
    case DialogType::Confirmation:
        return czech("Dotaz");
    case DialogType::Custom:
        break;
    }
    return applicationTitle();
}

MessageIcon dialogIcon(DialogType type) {
    switch (type) {
    case DialogType::Warning:
        return MessageIcon::Warning;
    case DialogType::Error:
        return MessageIcon::Error;
    case DialogType::Information:
        return MessageIcon::Information;
    case DialogType::Confirmation:
        return MessageIcon::Question;
    case DialogType::Custom:
        break;
    }
    return MessageIcon::None;
}

DialogType dialogTypeOf(std::int32_t number) {
    return number >= 0 && number <= 4 ? static_cast<DialogType>(number) : DialogType::Custom;
}

ButtonSet buttonsOfScript(const script::Value& buttons) {
    const std::uint32_t mask = script::setMask(buttons);
    ButtonSet set = 0;
    for (std::int32_t b = 0; b < kDialogButtonCount; ++b)
        if (mask & (1u << b)) addNumbered(set, b);
    return set;
}

MessageDialogInfo describeMessageDialog(std::string text, DialogType type, ButtonSet buttons) {
    MessageDialogInfo dialog;
    dialog.text = std::move(text);
    dialog.type = type;
    dialog.title = dialogTitle(type);
    dialog.icon = dialogIcon(type);
    for (int i = 0; i < kDialogButtonCount; ++i)
        if (buttons & (1u << i)) dialog.buttons.push_back(static_cast<DialogButton>(i));
    const auto has = [&](DialogButton b) { return (buttons & bit(b)) != 0; };
    // Enter: OK, else Yes, else Retry; Esc: Cancel, else No, else OK. A rule that names a
    // button the dialog lacks leaves that key without a button.
    const DialogButton wantedDefault = has(DialogButton::Ok)    ? DialogButton::Ok
                                       : has(DialogButton::Yes) ? DialogButton::Yes
                                                                : DialogButton::Retry;
    const DialogButton wantedCancel = has(DialogButton::Cancel) ? DialogButton::Cancel
                                      : has(DialogButton::No)   ? DialogButton::No
                                                                : DialogButton::Ok;
    if (has(wantedDefault)) dialog.defaultButton = wantedDefault;
    if (has(wantedCancel)) dialog.cancelButton = wantedCancel;
    return dialog;
}

int unattendedResult(const MessageDialogInfo& dialog) {
    if (dialog.defaultButton) return buttonInfo(*dialog.defaultButton).modalResult;
    return dialog.buttons.empty() ? kResultNone : buttonInfo(dialog.buttons.front()).modalResult;
}

MessageBoxRequest messageBoxRequest(const MessageDialogInfo& dialog) {
    MessageBoxRequest request;
    request.caption = dialog.title;
    request.text = dialog.text;
    request.icon = dialog.icon;
    request.buttons = 0;
    for (DialogButton b : dialog.buttons)
        request.buttons |= serviceButton(b);
    request.defaultButton =
        dialog.defaultButton ? static_cast<unsigned>(serviceButton(*dialog.defaultButton)) : 0u;
    return request;
}

std::string formatMessage(std::string_view pattern, const script::Value& args) {
    std::vector<script::Value> values;
    if (args.isArray())
        values = args.asArray()->items();
    else if (!args.isEmpty())
        values.push_back(args);
    std::string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            out += pattern[i];
            continue;
        }
        std::size_t j = i + 1;
        while (j < pattern.size() &&
               (pattern[j] == '-' || pattern[j] == '.' || (pattern[j] >= '0' && pattern[j] <= '9')))
            ++j;
        if (j >= pattern.size()) {
            out += pattern.substr(i);
            break;
        }
        const char kind = static_cast<char>(cp1250Lower(static_cast<unsigned char>(pattern[j])));
        if (kind == '%') {
            out += '%';
            i = j;
            continue;
        }
        if (next >= values.size() ||
            std::string_view("sdufgenmx").find(kind) == std::string_view::npos) {
            out += pattern.substr(i, j - i + 1);
            i = j;
            continue;
        }
        const std::string flags(pattern.substr(i + 1, j - i - 1));
        const script::Value& v = values[next++];
        char buffer[512];
        try {
            switch (kind) {
            case 's': {
                const std::string text = v.toString();
                std::snprintf(buffer, sizeof buffer, ("%" + flags + "s").c_str(), text.c_str());
                break;
            }
            case 'd':
            case 'u':
                std::snprintf(buffer, sizeof buffer, ("%" + flags + "lld").c_str(),
                              static_cast<long long>(v.toInt64()));
                break;
            case 'x':
                std::snprintf(buffer, sizeof buffer, ("%" + flags + "llX").c_str(),
                              static_cast<unsigned long long>(v.toInt64()));
                break;
            case 'n':
            case 'm':
                std::snprintf(buffer, sizeof buffer, ("%" + flags + "f").c_str(), v.toDouble());
                break;
            default: {
                const std::string directive = "%" + flags + std::string(1, kind);
                std::snprintf(buffer, sizeof buffer, directive.c_str(), v.toDouble());
                break;
            }
            }
            out += buffer;
        } catch (const script::ValueError&) {
            out += pattern.substr(i, j - i + 1);
        }
        i = j;
    }
    return out;
}

} // namespace vorlan::forms
