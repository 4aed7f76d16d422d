// CTimingProbe: with TORVI_TIMING=1 in the environment the program reports, on
// standard error, when each page has loaded and when Enter was pressed, as
// "torvi-timing <event> <milliseconds since 1970> [file]" lines. With
// TORVI_TIMING_QUIZ set as well it also plays: it opens that quiz, types
// TORVI_TIMING_ANSWER (default "yes") into the first answer box and presses Enter
// on every question page, TORVI_TIMING_ROUNDS times (default 10), then closes the
// window. The timing script in bench/ reads these lines; without the variables the
// probe does nothing.
#pragma once

#include <QObject>
#include <QString>

class CTorviMainWindow;

class CTimingProbe : public QObject {
    Q_OBJECT

public:
    explicit CTimingProbe(CTorviMainWindow& window);

private:
    void OnPageLoaded(bool ok);
    void Report(const char* event, const QString& detail = QString()) const;

    CTorviMainWindow& m_window;
    bool m_bEnabled = false;
    QString m_strQuiz;
    QString m_strAnswer;
    int m_nRounds = 0;
    bool m_bOpened = false;
};
