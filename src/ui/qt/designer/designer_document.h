#pragma once
// What the designer edits, without the widgets: the report whose definition is changed in place,
// the selection, the undo list of template snapshots, and every command that changes the
// definition (adding, moving, resizing, deleting, the clipboard, the drawing order, groups and
// functions, the raster). Questions to the user go through the UI services.

#include "report/design/designer_settings.h"
#include "report/model.h"
#include "ui/qt/designer/undo_list.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vorlan::qt {

// A position moved to the nearest multiple of the raster.
std::int32_t snapToRaster(std::int32_t value, std::int32_t raster);
// A position or size that a change took beyond what a template can hold, held at its limit.
std::int32_t saturated(std::int64_t value);

class DesignerDocument {
public:
    // `fieldNames` and `fieldLabels` are the data side's fields (Windows-1250).
    DesignerDocument(report::TSestava& report, report::DesignerSettings settings,
                     std::vector<std::string> fieldNames = {},
                     std::vector<std::string> fieldLabels = {});

    report::TSestava& report() { return report_; }
    const report::DesignerSettings& settings() const { return settings_; }
    void setSettings(const report::DesignerSettings& settings);
    const std::vector<std::string>& fieldNames() const { return fieldNames_; }
    const std::vector<std::string>& fieldLabels() const { return fieldLabels_; }

    // The sections in the order of their bands: the five fixed ones, then each group's start and
    // end. A detail report has no page head and foot.
    std::vector<report::TOddilSestavy*> bands() const;
    report::TOddilSestavy* sectionOf(const report::TPrvekSestavy* element) const;

    const std::vector<report::TPrvekSestavy*>& selection() const { return selection_; }
    void setSelection(std::vector<report::TPrvekSestavy*> elements);
    bool isSelected(const report::TPrvekSestavy* element) const;

    // Remembers the definition before a change named `name` (Windows-1250).
    void beginChange(const std::string& name);
    bool canUndo() const { return undo_.canUndo(); }
    bool canRedo() const { return undo_.canRedo(); }
    std::string undoCaption() const { return undo_.undoCaption(); }
    std::string redoCaption() const { return undo_.redoCaption(); }
    void undo();
    void redo();
    // A change a dialog made: `before` is the definition before it.
    void recordChange(std::vector<std::string> before, const std::string& name);
    // Ends a change made straight on the elements (a drag on the sheet) after beginChange.
    void finishChange() { notify(false); }

    // Unsaved changes: the definition differs from the one last saved (or opened).
    bool modified() const;
    bool savedOnce() const { return savedOnce_; }
    // Writes the template; on failure tells the user and keeps everything as it is.
    bool save();
    // Puts back the definition last saved (or the text opened, byte for byte).
    void revert();
    // Replaces the whole definition (the new-template wizard) as one change.
    void replaceDefinition(const std::vector<std::string>& lines, const std::string& name);

    // A new element of `kind` in `section` at (left, top) with the defaults of new elements;
    // a field or its title refers by name or by number as the settings say. It becomes the
    // selection.
    report::TPrvekSestavy& addElement(std::int32_t section, std::int32_t kind,
                                      std::int32_t parameter, std::int32_t left, std::int32_t top);
    // Moves (or resizes) the selection by a number of hundredths, as one change.
    void moveSelection(std::int32_t dx, std::int32_t dy);
    void resizeSelection(std::int32_t dw, std::int32_t dh);
    // Puts one element to a place and size (the position edits).
    void placeElement(report::TPrvekSestavy& element, std::int32_t left, std::int32_t top,
                      std::int32_t width, std::int32_t height);
    // Deletes the selection after the confirmation the settings ask for; false when nothing was
    // deleted.
    bool deleteSelection();
    // The selection as template element records, one a line.
    std::string copySelection() const;
    bool cutSelection(std::string& clipboard);
    // Reads element records into `section`; they become the selection. False when the text holds
    // no element record.
    bool paste(const std::string& text, std::int32_t section);
    void bringToFront();
    void sendToBack();
    void alignToRaster(bool selectedOnly);

    // Groups: a new group on field `field` (its two bands appear); deleting the group at
    // `position` in the list asks first and removes its bands with their elements.
    void addGroup(std::int32_t field);
    bool deleteGroup(int position);
    // Deletes user function `index` after "Smazat vybranou funkci?".
    bool deleteFunction(int index);

    // Raster steps for moving and snapping, in hundredths.
    std::int32_t rasterX() const;
    std::int32_t rasterY() const;
    bool snapping() const { return settings_.snapToRaster; }

    // Called after every change of the definition and after undo and redo; `rebuilt` tells that
    // element objects were replaced (pointers to the old ones are gone).
    std::function<void(bool rebuilt)> changed;

private:
    void restore(const std::vector<std::string>& lines);
    void notify(bool rebuilt);
    void removeSelection();

    report::TSestava& report_;
    report::DesignerSettings settings_;
    std::vector<std::string> fieldNames_;
    std::vector<std::string> fieldLabels_;
    std::vector<report::TPrvekSestavy*> selection_;
    UndoList undo_;
    std::vector<std::string> openedText_;
    std::vector<std::string> savedLines_;
    bool savedOnce_ = false;
};

} // namespace vorlan::qt
