#include "ui/qt/forms/rich_edit.h"

#include "report/rtf/rtf_reader.h"
#include "stdlib/host_files.h"
#include "stdlib/list_errors.h"
#include "ui/qt/forms/form_values.h"
#include "ui/qt/qt_text.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>
#include <cstdio>
#include <map>

namespace vorlan::forms {

using script::Value;

namespace {

Qt::Alignment alignmentOf(report::RtfAlignment a) {
    switch (a) {
    case report::RtfAlignment::Right:
        return Qt::AlignRight;
    case report::RtfAlignment::Center:
        return Qt::AlignHCenter;
    case report::RtfAlignment::Justify:
        return Qt::AlignJustify;
    default:
        return Qt::AlignLeft;
    }
}

void fillDocument(QTextEdit& editor, const report::RtfDocument& doc) {
    editor.clear();
    QTextCursor cursor(editor.document());
    bool first = true;
    for (const report::RtfParagraph& p : doc.paragraphs) {
        QTextBlockFormat block;
        block.setAlignment(alignmentOf(p.alignment));
        if (first)
            cursor.setBlockFormat(block);
        else
            cursor.insertBlock(block);
        first = false;
        for (const report::RtfRun& run : p.runs) {
            QTextCharFormat f;
            if (!run.format.fontName.empty())
                f.setFontFamilies({qt::fromEngine(run.format.fontName)});
            if (run.format.halfPoints > 0) f.setFontPointSize(run.format.halfPoints / 2.0);
            f.setFontWeight(run.format.bold ? QFont::Bold : QFont::Normal);
            f.setFontItalic(run.format.italic);
            f.setFontUnderline(run.format.underline);
            if (run.format.colour) f.setForeground(qtColor(*run.format.colour));
            cursor.insertText(qt::fromEngine(run.text), f);
        }
    }
}

// A Windows-1250 text with RTF's special characters escaped and the upper half as \'xx.
std::string rtfEscaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += c;
        } else if (c == '\t') {
            out += "\\tab ";
        } else if (byte >= 0x80 || byte < 0x20) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\'%02x", byte);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

RichEdit::RichEdit(std::string cls)
    : Control(std::move(cls), new QTextEdit),
      lines_(std::make_unique<RichEditLines>(
          *this, StringList::Access{[this] { return linesOfValue(Value(plainText())); },
                                    [this](const std::vector<std::string>& lines) {
                                        std::string all;
                                        for (std::size_t i = 0; i < lines.size(); ++i)
                                            all += (i ? "\n" : "") + lines[i];
                                        setPlainText(all);
                                    }})) {
    editor()->setAcceptRichText(false);
    watch(editor()->viewport());
    QObject::connect(editor(), &QTextEdit::textChanged, editor(),
                     guarded([this] { fire("OnChange"); }));
    QObject::connect(editor(), &QTextEdit::selectionChanged, editor(),
                     guarded([this] { fire("OnSelectionChange"); }));
}

RichEdit::~RichEdit() = default;

QTextEdit* RichEdit::editor() const {
    return static_cast<QTextEdit*>(widget());
}

std::string RichEdit::plainText() const {
    return editor() ? qt::toEngine(editor()->toPlainText()) : std::string();
}

void RichEdit::setPlainText(const std::string& text) {
    if (editor()) editor()->setPlainText(qt::fromEngine(text));
}

void RichEdit::setRtf(std::string_view rtf) {
    if (!editor()) return;
    if (plain_ || !report::hasRtfSignature(rtf)) {
        setPlainText(stdlib::textFromFileBytes(std::string(rtf)));
        return;
    }
    // What could be read is shown even when the text ends early.
    fillDocument(*editor(), report::readRtf(rtf).document);
}

std::string RichEdit::rtf() const {
    std::string out =
        "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset238 Arial;}}";
    std::map<unsigned, int> colours;
    std::string body;
    if (!editor()) return out + "}";
    for (QTextBlock b = editor()->document()->begin(); b.isValid(); b = b.next()) {
        const Qt::Alignment a = b.blockFormat().alignment();
        body += "\\pard";
        if (a & Qt::AlignHCenter) body += "\\qc";
        if (a & Qt::AlignRight) body += "\\qr";
        if (a & Qt::AlignJustify) body += "\\qj";
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const QTextCharFormat cf = f.charFormat();
            body += "{";
            if (cf.fontWeight() >= QFont::Bold) body += "\\b";
            if (cf.fontItalic()) body += "\\i";
            if (cf.fontUnderline()) body += "\\ul";
            if (cf.fontPointSize() > 0)
                body += "\\fs" + std::to_string(static_cast<int>(cf.fontPointSize() * 2));
            if (cf.hasProperty(QTextFormat::ForegroundBrush)) {
                const QColor c = cf.foreground().color();
                const unsigned key = static_cast<unsigned>(c.red()) |
                                     static_cast<unsigned>(c.green()) << 8 |
                                     static_cast<unsigned>(c.blue()) << 16;
                const auto [at, added] = colours.emplace(key, static_cast<int>(colours.size()) + 1);
                body += "\\cf" + std::to_string(at->second);
            }
            body += " " + rtfEscaped(qt::toEngine(f.text())) + "}";
        }
        body += "\\par\r\n";
    }
    if (!colours.empty()) {
        std::vector<unsigned> ordered(colours.size());
        for (const auto& [rgb, index] : colours)
            ordered[static_cast<std::size_t>(index - 1)] = rgb;
        out += "{\\colortbl;";
        for (unsigned rgb : ordered)
            out += "\\red" + std::to_string(rgb & 0xFF) + "\\green" +
                   std::to_string((rgb >> 8) & 0xFF) + "\\blue" + std::to_string(rgb >> 16) + ";";
        out += "}";
    }
    return out + "\r\n" + body + "}";
}

void RichEdit::loadFromFile(std::string_view programPath) {
    std::optional<std::string> bytes = stdlib::readFileBytes(programPath);
    if (!bytes) stdlib::raiseFileOpenError(programPath);
    Quiet q(*this);
    setRtf(*bytes);
}

void RichEdit::saveToFile(std::string_view programPath) const {
    const std::string bytes = plain_ ? lines_->text() : rtf();
    if (!stdlib::writeFileBytes(programPath, bytes)) stdlib::raiseFileCreateError(programPath);
}

int RichEdit::selStart() const {
    return editor() ? editor()->textCursor().selectionStart() : 0;
}

int RichEdit::selLength() const {
    if (!editor()) return 0;
    const QTextCursor c = editor()->textCursor();
    return c.selectionEnd() - c.selectionStart();
}

void RichEdit::select(int start, int length) {
    if (!editor()) return;
    QTextCursor c = editor()->textCursor();
    const int end = editor()->document()->characterCount() - 1;
    const int from = std::clamp(start, 0, end);
    c.setPosition(from);
    c.setPosition(std::clamp(from + std::max(length, 0), 0, end), QTextCursor::KeepAnchor);
    editor()->setTextCursor(c);
}

std::string RichEdit::selText() const {
    if (!editor()) return {};
    // Qt separates paragraphs with U+2029 in a selection.
    QString text = editor()->textCursor().selectedText();
    text.replace(QChar(0x2029), QStringLiteral("\r\n"));
    return qt::toEngine(text);
}

void RichEdit::setSelText(const std::string& text) {
    if (!editor()) return;
    QTextCursor c = editor()->textCursor();
    QString shown = qt::fromEngine(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    c.insertText(shown);
    editor()->setTextCursor(c);
}

const PropertyTable& RichEdit::propertyTable() {
    const auto setLines = [](RichEdit& r, const Value& v) { r.lines_->setLines(linesOfValue(v)); };
    static const auto table = PropertyTable::of<RichEdit>(
        &Control::propertyTable(),
        {
            {"Lines", [](const RichEdit& r) { return r.lines_.get(); }, setLines},
            {"Lines.Strings", nullptr, setLines},
            {"Text",
             [](const RichEdit& r) {
                 std::string t;
                 for (char c : r.plainText())
                     t += c == '\n' ? std::string("\r\n") : std::string(1, c);
                 return t;
             },
             [](RichEdit& r, const std::string& v) { r.lines_->setText(v); }},
            {"SelStart", &RichEdit::selStart, [](RichEdit& r, std::int32_t v) { r.select(v, 0); }},
            {"SelLength", &RichEdit::selLength,
             [](RichEdit& r, std::int32_t v) { r.select(r.selStart(), v); }},
            {"SelText", &RichEdit::selText, &RichEdit::setSelText},
            {"PlainText", &RichEdit::plain_, &RichEdit::plain_},
            {"ReadOnly", [](const RichEdit& r) { return r.editor()->isReadOnly(); },
             [](RichEdit& r, bool v) { r.editor()->setReadOnly(v); }},
            {"WordWrap",
             [](const RichEdit& r) { return r.editor()->lineWrapMode() != QTextEdit::NoWrap; },
             [](RichEdit& r, bool v) {
                 r.editor()->setLineWrapMode(v ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
             }},
        });
    return table;
}

namespace {

const FormClass kRichEditClasses[] = {
    {"TRichEdit", "TCustomMemo", create<RichEdit>, {185, 89}, false, "OnChange OnSelectionChange"},
    {"TRichEditStrings", "TStrings"},
};

} // namespace

std::span<const FormClass> richEditClasses() {
    return kRichEditClasses;
}

} // namespace vorlan::forms
