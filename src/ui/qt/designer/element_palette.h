#pragma once
// The designer's element palette: pages of what can be placed ("Položky", "Popisy",
// "Parametry", "Proměnné", "Funkce", "Grafické prvky"). Activating an item asks for a new
// element of its kind; the "Funkce" page also edits, adds and deletes user functions.

#include <QTabWidget>

#include <functional>
#include <string>
#include <vector>

class QListWidget;

namespace vorlan::report {
class TSestavaTyp;
}

namespace vorlan::qt {

class ElementPalette : public QTabWidget {
public:
    ElementPalette(const std::vector<std::string>& fieldNames,
                   const std::vector<std::string>& fieldLabels, QWidget* parent = nullptr);

    // Refills the pages that follow the report: parameters and functions.
    void refresh(const report::TSestavaTyp& report);

    QListWidget* fields() const { return fields_; }
    QListWidget* titles() const { return titles_; }
    QListWidget* parameters() const { return parameters_; }
    QListWidget* functions() const { return functions_; }
    int currentFunction() const;

    // A new element of `kind` with `parameter` (field, parameter, variable or function index).
    std::function<void(int kind, int parameter)> addElement;
    std::function<void(int index)> editFunction; // -1: a new one
    std::function<void(int index)> deleteFunction;

private:
    QListWidget* addListPage(const char* objectName, const QString& title, int kind);

    QListWidget* fields_ = nullptr;
    QListWidget* titles_ = nullptr;
    QListWidget* parameters_ = nullptr;
    QListWidget* functions_ = nullptr;
};

} // namespace vorlan::qt
