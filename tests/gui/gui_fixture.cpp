#include "gui_fixture.h"

#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>

#include "ui/qt/qt_text.h"
#include "ui/qt/web_browser2.h"

CGuiFixture::CGuiFixture() : window(&player) {
    QFile::copy(QStringLiteral(TORVI_RES_DIR "/Welcome.htm"), folder.filePath("Welcome.htm"));
    dialog = std::make_unique<CTorviDlg>(window, &player,
                                         Utf8FromQString(folder.path() + QStringLiteral("/")));
    window.Attach(dialog.get());
    QObject::connect(window.GetBrowser(), &QWebEngineView::loadFinished,
                     [this](bool) { ++m_nLoadsFinished; });
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
    const bool came = QTest::qWaitFor([this] { return m_nLoadsFinished > m_nLoadsSeen; }, timeoutMs);
    m_nLoadsSeen = m_nLoadsFinished;
    return came;
}

bool CGuiFixture::OpenQuiz(const QString& name) {
    window.SetOpenFileAnswer(DataPath(name));
    window.GetOpenAction()->trigger();
    return WaitForPage();
}

QString CGuiFixture::PageText() {
    QString text;
    bool done = false;
    window.GetBrowser()->page()->toPlainText([&](const QString& result) {
        text = result;
        done = true;
    });
    QTest::qWaitFor([&] { return done; }, 5000);
    return text;
}

QString CGuiFixture::PageFile() const {
    return QFileInfo(window.GetBrowser()->GetRequestedPath()).fileName();
}

void CGuiFixture::Answer(int number, const QString& text) {
    QTest::keyClicks(Box(number), text);
    PressEnter(Box(number));
}

void CGuiFixture::PressEnter(QWidget* target) {
    QTest::keyClick(target, Qt::Key_Return);
}

QString CGuiFixture::FeedbackText() const {
    return Feedback()->toPlainText();
}

QString CGuiFixture::CommentText() const {
    return Comment()->toPlainText();
}

QString CGuiFixture::DataPath(const QString& name) {
    return QStringLiteral(TORVI_GUI_DATA_DIR "/") + name;
}
