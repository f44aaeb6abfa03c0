#include "ui/qt/forms/drag_and_drop.h"

#include "core/cp1250.h"
#include "script/comp_wrapper.h"
#include "ui/qt/forms/control.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

#include <memory>

namespace vorlan::forms::drag {

using script::Value;

namespace {

// A control the drag refers to, and whether it still exists.
struct Held {
    Control* control = nullptr;
    std::weak_ptr<void> alive;

    void set(Control* c) {
        control = c;
        alive = c ? c->aliveToken() : std::weak_ptr<void>();
    }
    Control* get() const { return control && !alive.expired() ? control : nullptr; }
};

struct Drag {
    Held source;
    Held target; // the control under the mouse, once asked
    bool accepted = false;
    bool started = false; // false: waiting for the mouse to move far enough
    int threshold = 0;
    QPoint pressedAt; // global
    QPoint lastAt;    // global
    bool cursorSet = false;
};

std::unique_ptr<Drag> current;
// Where the left button last went down (global): a drag a program starts in OnMouseDown measures
// its threshold from there.
QPoint lastPress;
bool pressSeen = false;

bool automatic(const Control& control) {
    Value mode;
    if (!control.getPublished("DragMode", mode)) return false;
    return mode.isNumeric() ? mode.toInt() == 1 : equalsNoCase(mode.toString(), "dmAutomatic");
}

Value objectValue(Control* c) {
    // nil is an empty object reference, which programs compare with nil.
    return Value(script::wrapObject(c));
}

QPoint localTo(const Control& c, const QPoint& global) {
    const QWidget* w = c.widget();
    return w ? w->mapFromGlobal(global) : global;
}

// The control under the global point, in the window the drag started in.
Control* controlUnder(const QPoint& global) {
    Control* source = current ? current->source.get() : nullptr;
    QWidget* start = source ? source->widget() : nullptr;
    if (!start) return nullptr;
    QWidget* window = start->window();
    const QPoint at = window->mapFromGlobal(global);
    if (!window->rect().contains(at)) return nullptr;
    QWidget* hit = window->childAt(at);
    return Control::owning(hit ? hit : window);
}

void showCursor(bool accepted) {
    const QCursor cursor(accepted ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
    if (current->cursorSet) {
        QApplication::changeOverrideCursor(cursor);
    } else {
        QApplication::setOverrideCursor(cursor);
        current->cursorSet = true;
    }
}

// OnDragOver of the target: false unless it has a handler that leaves Accept true.
bool askTarget(Control& target, const QPoint& global, State state) {
    if (!target.handlerOf("OnDragOver")) return false;
    const QPoint at = localTo(target, global);
    Value args[6] = {objectValue(&target), objectValue(current->source.get()),      Value(at.x()),
                     Value(at.y()),        Value(static_cast<std::int32_t>(state)), Value(true)};
    target.fireEvent("OnDragOver", args);
    return current && args[5].toBool();
}

void moveTo(const QPoint& global) {
    current->lastAt = global;
    Control* now = controlUnder(global);
    Control* before = current->target.get();
    if (before && before != now) askTarget(*before, global, State::Leave);
    if (!current) return;
    current->target.set(now);
    current->accepted = now && askTarget(*now, global, before == now ? State::Move : State::Enter);
    if (current) showCursor(current->accepted);
}

void start() {
    current->started = true;
    Control* source = current->source.get();
    if (!source) return;
    if (source->handlerOf("OnStartDrag")) {
        Value args[2] = {objectValue(source), objectValue(nullptr)};
        source->fireEvent("OnStartDrag", args);
    }
    if (current) moveTo(current->lastAt);
}

} // namespace

void begin(Control& source, bool immediate, int threshold) {
    if (current) end(false);
    current = std::make_unique<Drag>();
    current->source.set(&source);
    current->threshold = threshold < 0 ? QApplication::startDragDistance() : threshold;
    current->pressedAt = current->lastAt = pressSeen ? lastPress : QCursor::pos();
    if (immediate) start();
}

void end(bool drop) {
    if (!current) return;
    std::unique_ptr<Drag> finished = std::move(current);
    if (finished->cursorSet) QApplication::restoreOverrideCursor();
    if (!finished->started) return;
    Control* target = finished->target.get();
    const QPoint global = finished->lastAt;
    const bool dropped = drop && target && finished->accepted;
    if (dropped && target->handlerOf("OnDragDrop")) {
        const QPoint at = localTo(*target, global);
        Value args[4] = {objectValue(target), objectValue(finished->source.get()), Value(at.x()),
                         Value(at.y())};
        target->fireEvent("OnDragDrop", args);
    }
    Control* source = finished->source.get();
    if (!source || !source->handlerOf("OnEndDrag")) return;
    target = dropped ? finished->target.get() : nullptr;
    const QPoint at = target ? localTo(*target, global) : QPoint();
    Value args[4] = {objectValue(source), objectValue(target), Value(at.x()), Value(at.y())};
    source->fireEvent("OnEndDrag", args);
}

void abandon(const Control& control) {
    if (!current || current->source.control != &control) return;
    if (current->cursorSet) QApplication::restoreOverrideCursor();
    current.reset();
}

bool dragging(const Control& control) {
    return current && current->source.get() == &control;
}

bool filter(Control& control, QObject* watched, QEvent* event) {
    // The drag follows the mouse wherever its events arrive; `control` only starts one.
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<const QMouseEvent*>(event);
        lastPress = mouse->globalPosition().toPoint();
        pressSeen = true;
        if (current && current->started) {
            end(true);
            return true;
        }
        // Every widget this filter watches is the control's own (an inner one included).
        if (mouse->button() == Qt::LeftButton && automatic(control)) begin(control, false);
        return false;
    }
    case QEvent::MouseMove: {
        if (!current) return false;
        const QPoint global = static_cast<const QMouseEvent*>(event)->globalPosition().toPoint();
        if (!current->started) {
            current->lastAt = global;
            if ((global - current->pressedAt).manhattanLength() < current->threshold) return false;
            start();
            return true;
        }
        moveTo(global);
        return true;
    }
    case QEvent::MouseButtonRelease: {
        if (!current) return false;
        if (!current->started) {
            // Let go before it moved far enough: a click, not a drag.
            end(false);
            return false;
        }
        const auto* mouse = static_cast<const QMouseEvent*>(event);
        const QPoint global = mouse->globalPosition().toPoint();
        if (global != current->lastAt) moveTo(global);
        const QPointer<QWidget> widget = qobject_cast<QWidget*>(watched);
        end(true);
        // The widget still gets its button back, let go outside it: pressed buttons come up and
        // nothing takes it for a click.
        if (widget) {
            QMouseEvent outside(QEvent::MouseButtonRelease, QPointF(-1, -1),
                                widget->mapToGlobal(QPointF(-1, -1)), mouse->button(),
                                mouse->buttons(), mouse->modifiers());
            QCoreApplication::sendEvent(widget, &outside);
        }
        return true;
    }
    case QEvent::KeyPress:
        if (current && current->started &&
            static_cast<const QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            end(false);
            return true;
        }
        return false;
    default:
        return false;
    }
}

} // namespace vorlan::forms::drag
