#include "ui/qt/caret_filter.h"

#include <QAccessible>
#include <QPointer>
#include <QWidget>

namespace {

QAccessible::UpdateHandler g_previous = nullptr;
// The control a screen reader was last told has the focus.
QPointer<QObject> g_focusTold;

void PassOn(QAccessibleEvent* event);

void Filter(QAccessibleEvent* event) {
    const QAccessible::Event type = event->type();
    if (type == QAccessible::Focus) {
        g_focusTold = event->object();
    } else if (type == QAccessible::TextCaretMoved || type == QAccessible::TextSelectionChanged) {
        QObject* object = event->object();
        if (object != nullptr && object->isWidgetType() &&
            (object != g_focusTold || !static_cast<QWidget*>(object)->hasFocus())) {
            return;
        }
    }
    PassOn(event);
}

// With a handler installed Qt hands every event to it instead of the
// platform's bridge; with none, to the bridge. So the bridge is reached by
// standing aside for the one event.
void PassOn(QAccessibleEvent* event) {
    if (g_previous != nullptr) {
        g_previous(event);
        return;
    }
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(Filter);
}

} // namespace

void DropCaretMovesOutOfFocus() {
    static const bool installed = [] {
        g_previous = QAccessible::installUpdateHandler(Filter);
        return true;
    }();
    (void)installed;
}
