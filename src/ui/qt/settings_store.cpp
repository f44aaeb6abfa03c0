#include "ui/qt/settings_store.h"

#include "core/config_folder.h"
#include "core/path_mapper.h"

#include <QDir>
#include <QWidget>

namespace vorlan::qt {

namespace {
QString formKey(const QString& formName, const char* key) {
    return QStringLiteral("Forms/") + formName + u'/' + QLatin1String(key);
}
QString switchKey(const QString& formName, const QString& name) {
    return QStringLiteral("Forms/") + formName + u'.' + name;
}
} // namespace

QString SettingsStore::defaultFileName() {
    return QString::fromStdString((configFolder() / "vorlan.ini").string());
}

SettingsStore::SettingsStore(const QString& fileName) : settings_(fileName, QSettings::IniFormat) {}

std::optional<WindowPlacement> SettingsStore::placement(const QString& formName) const {
    // A list value written by QSettings comes back as a list, a hand-written one as text.
    const QVariant stored = settings_.value(formKey(formName, "WinPos"));
    const QStringList parts = stored.typeId() == QMetaType::QStringList
                                  ? stored.toStringList()
                                  : stored.toString().split(u',');
    if (parts.size() != 4) return std::nullopt;
    int numbers[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        numbers[i] = parts[i].trimmed().toInt(&ok);
        if (!ok) return std::nullopt;
    }
    if (numbers[2] <= 0 || numbers[3] <= 0) return std::nullopt;
    WindowPlacement p{numbers[0], numbers[1], numbers[2], numbers[3], 0};
    p.state = settings_.value(formKey(formName, "WindowState"), 0).toInt();
    if (p.state < 0 || p.state > 2) p.state = 0;
    return p;
}

void SettingsStore::setPlacement(const QString& formName, const WindowPlacement& p) {
    settings_.setValue(
        formKey(formName, "WinPos"),
        QStringLiteral("%1,%2,%3,%4").arg(p.left).arg(p.top).arg(p.width).arg(p.height));
    settings_.setValue(formKey(formName, "WindowState"), p.state);
}

bool SettingsStore::restorePlacement(QWidget& window, const QString& formName) const {
    const auto p = placement(formName);
    if (!p) return false;
    window.move(p->left, p->top);
    window.resize(p->width, p->height);
    if (p->state == 1)
        window.setWindowState(Qt::WindowMinimized);
    else if (p->state == 2)
        window.setWindowState(Qt::WindowMaximized);
    return true;
}

bool SettingsStore::formSwitch(const QString& formName, const QString& name,
                               bool defaultValue) const {
    return settings_.value(switchKey(formName, name), defaultValue).toBool();
}

void SettingsStore::setFormSwitch(const QString& formName, const QString& name, bool value) {
    settings_.setValue(switchKey(formName, name), value);
}

void SettingsStore::applyDrives(PathMapper& mapper) const {
    settings_.beginGroup(QStringLiteral("Drives"));
    const QStringList keys = settings_.childKeys();
    for (const QString& key : keys) {
        if (key.size() != 1 || key.at(0).unicode() > 127 || !key.at(0).isLetter()) continue;
        QString folder = settings_.value(key).toString().trimmed();
        if (folder.isEmpty()) continue;
        if (folder == u'~' || folder.startsWith(QStringLiteral("~/")))
            folder = QDir::homePath() + folder.mid(1);
        mapper.setDriveRoot(static_cast<char>(key.at(0).unicode()), folder.toStdString());
    }
    settings_.endGroup();
}

std::vector<std::pair<std::string, std::string>> SettingsStore::portDevices() const {
    std::vector<std::pair<std::string, std::string>> ports;
    settings_.beginGroup(QStringLiteral("Ports"));
    const QStringList keys = settings_.childKeys();
    for (const QString& key : keys)
        ports.emplace_back(key.toUpper().toStdString(),
                           settings_.value(key).toString().trimmed().toStdString());
    settings_.endGroup();
    return ports;
}

std::vector<std::pair<std::string, std::string>> SettingsStore::localeSettings() const {
    std::vector<std::pair<std::string, std::string>> entries;
    settings_.beginGroup(QStringLiteral("Locale"));
    const QStringList keys = settings_.childKeys();
    for (const QString& key : keys) {
        // An INI value with commas reads as a list; the month and day names are one.
        const QVariant value = settings_.value(key);
        const QString text = value.typeId() == QMetaType::QStringList
                                 ? value.toStringList().join(QLatin1Char(','))
                                 : value.toString();
        entries.emplace_back(key.toStdString(), text.toStdString());
    }
    settings_.endGroup();
    return entries;
}

} // namespace vorlan::qt
