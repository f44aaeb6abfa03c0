#include "ui/qt/memo/memo_editor.h"

#include "core/cp1250.h"
#include "core/ui_services.h"
#include "data/script/memo_lines.h"
#include "ui/qt/forms/data_controls.h"
#include "ui/qt/forms/dialogs.h"
#include "ui/qt/forms/form_catalog.h"
#include "ui/qt/qt_text.h"

#include <QFontInfo>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

namespace vorlan::memo {

using script::Value;

// Esc in the window is the memo's: it must not fall through to the buttons or to the data
// control's own "take back the typing".
class MemoEditor::KeyFilter : public QObject {
public:
    explicit KeyFilter(MemoEditor& editor) : editor_(editor) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Escape || key->modifiers() != Qt::NoModifier) return false;
        forms::SignalHandlerScope scope;
        editor_.pressEscape();
        return true;
    }

private:
    MemoEditor& editor_;
};

// The text area's size and the memo's font decide where lines wrap.
class MemoEditor::ViewFilter : public QObject {
public:
    explicit ViewFilter(const MemoEditor& editor) : editor_(editor) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize || event->type() == QEvent::FontChange)
            editor_.updateEditorView();
        return false;
    }

private:
    const MemoEditor& editor_;
};

namespace {

forms::Control& addControl(forms::Form& form, script::Component& parent, const char* cls,
                           const char* name) {
    auto* control = static_cast<forms::Control*>(form.adopt(forms::makeControl(cls)));
    control->setName(name);
    control->setParent(&parent);
    return *control;
}

void place(forms::Control& c, int left, int top, int width, int height) {
    c.setPublished("Left", Value(left));
    c.setPublished("Top", Value(top));
    c.setPublished("Width", Value(width));
    c.setPublished("Height", Value(height));
}

} // namespace

MemoEditor::MemoEditor()
    : form_(std::make_unique<forms::Form>("TForm")), keys_(std::make_unique<KeyFilter>(*this)),
      view_(std::make_unique<ViewFilter>(*this)) {
    forms::Form& form = *form_;
    form.setName("DbfMemo");
    form.setPublished("Caption", Value("DbfMemo"));
    form.setPublished("Left", Value(420));
    form.setPublished("Top", Value(279));
    form.setPublished("Width", Value(375));
    form.setPublished("Height", Value(115));

    panel_ = &addControl(form, form, "TPanel", "Panel");
    panel_->setPublished("Width", Value(103));
    panel_->setPublished("Caption", Value(""));
    panel_->setPublished("Align", Value("alRight"));
    memo_ = &addControl(form, form, "TDataMemo", "MemoEdit");
    memo_->setPublished("ScrollBars", Value("ssVertical"));
    memo_->setPublished("Align", Value("alClient"));

    auto& ok = addControl(form, *panel_, "TBitBtn", "BitBtn1");
    place(ok, 8, 8, 89, 33);
    ok.setPublished("Kind", Value("bkOK"));
    auto& close = addControl(form, *panel_, "TBitBtn", "BitBtn2");
    place(close, 8, 48, 89, 33);
    close.setPublished("Caption", Value(czech("Konec")));
    close.setPublished("Kind", Value("bkCancel"));
    // The editor decides when the window closes: OK only once the record is posted, Esc only
    // after asking about changes.
    for (forms::Control* button : {&ok, &close}) {
        button->setPublished("ModalResult", Value(0));
        button->setPublished("Cancel", Value(false));
    }
    QObject::connect(static_cast<QPushButton*>(ok.widget()), &QPushButton::clicked, ok.widget(),
                     [this] {
                         forms::SignalHandlerScope scope;
                         pressOk();
                     });
    QObject::connect(static_cast<QPushButton*>(close.widget()), &QPushButton::clicked,
                     close.widget(), [this] {
                         forms::SignalHandlerScope scope;
                         pressClose();
                     });
    form.setPublished("ActiveControl", Value("MemoEdit"));
    form.attachAll();
    form.orderTabs();
    form.realign(&form);
    // Installed after the controls' own filters, so these see Esc first.
    memo_->widget()->installEventFilter(keys_.get());
    form.widget()->installEventFilter(keys_.get());
    memoWidget()->installEventFilter(view_.get());
    memoWidget()->viewport()->installEventFilter(view_.get());
}

MemoEditor::~MemoEditor() {
    if (QWidget* w = memo_ ? memo_->widget() : nullptr) {
        w->removeEventFilter(keys_.get());
        w->removeEventFilter(view_.get());
        static_cast<QPlainTextEdit*>(w)->viewport()->removeEventFilter(view_.get());
    }
    if (QWidget* w = form_->widget()) w->removeEventFilter(keys_.get());
}

void MemoEditor::updateEditorView() const {
    const QPlainTextEdit* memo = memoWidget();
    // Lines wrap at the viewport less the document's margin on both sides.
    const int margin = static_cast<int>(memo->document()->documentMargin());
    data::MemoEditorView& view = data::memoEditorView();
    view.textWidth = std::max(1, memo->viewport()->width() - 2 * margin);
    view.fontName = qt::toEngine(memo->font().family());
    view.fontSize = QFontInfo(memo->font()).pixelSize();
}

QPlainTextEdit* MemoEditor::memoWidget() const {
    return static_cast<QPlainTextEdit*>(memo_->widget());
}

void MemoEditor::bind(data::DataSource* source, const std::string& fieldName) {
    fieldName_ = fieldName;
    static_cast<forms::DataControl*>(memo_)->bind(source, fieldName);
}

void MemoEditor::setCaption(const std::string& caption) {
    form_->setPublished("Caption", Value(caption));
}

void MemoEditor::setReadOnly(bool readOnly) {
    memo_->setPublished("ReadOnly", Value(readOnly));
    panel_->setPublished("Visible", Value(!readOnly));
    form_->realign(form_.get());
}

bool MemoEditor::modified() const {
    return memoWidget()->document()->isModified();
}

int MemoEditor::edit() {
    auto* memo = static_cast<forms::DataControl*>(memo_);
    data::DataSet* set = memo->dataSet();
    startedInBrowse_ = !set || set->state() == data::DataSetState::Browse;
    // The memo shows the field as the record has it now.
    memo->bind(memo->source(), fieldName_);
    return form_->showModal();
}

bool MemoEditor::save() {
    if (!modified()) return true;
    auto* memo = static_cast<forms::DataControl*>(memo_);
    data::DataSet* set = memo->dataSet();
    if (!set || !memo->field()) return true;
    try {
        // What was typed since the memo last wrote its field goes in first.
        memo->commit();
        set->post();
    } catch (const data::DataSetError& e) {
        MessageBoxRequest request;
        request.caption = czech("Chyba");
        request.text = e.what();
        request.icon = MessageIcon::Error;
        ui().messageBox(request);
        return false;
    }
    memoWidget()->document()->setModified(false);
    return true;
}

void MemoEditor::discard() {
    auto* memo = static_cast<forms::DataControl*>(memo_);
    data::DataSet* set = memo->dataSet();
    if (set && startedInBrowse_ && set->active() && set->state() != data::DataSetState::Browse)
        set->cancel();
    memoWidget()->document()->setModified(false);
}

void MemoEditor::closeWith(int result) {
    if (form_->modal())
        form_->setModalResult(result);
    else
        form_->close();
}

void MemoEditor::pressOk() {
    if (save()) closeWith(forms::kResultOk);
}

void MemoEditor::pressClose() {
    discard();
    closeWith(forms::kResultCancel);
}

void MemoEditor::pressEscape() {
    if (!modified()) return pressClose();
    const auto dialog = forms::describeMessageDialog(
        czech("Uložit změny ?"), forms::DialogType::Confirmation,
        forms::bit(forms::DialogButton::Yes) | forms::bit(forms::DialogButton::No) |
            forms::bit(forms::DialogButton::Cancel));
    switch (forms::messageDlgPos(dialog)) {
    case 6: // Yes
        pressOk();
        break;
    case 7: // No
        pressClose();
        break;
    default: // Cancel: the window stays, with the text
        break;
    }
}

} // namespace vorlan::memo
