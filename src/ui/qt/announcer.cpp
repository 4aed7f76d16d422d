#include "ui/qt/announcer.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace {

// Qt has no notification widget of its own, so the announcer's accessible face
// comes from a factory: a plain widget interface in the notification role.
QAccessibleInterface* MakeNotification(const QString& className, QObject* object) {
    if (className == QLatin1String("CAnnouncer") && object->isWidgetType()) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Notification);
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
