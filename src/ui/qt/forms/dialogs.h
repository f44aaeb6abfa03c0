#pragma once
// The Czech message dialogs scripts call: MessageDlg, MessageDlgPos, CreateMessageDialog,
// InputBox, InputQuery, ShowMessage, ShowMessageFmt and ShowMessagePos. The dialogs are program
// forms built at run time, so a script that asks for the form itself gets what MessageDlg
// shows. Without a screen they answer as nobody can click (the default button) and say so on
// standard error.

#include "ui/qt/forms/dialog_model.h"
#include "ui/qt/forms/form.h"
#include "ui/qt/forms/form_catalog.h"

#include <memory>
#include <string>

namespace vorlan::script {
class Registry;
}

namespace vorlan::forms {

// Needs registerFormClasses first (the dialogs are made of its controls).
void registerDialogs(script::Registry& registry);

// The dialog window of a message, not shown yet. Its buttons are components named after the
// button ("Yes", "Cancel" ...); the text is the label "Message", the icon the image "Image".
std::unique_ptr<Form> createMessageDialog(const MessageDialogInfo& dialog);
// Shows the dialog modally and answers its modal result; X and Y place it when not negative.
int messageDlgPos(const MessageDialogInfo& dialog, int x = -1, int y = -1);
// True when OK was pressed; `value` then holds the edited text.
bool inputQuery(const std::string& caption, const std::string& prompt, std::string& value);

} // namespace vorlan::forms
