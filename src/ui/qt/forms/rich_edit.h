#pragma once
// TRichEdit: a memo that shows formatted text. Lines, Text and the selection (SelStart,
// SelLength, SelText) work as in a memo. Lines.LoadFromFile reads RTF (bold, italic, underline,
// sizes, colours and alignment are shown) or plain text; Lines.SaveToFile writes RTF, or plain
// text when PlainText is set.

#include "ui/qt/forms/control.h"
#include "ui/qt/forms/form_class.h"
#include "ui/qt/forms/string_list.h"

#include <memory>
#include <span>
#include <string_view>

class QTextEdit;

namespace vorlan::forms {

class RichEdit;

// The lines of a rich edit: its LoadFromFile and SaveToFile read and write RTF.
class RichEditLines : public StringList {
public:
    RichEditLines(RichEdit& edit, Access access)
        : StringList(std::move(access), "TRichEditStrings"), edit_(edit) {}
    RichEdit& edit() const { return edit_; }

private:
    RichEdit& edit_;
};

class RichEdit : public Control {
public:
    explicit RichEdit(std::string cls);
    ~RichEdit() override;
    // Lines, Text, SelStart, SelLength, SelText, PlainText, ReadOnly, WordWrap.
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }
    RichEditLines& lines() { return *lines_; }

    // Through the path mapper; a file that cannot be read or written raises the list's file
    // error, as TStrings does.
    void loadFromFile(std::string_view programPath);
    void saveToFile(std::string_view programPath) const;
    // The text as RTF, and the text shown from RTF (plain text when it is none).
    std::string rtf() const;
    void setRtf(std::string_view rtf);
    std::string plainText() const;
    void setPlainText(const std::string& text);

private:
    QTextEdit* editor() const;
    int selStart() const;
    int selLength() const;
    void select(int start, int length);
    std::string selText() const;
    void setSelText(const std::string& text);
    bool plain_ = false;
    std::unique_ptr<RichEditLines> lines_;
};

// TRichEdit and its lines.
std::span<const FormClass> richEditClasses();

} // namespace vorlan::forms
