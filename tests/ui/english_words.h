#pragma once
// Finds English words among the texts a window shows a user: captions, labels, menu entries,
// tooltips, status tips, tab titles and the items of combo boxes. Every text a user reads is
// Czech; the few fixed texts a program reads back exactly (" [Deleted]", "RTF") are passed in as
// allowed and taken out before the words are looked at.

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <QTabWidget>
#include <QWidget>

#include <string>

namespace vorlan::qt::testing {

// Words of English user interfaces that are not also Czech words.
inline const QSet<QString>& englishWords() {
    static const QSet<QString> words = [] {
        QSet<QString> set;
        for (const char* w :
             {"file",     "edit",      "view",      "open",     "save",      "cancel",   "close",
              "print",    "delete",    "insert",    "filter",   "seek",      "table",    "record",
              "field",    "name",      "type",      "width",    "height",    "help",     "yes",
              "no",       "apply",     "find",      "replace",  "next",      "previous", "first",
              "last",     "refresh",   "zoom",      "page",     "settings",  "options",  "error",
              "warning",  "the",       "of",        "and",      "is",        "not",      "new",
              "add",      "remove",    "show",      "hide",     "select",    "all",      "none",
              "size",     "left",      "right",     "top",      "bottom",    "center",   "colour",
              "color",    "line",      "fill",      "border",   "picture",   "image",    "undo",
              "redo",     "cut",       "copy",      "paste",    "exit",      "quit",     "back",
              "group",    "preview",   "align",     "database", "structure", "create",   "browse",
              "search",   "key",       "condition", "deleted",  "locked",    "style",    "solid",
              "dashed",   "dotted",    "bold",      "italic",   "report",    "template", "item",
              "property", "load",      "clear",     "run",      "abort",     "retry",    "ignore",
              "done",     "unknown",   "invalid",   "failed",   "cannot",    "could",    "empty",
              "missing",  "folder",    "printer",   "copies",   "range",     "current",  "default",
              "location", "properties"})
            set.insert(QString::fromLatin1(w));
        return set;
    }();
    return words;
}

// "where: text" lines for every shown text of `root` and its children that holds an English
// word; empty when there is none. Font names ("Times New Roman") are names, not words: the items
// of font lists are left alone.
inline std::string englishTexts(const QWidget& root, const QStringList& allowed = {}) {
    QStringList found;
    const QRegularExpression letters(QStringLiteral("[^\\p{L}]+"));
    auto look = [&](const QObject& where, const QString& text) {
        QString rest = text;
        rest.remove(u'&');
        for (const QString& fixed : allowed)
            rest.remove(fixed);
        for (const QString& word : rest.split(letters, Qt::SkipEmptyParts))
            if (englishWords().contains(word.toLower())) {
                found << where.objectName() + QStringLiteral(": ") + text;
                return;
            }
    };
    auto lookAtWidget = [&](const QWidget& w) {
        look(w, w.windowTitle());
        look(w, w.toolTip());
        look(w, w.statusTip());
        look(w, w.whatsThis());
        if (auto* b = qobject_cast<const QAbstractButton*>(&w)) look(w, b->text());
        if (auto* l = qobject_cast<const QLabel*>(&w)) look(w, l->text());
        if (auto* g = qobject_cast<const QGroupBox*>(&w)) look(w, g->title());
        if (auto* e = qobject_cast<const QLineEdit*>(&w)) look(w, e->placeholderText());
        if (auto* c = qobject_cast<const QComboBox*>(&w);
            c && !c->objectName().startsWith(QStringLiteral("Font")))
            for (int i = 0; i < c->count(); ++i)
                look(w, c->itemText(i));
        if (auto* t = qobject_cast<const QTabWidget*>(&w))
            for (int i = 0; i < t->count(); ++i) {
                look(w, t->tabText(i));
                look(w, t->tabToolTip(i));
            }
    };
    lookAtWidget(root);
    for (const QWidget* w : root.findChildren<QWidget*>())
        lookAtWidget(*w);
    for (const QAction* a : root.findChildren<QAction*>()) {
        look(*a, a->text());
        look(*a, a->toolTip());
        look(*a, a->statusTip());
    }
    return found.join(u'\n').toStdString();
}

} // namespace vorlan::qt::testing
