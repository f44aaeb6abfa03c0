// Text widths from real fonts: what memo lines are cut by, and how the memo window keeps the
// width and font they are cut for up to date.

#include "core/cp1250.h"
#include "data/script/memo_lines.h"
#include "needs_tool.h"
#include "script/builtins.h"
#include "script/registry.h"
#include "ui/qt/forms/dialogs.h"
#include "ui/qt/forms/form_classes.h"
#include "ui/qt/memo/memo_editor.h"
#include "ui/qt/qt_text_measure.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QPlainTextEdit>
#include <QWidget>

#include <gtest/gtest.h>

using namespace vorlan;

namespace {

// A proportional font the machine has, empty when it has none.
std::string proportionalFamily() {
    const QStringList families = QFontDatabase::families();
    if (families.contains(QStringLiteral("DejaVu Sans"))) return "DejaVu Sans";
    for (const QString& family : families)
        if (!QFontDatabase::isFixedPitch(family)) return family.toStdString();
    return {};
}

std::string words(const char* word, int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += (i ? " " : "") + std::string(word);
    return text;
}

// The memo lines are process-wide; a test that lets the memo window change them puts them back.
class EditorViewGuard {
public:
    EditorViewGuard() : saved_(data::memoEditorView()) {}
    ~EditorViewGuard() { data::memoEditorView() = saved_; }

private:
    data::MemoEditorView saved_;
};

} // namespace

TEST(QtTextMeasure, ProportionalFontsGiveWideLettersMoreRoom) {
    const std::string family = proportionalFamily();
    if (family.empty()) VORLAN_SKIP_WITHOUT("no proportional font installed");
    const qt::QtTextMeasure measure;
    const int wide = measure.textWidth("WWWWWWWWWW", family, 16);
    const int narrow = measure.textWidth("iiiiiiiiii", family, 16);
    EXPECT_GT(wide, narrow * 2);
    EXPECT_GT(measure.textWidth("WWWWWWWWWW", family, 32), wide);
    // The text is Windows-1250: a Czech capital measures as that letter, not as the bytes of
    // another encoding.
    const std::string sh = czech("Š");
    ASSERT_EQ(sh.size(), 1u);
    EXPECT_EQ(measure.textWidth(sh, family, 16), measure.textWidth("S", family, 16));

    // Memo lines cut by the real widths: narrow words share a line, wide ones need more lines,
    // where every character counted the same they would split alike.
    data::MemoEditorView view;
    view.fontName = family;
    view.fontSize = 16;
    view.textWidth = measure.textWidth("WWWW WWWW WWWW", family, 16);
    const std::string narrowText = words("iiii", 12);
    const std::string wideText = words("WWWW", 12);
    const auto narrowLines = data::editorLines(narrowText, view, measure);
    const auto wideLines = data::editorLines(wideText, view, measure);
    EXPECT_EQ(wideLines.size(), 4u);
    EXPECT_LT(narrowLines.size(), wideLines.size());
    const FixedWidthMeasure fixed;
    EXPECT_EQ(data::editorLines(narrowText, view, fixed).size(),
              data::editorLines(wideText, view, fixed).size());
}

TEST(QtTextMeasure, TheMemoWindowPassesOnItsTextWidthAndFont) {
    auto& registry = script::registry();
    if (!registry.findClass("TComponent")) {
        script::registerEngineBuiltins(registry);
        script::registerScriptRunners(registry);
    }
    forms::registerFormClasses(registry);
    forms::registerDialogs(registry);
    const EditorViewGuard guard;

    memo::MemoEditor editor;
    QWidget* window = editor.form().widget();
    QPlainTextEdit* memo = editor.memoWidget();
    window->show();
    const int first = data::memoEditorView().textWidth;
    const int margin = static_cast<int>(memo->document()->documentMargin());
    EXPECT_EQ(first, memo->viewport()->width() - 2 * margin);
    EXPECT_EQ(data::memoEditorView().fontName, memo->font().family().toStdString());
    EXPECT_EQ(data::memoEditorView().fontSize, QFontInfo(memo->font()).pixelSize());

    window->resize(window->width() + 200, window->height());
    editor.form().realign(&editor.form());
    EXPECT_EQ(data::memoEditorView().textWidth, first + 200);

    QFont bigger = memo->font();
    bigger.setPixelSize(QFontInfo(memo->font()).pixelSize() + 7);
    memo->setFont(bigger);
    EXPECT_EQ(data::memoEditorView().fontSize, bigger.pixelSize());
    window->hide();
}
