#pragma once
// Dragging one control onto another inside a program's windows, as programs know it: a control
// whose DragMode is dmAutomatic starts a drag when the left button is held and the mouse moves a
// few pixels (a click stays a click); BeginDrag starts one from a program. While the mouse moves,
// the control under it is asked with OnDragOver whether it takes the drag; letting go over one
// that does fires its OnDragDrop; the source then gets OnEndDrag with the target (nil when the
// drop was refused or cancelled with Esc). No data leaves the program: the source control is
// what is dragged.

#include <QPoint>

class QEvent;
class QObject;
class QWidget;

namespace vorlan::forms {

class Control;

namespace drag {

// The State argument of OnDragOver.
enum class State { Enter = 0, Leave = 1, Move = 2 };

// Starts a drag from `source`: at once, or when the mouse has moved `threshold` pixels with the
// button held (a negative threshold: the desktop's distance). A drag already running ends first,
// dropping nothing.
void begin(Control& source, bool immediate, int threshold = -1);
// Ends the running drag: with `drop` over a control that takes it, that control gets OnDragDrop.
void end(bool drop);
// A control going away stops the drag it is the source of, without events.
void abandon(const Control& control);
// Whether `control` is being dragged (a drag waiting for the mouse to move counts too).
bool dragging(const Control& control);
// An event of a widget `control` watches; true when the drag took it and the control must not
// see it.
bool filter(Control& control, QObject* watched, QEvent* event);
// The control whose widget is `widget` or holds it; null when it belongs to no control.
Control* controlAt(QWidget* widget);

} // namespace drag
} // namespace vorlan::forms
