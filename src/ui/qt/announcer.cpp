#include "ui/qt/announcer.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>

namespace {

// Qt has no notification widget of its own, so the announcer's accessible face
// comes from a factory: a plain widget interface in the notification role.
// A screen reader speaks a notification after the names of its ancestors
// (Orca: the window's title, with the quiz's path, and the first text of the
// page), so the face names the application as its parent: what is said is the
// text and nothing more. The window still lists it among its children.
class CNotificationFace final : public QAccessibleWidget {
public:
    explicit CNotificationFace(QWidget* widget)
        : QAccessibleWidget(widget, QAccessible::Notification) {}

    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(qApp);
    }
};

QAccessibleInterface* MakeNotification(const QString& className, QObject* object) {
    if (className == QLatin1String("CAnnouncer") && object->isWidgetType()) {
        return new CNotificationFace(static_cast<QWidget*>(object));
    }
    return nullptr;
}

} // namespace

CAnnouncer::CAnnouncer(QWidget* parent) : QWidget(parent) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(MakeNotification);
        return true;
    }();
    (void)factoryInstalled;
    setObjectName(QStringLiteral("announcer"));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // No size: it takes no place in the window and is never seen.
    setGeometry(0, 0, 0, 0);
    // Nothing is said before the first announcement.
    hide();
}

void CAnnouncer::Announce(const QString& text) {
    if (text.isEmpty()) {
        return;
    }
    // Hidden and shown again, so that the same text twice in a row (two
    // questions with the same answer) is spoken twice.
    hide();
    setAccessibleName(text);
    show();
}
