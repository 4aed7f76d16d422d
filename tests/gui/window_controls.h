// The quiz window's controls, reached by their object names as any widget
// inspector would: the window itself lends the tests nothing but its one
// file-dialog answer.
#pragma once

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include "ui/qt/web_browser2.h"
#include "ui/window_services.h"

// The child of window of that type and name; a missing one ends the test
// program at once, naming it, rather than failing later on a null pointer.
template <typename T> T* FindControl(const QWidget& window, const QString& name) {
    T* found = window.findChild<T*>(name);
    if (found == nullptr) {
        qFatal("the window has no %s named %s", T::staticMetaObject.className(), qPrintable(name));
    }
    return found;
}

// Answer box number 1 to 10, top to bottom.
inline QLineEdit* AnswerBox(const QWidget& window, int number) {
    return FindControl<QLineEdit>(window, QStringLiteral("answerBox%1").arg(number));
}

inline CWebBrowser2* PageView(const QWidget& window) {
    return FindControl<CWebBrowser2>(window, QStringLiteral("pageView"));
}

// A menu command by its name: newAction, openAction, inOrderAction,
// jumbledUpAction, soundAction, contentsAction, webSiteAction, aboutAction.
inline QAction* MenuCommand(const QWidget& window, const char* name) {
    return FindControl<QAction>(window, QString::fromLatin1(name));
}

inline QAction* MenuCommand(const QWidget& window, EMenuItem item) {
    switch (item) {
    case EMenuItem::InOrder:
        return MenuCommand(window, "inOrderAction");
    case EMenuItem::JumbledUp:
        return MenuCommand(window, "jumbledUpAction");
    case EMenuItem::Sound:
        return MenuCommand(window, "soundAction");
    }
    return nullptr;
}

inline QPushButton* Button(const QWidget& window, EButton button) {
    switch (button) {
    case EButton::Explanation:
        return FindControl<QPushButton>(window, QStringLiteral("explanationButton"));
    case EButton::Quit:
        return FindControl<QPushButton>(window, QStringLiteral("quitButton"));
    case EButton::Restart:
        return FindControl<QPushButton>(window, QStringLiteral("restartButton"));
    case EButton::Repeat:
        return FindControl<QPushButton>(window, QStringLiteral("repeatButton"));
    }
    return nullptr;
}
