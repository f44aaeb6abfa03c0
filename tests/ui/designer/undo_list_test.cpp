// The undo list of template snapshots and the raster arithmetic of the designer.

#include "core/cp1250.h"
#include "ui/qt/designer/designer_document.h"
#include "ui/qt/designer/undo_list.h"

#include <gtest/gtest.h>

namespace vorlan::qt {
namespace {

TemplateSnapshot snap(const std::string& line, const std::string& name = {}) {
    return {{line}, name};
}

TEST(UndoList, UndoAndRedoWalkTheSnapshotsAndNameTheirSteps) {
    UndoList list(10);
    EXPECT_FALSE(list.canUndo());
    EXPECT_EQ(list.undoCaption(), czech("Zrušit změny"));
    EXPECT_EQ(list.redoCaption(), czech("Znovu změny"));
    list.push(snap("A", czech("přesunu")));
    list.push(snap("B", czech("vymazání")));
    EXPECT_EQ(list.undoCaption(), czech("Zrušit vymazání"));

    TemplateSnapshot back = list.undo(snap("C"));
    EXPECT_EQ(back.lines.front(), "B");
    EXPECT_EQ(list.redoCaption(), czech("Znovu vymazání"));
    EXPECT_EQ(list.undoCaption(), czech("Zrušit přesunu"));
    back = list.undo(snap("B"));
    EXPECT_EQ(back.lines.front(), "A");
    EXPECT_FALSE(list.canUndo());
    TemplateSnapshot forward = list.redo(snap("A"));
    EXPECT_EQ(forward.lines.front(), "B");
    forward = list.redo(snap("B"));
    EXPECT_EQ(forward.lines.front(), "C");
    EXPECT_FALSE(list.canRedo());

    // A new change after undoing forgets what could have been redone.
    list.undo(snap("C"));
    EXPECT_TRUE(list.canRedo());
    list.push(snap("X"));
    EXPECT_FALSE(list.canRedo());
}

TEST(UndoList, KeepsOnlyTheNewestStepsUpToItsLimit) {
    UndoList list(3);
    for (const char* s : {"1", "2", "3", "4", "5"})
        list.push(snap(s));
    EXPECT_EQ(list.undoCount(), 3u);
    EXPECT_EQ(list.undo(snap("6")).lines.front(), "5");
    EXPECT_EQ(list.undo(snap("5")).lines.front(), "4");
    EXPECT_EQ(list.undo(snap("4")).lines.front(), "3");
    EXPECT_FALSE(list.canUndo());

    // No steps at all: nothing is remembered.
    UndoList none(0);
    none.push(snap("1"));
    EXPECT_FALSE(none.canUndo());
    // Lowering the limit drops the oldest steps.
    UndoList lowered(5);
    for (const char* s : {"1", "2", "3", "4"})
        lowered.push(snap(s));
    lowered.setLimit(2);
    EXPECT_EQ(lowered.undo(snap("5")).lines.front(), "4");
    EXPECT_EQ(lowered.undo(snap("4")).lines.front(), "3");
    EXPECT_FALSE(lowered.canUndo());
}

TEST(SnapToRaster, RoundsToTheNearestMultipleOnBothSidesOfZero) {
    EXPECT_EQ(snapToRaster(0, 8), 0);
    EXPECT_EQ(snapToRaster(3, 8), 0);
    EXPECT_EQ(snapToRaster(4, 8), 8);
    EXPECT_EQ(snapToRaster(12, 8), 16);
    EXPECT_EQ(snapToRaster(-3, 8), 0);
    EXPECT_EQ(snapToRaster(-5, 8), -8);
    EXPECT_EQ(snapToRaster(17, 1), 17);
    EXPECT_EQ(snapToRaster(17, 0), 17);
    EXPECT_EQ(snapToRaster(25, 16), 32);
    // At the limits of a template's numbers the nearest multiple that fits.
    EXPECT_EQ(snapToRaster(INT32_MAX, 8), INT32_MAX - 7);
    EXPECT_EQ(snapToRaster(INT32_MIN, 8), INT32_MIN);
    EXPECT_EQ(saturated(std::int64_t{INT32_MAX} + 5), INT32_MAX);
    EXPECT_EQ(saturated(std::int64_t{INT32_MIN} - 5), INT32_MIN);
}

} // namespace
} // namespace vorlan::qt
