#include "ui/qt/window_return.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {

// The bridge turns a change of the active state on a window into the
// window:activate event a screen reader acts on.
void AnnounceActivation(QWidget* window) {
    if (!QAccessible::isActive()) {
        return;
    }
    QAccessible::State changed;
    changed.active = true;
    QAccessibleStateChangeEvent event(window, changed);
    QAccessible::updateAccessibility(&event);
}

// Waits for the window to become active, once; a window manager that never
// gives it back ends the wait after a while.
class CActivationWatch final : public QObject {
public:
    explicit CActivationWatch(QWidget* window) : QObject(window), m_pWindow(window) {
        window->installEventFilter(this);
        QTimer::singleShot(3000, this, [this] { deleteLater(); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_pWindow && event->type() == QEvent::WindowActivate) {
            // After Qt's own handling of the activation, which may or may not
            // have told the bridge.
            QTimer::singleShot(0, m_pWindow, [window = m_pWindow] {
                if (window != nullptr && window->isActiveWindow()) {
                    AnnounceActivation(window);
                }
            });
            m_pWindow->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    QPointer<QWidget> m_pWindow;
};

} // namespace

void ReturnTo(QWidget* window) {
    if (window == nullptr || !window->isVisible()) {
        return;
    }
    QWidget* top = window->window();
    top->raise();
    if (QGuiApplication::focusWindow() == top->windowHandle() &&
        QApplication::activeWindow() != top) {
        // The window manager gave the window the keyboard while the dialog
        // was still closing, and Qt, the window still blocked by the dialog
        // then, left its widgets inactive: no focus, no keys, nothing for a
        // screen reader. Asking the window manager again changes nothing, as
        // the window has the keyboard already; Qt is told instead.
        QApplication::setActiveWindow(top);
    } else {
        top->activateWindow();
    }
    if (top->isActiveWindow()) {
        // Qt took the activation back by itself as the dialog closed, which
        // the bridge does not always pass on; said again, after the events
        // of the closing dialog.
        QTimer::singleShot(0, top, [top = QPointer<QWidget>(top)] {
            if (top != nullptr && top->isActiveWindow()) {
                AnnounceActivation(top);
            }
        });
        return;
    }
    new CActivationWatch(top);
}

int ExecReturningTo(QDialog& dialog, QWidget* window) {
    const int result = dialog.exec();
    ReturnTo(window);
    return result;
}
