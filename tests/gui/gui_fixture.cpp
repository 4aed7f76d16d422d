#include "gui_fixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <functional>

#include "ui/qt/qt_text.h"

namespace {

// Runs the event loop until done says so or the time is up, waking at each page
// load. The page engine works through the event loop itself, so a wait that
// sleeps between turns (as QTest::qWaitFor does) slows every load by seconds.
bool RunLoopUntil(const std::function<bool()>& done, int timeoutMs, QWebEngineView* view) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0) {
            return false;
        }
        QEventLoop loop;
        QTimer::singleShot(static_cast<int>(left), &loop, &QEventLoop::quit);
        QObject::connect(view, &QWebEngineView::loadFinished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

} // namespace

CGuiFixture::CGuiFixture() : window(&player) {
    QFile::copy(QStringLiteral(TORVI_RES_DIR "/Welcome.htm"), folder.filePath("Welcome.htm"));
    // The test's own folder also takes the pages, so that tests never share them.
    const std::string directory = Utf8FromQString(folder.path() + QStringLiteral("/"));
    dialog = std::make_unique<CTorviDlg>(window, &player, directory, directory);
    window.Attach(dialog.get());
    QObject::connect(View(), &QWebEngineView::loadFinished, [this](bool) { ++m_nLoadsFinished; });
    dialog->OnInitDialog();
}

CGuiFixture::~CGuiFixture() {
    window.Attach(nullptr);
    window.hide();
}

bool CGuiFixture::Start() {
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        return false;
    }
    window.activateWindow();
    return WaitForPage();
}

bool CGuiFixture::WaitForPage(int timeoutMs) {
    const bool came =
        RunLoopUntil([this] { return m_nLoadsFinished > m_nLoadsSeen; }, timeoutMs, View());
    m_nLoadsSeen = m_nLoadsFinished;
    // The window reads a page's text when it has loaded and only then puts the
    // focus in the answer box; the page answers in order, so one more reading
    // here comes back after the window's.
    if (came) {
        PageText();
    }
    return came;
}

bool CGuiFixture::OpenQuiz(const QString& name) {
    window.SetOpenFileAnswer(DataPath(name));
    Command("openAction")->trigger();
    return WaitForPage();
}

QString CGuiFixture::PageText() {
    QString text;
    bool done = false;
    QEventLoop loop;
    View()->page()->toPlainText([&](const QString& result) {
        text = result;
        done = true;
        loop.quit();
    });
    if (!done) {
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return text;
}

QString CGuiFixture::PageFile() const {
    return QFileInfo(View()->GetRequestedPath()).fileName();
}

void CGuiFixture::Answer(int number, const QString& text) {
    QTest::keyClicks(Box(number), text);
    PressEnter(Box(number));
}

void CGuiFixture::PressEnter(QWidget* target) {
    QTest::keyClick(target, Qt::Key_Return);
}

QPlainTextEdit* CGuiFixture::Feedback() const {
    return FindControl<QPlainTextEdit>(window, QStringLiteral("feedbackBox"));
}

QPlainTextEdit* CGuiFixture::Comment() const {
    return FindControl<QPlainTextEdit>(window, QStringLiteral("commentBox"));
}

std::vector<QWidget*> CGuiFixture::TabStops() const {
    const QWidget* client = FindControl<QWidget>(window, QStringLiteral("client"));
    std::vector<QWidget*> stops;
    for (QWidget* child : client->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if ((child->focusPolicy() & Qt::TabFocus) != 0) {
            stops.push_back(child);
        }
    }
    return stops;
}

QString CGuiFixture::FeedbackText() const {
    return Feedback()->toPlainText();
}

QString CGuiFixture::CommentText() const {
    return Comment()->toPlainText();
}

void CGuiFixture::WhenModalAppears(const std::function<void(QWidget*)>& action) {
    auto* timer = new QTimer(&window);
    QObject::connect(timer, &QTimer::timeout, timer, [this, timer, action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal != &window) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        }
    });
    timer->start(50);
}

QString CGuiFixture::DataPath(const QString& name) {
    return QStringLiteral(TORVI_GUI_DATA_DIR "/") + name;
}
