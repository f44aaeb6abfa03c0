#pragma once
// The database window (TDbfForm): the current work area's table in a grid, the three area
// buttons, the open and close buttons, the index box, the filter line, the navigator and the
// status line, and the pop-up menu's table tool: editing records (the grid is read-only until
// it is switched on), showing deleted records, a filter by condition, a seek by key, a new
// index, a new table and a change of a table's structure, each with its dialog. It is the view of
// the shared work areas: the Dbf functions of scripts and the window's own buttons change the same
// state, and the window follows through the DbfAreaView hooks.

#include "tables/engine_registry.h"
#include "window_models/dbf/work_areas.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QProgressBar;
class QTableView;
class QToolButton;

namespace vorlan::qt {

class DbfGridModel;
class SettingsStore;

class DbfWindow : public QWidget, public windows::DbfAreaView {
    Q_OBJECT
public:
    explicit DbfWindow(windows::DbfWorkAreas& areas, QWidget* parent = nullptr);
    ~DbfWindow() override;

    // Placement, visibility and the deleted-records switch from the settings store (only read).
    void applySettings(const SettingsStore& settings, bool mayShow);
    // Placement and visibility alone, for a window made after the program has started.
    void applyPlacement(const SettingsStore& settings, bool mayShow);
    // Read-only browsing of one table without a program: opens it into area 1; false (and the
    // user is told) when it cannot be opened.
    bool browse(const std::string& file);

    // What the user does.
    void selectAreaClicked(int area);
    void openClicked();
    // The report button: the template's name asked for, then the designer on it.
    void reportClicked();
    void closeClicked();
    void indexChosen(int item);
    // Enter in the grid on the selected column.
    void enterPressed();
    // The status line and the grid of the selected area, read again.
    void refresh();
    // The pop-up menu's commands; each opens its dialog.
    void editToggled(bool on);
    void deleteClicked();
    void filterClicked();
    void seekClicked();
    void addIndexClicked();
    void createClicked();
    void changeStructureClicked();
    // The engine's progress during long work (pack, index builds, copies): the gauge shows the
    // percentage, -1 hides it. Listened to on the desktop only.
    void engineProgress(int percent);

    // Widgets the tests look at.
    QWidget* toolbar() const { return toolbar_; }
    QComboBox* indexBox() const { return indexBox_; }
    QLineEdit* filterLine() const { return filter_; }
    QLabel* statusLabel() const { return status_; }
    QLabel* panelCaption() const { return panelCaption_; }
    QTableView* grid() const { return grid_; }
    QAction* showDeletedItem() const { return popupDelete_; }
    QAction* editItem() const { return popupEdit_; }
    QAction* filterItem() const { return popupFilter_; }
    QAction* seekItem() const { return popupSeek_; }
    QAction* indexAddItem() const { return popupIndexAdd_; }
    QAction* createItem() const { return popupCreate_; }
    QAction* structureItem() const { return popupModiStru_; }
    QToolButton* deleteButton() const { return deleteButton_; }
    QProgressBar* gauge() const { return gauge_; }
    // Opens the memo window; the hook lets tests see what would be shown.
    using MemoViewer = std::function<void(data::TDataTable& table, const std::string& field,
                                          const std::string& caption)>;
    void setMemoViewer(MemoViewer viewer) { memoViewer_ = std::move(viewer); }

    // The view hooks.
    void areaSelected(int area) override;
    void areaOpened(int area) override;
    void areaClosed(int area) override;
    void ordersChanged(int area) override;
    void filterShown(int area, bool shown) override;
    void busy(bool on, const std::string& text) override;
    void showDeletedChanged(bool show) override;
    void showWindow() override;
    void hideWindow() override;
    void placeWindow(int left, int top, int width, int height) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    class StatusLink;
    void build();
    void setupOn();
    void setupOff();
    void fillIndexBox(int area);
    void updateCaption();
    void updateStatus();
    void showMemo(data::TDataTable& table, const std::string& field, const std::string& caption);
    void gridMoved(int row);
    // Column widths from the fields' widths, for a table newly shown.
    void fitColumns();
    QString statusText();
    void tell(const std::string& text, bool error);
    // The grid walks its table only while the window is shown; a hidden window (every headless
    // run) leaves scripts' walks alone and catches up when it is shown.
    void reloadGrid();

    windows::DbfWorkAreas& areas_;
    QWidget* toolbar_ = nullptr;
    std::array<QToolButton*, 3> areaButtons_{};
    QToolButton* loadButton_ = nullptr;
    QToolButton* printButton_ = nullptr;
    QToolButton* closeButton_ = nullptr;
    QToolButton* deleteButton_ = nullptr;
    QComboBox* indexBox_ = nullptr;
    QLineEdit* filter_ = nullptr;
    QLabel* panelCaption_ = nullptr;
    QTableView* grid_ = nullptr;
    QWidget* recordPanel_ = nullptr;
    QLabel* status_ = nullptr;
    QProgressBar* gauge_ = nullptr;
    QMenu* menu_ = nullptr;
    QAction* popupEdit_ = nullptr;
    QAction* popupDelete_ = nullptr;
    QAction* popupFilter_ = nullptr;
    QAction* popupSeek_ = nullptr;
    QAction* popupIndexAdd_ = nullptr;
    QAction* popupCreate_ = nullptr;
    QAction* popupModiStru_ = nullptr;
    DbfGridModel* model_ = nullptr;
    std::array<std::unique_ptr<StatusLink>, 3> links_;
    MemoViewer memoViewer_;
    tables::ProgressListener previousProgress_;
    bool listening_ = false;
    bool editing_ = false;
    QString fittedLayout_;
    std::string lastKey_;
    bool filling_ = false;
    bool gridStale_ = false;
};

// The settings store's switch of deleted records, for the work areas whether the window exists
// or not.
void applyShowDeletedSetting(windows::DbfWorkAreas& areas, const SettingsStore& settings);

} // namespace vorlan::qt
