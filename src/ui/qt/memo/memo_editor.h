#pragma once
// The memo editor (TDbfMemo): the modal window in which the database window shows and edits one
// memo field of the current record. OK posts the record when the memo was changed; "Konec"
// closes without posting; Esc in the memo closes at once when nothing changed and otherwise
// asks "Uložit změny ?" (Yes posts and closes, No closes, Cancel stays).
//
// The window is a program form made of the standard controls (MemoEdit, Panel, BitBtn1,
// BitBtn2), so scripts that reach it see the usual properties.

#include "data/data_set.h"
#include "ui/qt/forms/form.h"

#include <memory>
#include <string>

class QPlainTextEdit;

namespace vorlan::memo {

class MemoEditor {
public:
    MemoEditor();
    ~MemoEditor();
    MemoEditor(const MemoEditor&) = delete;
    MemoEditor& operator=(const MemoEditor&) = delete;

    forms::Form& form() { return *form_; }
    // Ties the memo to a field of a data source (the current work area's); null unties it.
    void bind(data::DataSource* source, const std::string& fieldName);
    void setCaption(const std::string& caption);
    // Without the right to change the data the button panel is hidden and the memo read-only.
    void setReadOnly(bool readOnly);

    // Shows the window modally; the modal result (mrOk after OK, mrCancel otherwise). Without a
    // screen nothing can be edited: the answer is mrCancel at once.
    int edit();

    // What the buttons and the Esc key do (the window's own keys and clicks call these).
    void pressOk();
    void pressClose();
    void pressEscape();
    bool modified() const;
    QPlainTextEdit* memoWidget() const;
    // Hands the memo's text width and font to the memo lines that scripts read
    // (data::memoEditorView()), so their lines end where this window wraps them. Called
    // whenever the memo is resized or its font changes.
    void updateEditorView() const;

private:
    class KeyFilter;
    class ViewFilter;
    // Writes the memo into its field and posts the record; false (and the user is told) when the
    // data set refuses, so the window stays open with the text.
    bool save();
    void closeWith(int result);
    // Leaves the data set as it was found when the window closes without saving.
    void discard();

    std::unique_ptr<forms::Form> form_;
    forms::Control* memo_ = nullptr;
    forms::Control* panel_ = nullptr;
    std::unique_ptr<KeyFilter> keys_;
    std::unique_ptr<ViewFilter> view_;
    std::string fieldName_;
    bool startedInBrowse_ = true;
};

} // namespace vorlan::memo
