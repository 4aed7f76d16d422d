// CAnnouncer: says a text to a screen reader without moving the keyboard focus.
// It is an empty widget that assistive technology sees as a notification:
// each Announce names it with the text and shows it again, and a screen reader
// speaks a notification as it appears. Nothing of it is drawn on the screen.
#pragma once

#include <QString>
#include <QWidget>

class CAnnouncer final : public QWidget {
    Q_OBJECT

public:
    explicit CAnnouncer(QWidget* parent);

    // The text is passed on as it stands; an empty text says nothing.
    void Announce(const QString& text);
};
