#include "ui/qt/windows_fonts.h"

#include <array>

namespace vorlan::qt {

namespace {

enum class Kind { Sans, Serif, Mono, Narrow };

struct Substitute {
    const char* windowsName;
    Kind kind;
};

// The metric-compatible families (Liberation) first, then common families of the same kind.
constexpr std::array kTable{
    Substitute{"Arial", Kind::Sans},
    Substitute{"Helvetica", Kind::Sans},
    Substitute{"MS Sans Serif", Kind::Sans},
    Substitute{"Microsoft Sans Serif", Kind::Sans},
    Substitute{"Tahoma", Kind::Sans},
    Substitute{"Verdana", Kind::Sans},
    Substitute{"System", Kind::Sans},
    Substitute{"Arial Narrow", Kind::Narrow},
    Substitute{"Times New Roman", Kind::Serif},
    Substitute{"Times", Kind::Serif},
    Substitute{"MS Serif", Kind::Serif},
    Substitute{"Courier New", Kind::Mono},
    Substitute{"Courier", Kind::Mono},
    Substitute{"Fixedsys", Kind::Mono},
    Substitute{"Terminal", Kind::Mono},
    Substitute{"Lucida Console", Kind::Mono},
};

QStringList familiesOf(Kind kind) {
    switch (kind) {
    case Kind::Serif:
        return {QStringLiteral("Liberation Serif"), QStringLiteral("Tinos"),
                QStringLiteral("DejaVu Serif"), QStringLiteral("Noto Serif")};
    case Kind::Mono:
        return {QStringLiteral("Liberation Mono"), QStringLiteral("Cousine"),
                QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Noto Sans Mono")};
    case Kind::Narrow:
        return {QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Liberation Sans"),
                QStringLiteral("Arimo"), QStringLiteral("DejaVu Sans Condensed")};
    case Kind::Sans:
        break;
    }
    return {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
            QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans")};
}

QString withoutCe(QString name) {
    name = name.trimmed();
    if (name.endsWith(QStringLiteral(" CE"), Qt::CaseInsensitive)) name.chop(3);
    return name.trimmed();
}

const Substitute* find(const QString& plain) {
    for (const Substitute& s : kTable)
        if (plain.compare(QLatin1String(s.windowsName), Qt::CaseInsensitive) == 0) return &s;
    return nullptr;
}

} // namespace

QStringList windowsFontFamilies(const QString& name) {
    const QString plain = withoutCe(name);
    const Substitute* s = find(plain);
    if (!s) return {plain};
    QStringList families = familiesOf(s->kind);
    families.append(plain);
    return families;
}

QFont windowsFont(const QString& name) {
    const QString plain = withoutCe(name);
    const Substitute* s = find(plain);
    QFont font(plain);
    font.setFamilies(windowsFontFamilies(plain));
    if (s) {
        switch (s->kind) {
        case Kind::Mono:
            font.setStyleHint(QFont::TypeWriter);
            font.setFixedPitch(true);
            break;
        case Kind::Serif:
            font.setStyleHint(QFont::Serif);
            break;
        default:
            font.setStyleHint(QFont::SansSerif);
            break;
        }
    }
    return font;
}

} // namespace vorlan::qt
