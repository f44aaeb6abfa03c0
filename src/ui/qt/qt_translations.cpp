#include "ui/qt/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

namespace vorlan::qt {

namespace {

// Loads qtbase_LANGUAGE from `folder` as a child of `owner`; a translator removes itself from
// the application when it goes.
bool installOne(QObject& owner, const QString& language, const QString& folder) {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_") + language, folder)) return false;
    translator->setParent(&owner);
    QCoreApplication::installTranslator(translator.release());
    return true;
}

} // namespace

std::vector<QString> installQtTranslations(QObject& owner, const QString& folder) {
    const QString from =
        folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
    std::vector<QString> loaded;
    const QString czech = QStringLiteral("cs");
    if (installOne(owner, czech, from)) loaded.push_back(czech);
    // Qt's texts are English already; an English user keeps the Czech ones of the programs.
    const QLocale user = QLocale::system();
    if (user.language() == QLocale::Czech || user.language() == QLocale::English ||
        user.language() == QLocale::C)
        return loaded;
    // The translation installed last is asked first.
    const QString language = user.name().section(u'_', 0, 0);
    if (installOne(owner, language, from)) loaded.push_back(language);
    return loaded;
}

} // namespace vorlan::qt
