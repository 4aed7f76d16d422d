#include "app/timing_probe.h"

#include <chrono>
#include <cstdio>

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

#include "ui/qt/torvi_main_window.h"
#include "ui/qt/web_browser2.h"

CTimingProbe::CTimingProbe(CTorviMainWindow& window) : m_window(window) {
    m_bEnabled = qEnvironmentVariableIntValue("TORVI_TIMING") != 0;
    if (!m_bEnabled) {
        return;
    }
    m_strQuiz = qEnvironmentVariable("TORVI_TIMING_QUIZ");
    m_strAnswer = qEnvironmentVariable("TORVI_TIMING_ANSWER", QStringLiteral("yes"));
    bool ok = false;
    m_nRounds = qEnvironmentVariableIntValue("TORVI_TIMING_ROUNDS", &ok);
    if (!ok) {
        m_nRounds = 10;
    }
    connect(m_window.GetBrowser(), &QWebEngineView::loadFinished, this,
            &CTimingProbe::OnPageLoaded);
}

void CTimingProbe::Report(const char* event, const QString& detail) const {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const double ms = std::chrono::duration<double, std::milli>(now).count();
    std::fprintf(stderr, "torvi-timing %s %.3f %s\n", event, ms, detail.toUtf8().constData());
    std::fflush(stderr);
}

void CTimingProbe::OnPageLoaded(bool ok) {
    const QString file = QFileInfo(m_window.GetBrowser()->GetRequestedPath()).fileName();
    Report(ok ? "page-loaded" : "page-failed", file);
    if (m_strQuiz.isEmpty()) {
        return;
    }
    // Let the load finish its own work before the next step starts.
    QTimer::singleShot(0, this, [this, file] {
        if (!m_bOpened) {
            m_bOpened = true;
            m_window.SetOpenFileAnswer(m_strQuiz);
            m_window.GetOpenAction()->trigger();
            return;
        }
        if (file != QStringLiteral("QuestionTemp.html")) {
            return;
        }
        if (m_nRounds <= 0) {
            m_window.close();
            return;
        }
        --m_nRounds;
        QLineEdit* box = m_window.GetAnswerBox(0);
        box->setText(m_strAnswer);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        Report("enter");
        QCoreApplication::sendEvent(box, &press);
    });
}
