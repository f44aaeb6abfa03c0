#pragma once
// Qt's own dialogs (file dialogs, standard buttons, context menus of edits) speak the
// runtime's language.

#include <QString>

#include <memory>
#include <vector>

class QObject;

namespace vorlan::qt {

// Installs Qt's Czech translation and, above it, the one for the user's language when that is
// another one Qt ships (programs are Czech; a user who set another language gets Qt's texts in
// it). `folder` is where the translations are looked up (Qt's own folder when empty). Returns
// the languages loaded, Czech first; the translations stay installed as long as `owner` lives.
std::vector<QString> installQtTranslations(QObject& owner, const QString& folder = {});

} // namespace vorlan::qt
