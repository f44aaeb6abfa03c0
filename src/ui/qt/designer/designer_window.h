#pragma once
// "Oprava předlohy tiskové sestavy": the designer's modal window. The toolbar with every
// command, the element palette, the property strip and the sheet in a scroll area, over one
// DesignerDocument. Closing with unsaved changes asks first; the window's result is Accepted when
// the template was saved.

#include "report/design/designer_settings.h"

#include <QDialog>

#include <memory>
#include <string>

class QAction;
class QComboBox;
class QScrollArea;
class QToolBar;

namespace vorlan::report {
class TSestava;
}

namespace vorlan::qt {

class DesignerDocument;
class DesignerSheet;
class ElementPalette;
class PropertyStrip;

class DesignerWindow : public QDialog {
public:
    DesignerWindow(report::TSestava& report, const report::DesignerSettings& settings,
                   QWidget* parent = nullptr);
    ~DesignerWindow() override;

    DesignerDocument& document() { return *document_; }
    DesignerSheet* sheet() const { return sheet_; }
    ElementPalette* palette() const { return palette_; }
    PropertyStrip* strip() const { return strip_; }
    // A toolbar command by its object name ("SaveButton", "UndoButton" …).
    QAction* action(const QString& objectName) const;
    void setZoomIndex(int index);

    // "Zrušit" and "Ukončit opravu předlohy".
    void cancelDesign();
    void finishDesign();

protected:
    void reject() override;

private:
    QAction* addCommand(const char* name, const char* caption, const char* hint,
                        void (DesignerWindow::*slot)());
    void documentChanged(bool rebuilt);
    void updateCommands();
    void addElement(int kind, int parameter);
    void save();
    void preview();
    void print();
    void newTemplate();
    void reportSettings();
    void designerSettings();
    void elementSettings();
    void deleteElements();
    void cut();
    void copy();
    void paste();
    void undo();
    void redo();
    void sendBack();
    void bringFront();
    void alignAll();
    void alignSelected();
    void addGroup();
    void deleteGroup();
    void editFunction(int index);
    bool leave(bool offerSaving);

    std::unique_ptr<DesignerDocument> document_;
    QToolBar* toolbar_ = nullptr;
    QToolBar* arrangeBar_ = nullptr;
    // The row addCommand adds to.
    QToolBar* bar_ = nullptr;
    QComboBox* zoom_ = nullptr;
    ElementPalette* palette_ = nullptr;
    PropertyStrip* strip_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    DesignerSheet* sheet_ = nullptr;
    std::string clipboard_;
    bool leaving_ = false;
};

} // namespace vorlan::qt
