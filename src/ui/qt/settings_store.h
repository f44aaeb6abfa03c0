#pragma once
// The runtime's settings: an INI file at $XDG_CONFIG_HOME/vorlan/vorlan.ini (~/.config/vorlan
// when the variable is not set).
//
//     [Forms]
//     ImageForm\WinPos=10,20,640,480      ; left, top, width, height
//     ImageForm\WindowState=0             ; 0 normal, 1 minimised, 2 maximised
//     ImageForm.Visible=true              ; a window's own switches: "<name>.<switch>"
//
//     [Drives]                            ; drive letters of program paths -> host folders
//     C=~
//     D=/srv/data
//
//     [Locale]                            ; format settings of the scripts' standard library
//     DecimalSeparator=.
//     ThousandSeparator=" "               ; quotes keep blanks
//     ShortDateFormat=dd/MM/yyyy
//     LongMonthNames=January,February,... ; twelve names (seven for the day names, Sunday first)

#include <QSettings>
#include <QString>

#include <optional>

class QWidget;

namespace vorlan {
class PathMapper;
}

namespace vorlan::qt {

struct WindowPlacement {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int state = 0; // 0 normal, 1 minimised, 2 maximised
};

class SettingsStore {
public:
    static QString defaultFileName();

    explicit SettingsStore(const QString& fileName = defaultFileName());

    // Nothing when the window has no valid placement stored.
    std::optional<WindowPlacement> placement(const QString& formName) const;
    void setPlacement(const QString& formName, const WindowPlacement& placement);
    // Places a window as stored (showing it is the caller's choice); false when nothing is stored.
    bool restorePlacement(QWidget& window, const QString& formName) const;

    // A Boolean switch of a window, "Forms/<name>.<switch>" ("Visible", "Deleted" ...).
    bool formSwitch(const QString& formName, const QString& name, bool defaultValue = false) const;
    void setFormSwitch(const QString& formName, const QString& name, bool value);

    // Maps every drive listed in [Drives]; "~" at the start of a folder stands for the home
    // folder. Drives not listed keep their mapping (C: is the home folder unless configured).
    void applyDrives(PathMapper& mapper) const;
    // The [Ports] group: port names (LPT1, COM1 ...) with the host device each stands for.
    std::vector<std::pair<std::string, std::string>> portDevices() const;
    // The [Locale] group: the names of the format-setting variables with their values (UTF-8;
    // a list of names comes back joined with commas).
    std::vector<std::pair<std::string, std::string>> localeSettings() const;

    QSettings& settings() { return settings_; }
    void sync() { settings_.sync(); }

private:
    // Groups are entered and left even by readers.
    mutable QSettings settings_;
};

} // namespace vorlan::qt
