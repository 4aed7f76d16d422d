// Quiz pages from a stranger's file are drawn and nothing more: no script runs,
// nothing reaches the network, the view stays on the question, and pictures
// named by a local path still load.
#include <QDesktopServices>
#include <QFile>
#include <QImage>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebEngineScript>
#include <QtTest>

#include "app/torvi_app.h"
#include "gui_fixture.h"
#include "ui/qt/quiz_page.h"

namespace {

// Runs the event loop for a while, so that anything a page started can happen.
void Settle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// A value computed in the page by the program (not by the page's own scripts).
QVariant Evaluate(QWebEnginePage* page, const QString& expression) {
    QVariant value;
    bool done = false;
    QEventLoop loop;
    page->runJavaScript(expression, QWebEngineScript::ApplicationWorld,
                        [&](const QVariant& result) {
                            value = result;
                            done = true;
                            loop.quit();
                        });
    if (!done) {
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return value;
}

} // namespace

// Stands in for the desktop's browser.
class CBrowserStandIn : public QObject {
    Q_OBJECT

public slots:
    void Open(const QUrl& url) { opened.append(url); }

public:
    QList<QUrl> opened;
};

class CHostilePageTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(m_server.listen(QHostAddress::LocalHost));
        m_nConnections = 0;
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                ++m_nConnections;
                socket->deleteLater();
            }
        });
    }

    void cleanup() {
        m_server.close();
        disconnect(&m_server, nullptr, this, nullptr);
    }

    void HostilePagesRunNothingAndReachNothing() {
        CGuiFixture f;
        const QString folder = f.folder.path();
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(folder + QStringLiteral("/pic.png")));
        const QString quiz = WriteQuiz(f, HostileQuiz(folder));

        QVERIFY(f.Start());
        f.window.SetOpenFileAnswer(quiz);
        f.Command("openAction")->trigger();
        QVERIFY(f.WaitForPage());
        Settle(1500);
        QWebEnginePage* page = f.View()->page();

        // The question itself is shown, and only it.
        QVERIFY(f.PageText().contains(QStringLiteral("Hostile question")));
        QCOMPARE(page->url(), QUrl::fromLocalFile(PageUrlPath(f)));
        QCOMPARE(m_nConnections, 0);
        QCOMPARE(page->title(), QStringLiteral("Quiz page"));
        // Pictures by file: address and by plain path both load.
        QVERIFY(Evaluate(page, QStringLiteral("document.getElementById('byUrl').naturalWidth"))
                    .toInt() == 40);
        QVERIFY(Evaluate(page, QStringLiteral("document.getElementById('byPath').naturalWidth"))
                    .toInt() == 40);
        // The frame that would list the learner's folder stays empty.
        QCOMPARE(Evaluate(page, QStringLiteral("window.frames.length > 0 && "
                                               "window.frames[0].location.href === 'about:blank'"))
                     .toBool(),
                 true);

        // A plain-text question goes into the page unchanged, markup and all,
        // and its script and event handler stay dead too.
        f.Answer(1, QStringLiteral("yes"));
        QVERIFY(f.WaitForPage());
        Settle(1000);
        QVERIFY(f.PageText().contains(QStringLiteral("Plain question")));
        QCOMPARE(Evaluate(page, QStringLiteral("document.getElementsByTagName('script').length"))
                     .toInt(),
                 1);
        QVERIFY(!page->title().contains(QStringLiteral("ran")));
        QCOMPARE(m_nConnections, 0);
    }

    void WebLinksOpenInTheBrowserAndTheQuestionStays() {
        CBrowserStandIn browser;
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &browser, "Open");
        CGuiFixture f;
        const QString link = QStringLiteral("http://127.0.0.1:%1/more").arg(m_server.serverPort());
        const QString quiz = WriteQuiz(
            f, QStringLiteral("<html><body style=\"margin:0\">"
                              "<a href=\"%1\" style=\"display:block;height:300px\">Read more</a>"
                              "<a href=\"file:///etc/passwd\" style=\"display:block;height:300px\">"
                              "Local</a></body></html>\nyes\n")
                   .arg(link));
        QVERIFY(f.Start());
        f.window.SetOpenFileAnswer(quiz);
        f.Command("openAction")->trigger();
        QVERIFY(f.WaitForPage());
        QWebEnginePage* page = f.View()->page();
        const QUrl question = page->url();
        QWidget* surface = f.View()->focusProxy();
        QVERIFY(surface != nullptr);

        QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(20, 10));
        Settle(1000);
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QCOMPARE(browser.opened, QList<QUrl>{QUrl(link)});
        QCOMPARE(page->url(), question);
        QCOMPARE(m_nConnections, 0);
    }

    void OnlyDrawingRequestsToLocalFilesPass() {
        using Info = QWebEngineUrlRequestInfo;
        const QUrl file = QUrl::fromLocalFile(QStringLiteral("/tmp/pic.png"));
        QVERIFY(CPageRequestFilter::IsAllowed(file, Info::ResourceTypeImage));
        QVERIFY(CPageRequestFilter::IsAllowed(file, Info::ResourceTypeStylesheet));
        QVERIFY(CPageRequestFilter::IsAllowed(file, Info::ResourceTypeFontResource));
        QVERIFY(CPageRequestFilter::IsAllowed(QUrl(QStringLiteral("data:image/png;base64,AA")),
                                              Info::ResourceTypeImage));
        QVERIFY(!CPageRequestFilter::IsAllowed(file, Info::ResourceTypeXhr));
        QVERIFY(!CPageRequestFilter::IsAllowed(file, Info::ResourceTypeSubFrame));
        QVERIFY(!CPageRequestFilter::IsAllowed(file, Info::ResourceTypeSubResource));
        QVERIFY(!CPageRequestFilter::IsAllowed(file, Info::ResourceTypeObject));
        const char* remote[] = {"http://127.0.0.1/a.png",
                                "https://example.org/a.png",
                                "ws://127.0.0.1/",
                                "wss://example.org/",
                                "ftp://example.org/a.png",
                                "blob:file:///x",
                                "about:blank"};
        for (const char* address : remote) {
            const QUrl url(QString::fromLatin1(address));
            QVERIFY2(!CPageRequestFilter::IsAllowed(url, Info::ResourceTypeImage), address);
            QVERIFY2(!CPageRequestFilter::IsAllowed(url, Info::ResourceTypeWebSocket), address);
            QVERIFY2(!CPageRequestFilter::IsAllowed(url, Info::ResourceTypeMainFrame), address);
        }
        QVERIFY(CQuizPage::IsWebLink(QUrl(QStringLiteral("https://example.org/"))));
        QVERIFY(!CQuizPage::IsWebLink(QUrl(QStringLiteral("mailto:a@example.org"))));
        QVERIFY(!CQuizPage::IsWebLink(file));
    }

private:
    QString HostileQuiz(const QString& folder) const {
        const QString port = QString::number(m_server.serverPort());
        const QString remote = QStringLiteral("http://127.0.0.1:") + port;
        // An HTML block is one page: its lines are joined with nothing between.
        QString page = QStringLiteral(
            "<html><head><title>Quiz page</title>\n"
            "<meta http-equiv=\"refresh\" content=\"0;url=REMOTE/refresh\">\n"
            "<link rel=\"stylesheet\" href=\"REMOTE/style.css\">\n"
            "<link rel=\"dns-prefetch\" href=\"REMOTE/\">\n"
            "</head><body><p>Hostile question</p>\n"
            "<img id=\"byUrl\" src=\"file://FOLDER/pic.png\">\n"
            "<img id=\"byPath\" src=\"FOLDER/pic.png\">\n"
            "<img src=\"REMOTE/remote.png\">\n"
            "<iframe src=\"file:///etc/\"></iframe>\n"
            "<a href=\"REMOTE/ping\" ping=\"REMOTE/pinged\">x</a>\n"
            "<script>document.title = 'script ran';"
            "fetch('file:///etc/passwd').then(function (r) { return r.text(); })"
            ".then(function (t) { document.title = 'read ' + t.length; });"
            "var x = new XMLHttpRequest(); try { x.open('GET', 'file:///etc/passwd', false);"
            " x.send(); document.title = 'xhr ' + x.responseText.length; } catch (e) {}"
            "var s = new WebSocket('ws://127.0.0.1:PORT/socket');"
            "s.onopen = function () { s.send('secret'); };"
            "window.open('REMOTE/window');</script>\n"
            "<img src=\"missing.png\" onerror=\"document.title = 'handler ran'\">\n"
            "</body></html>\n");
        page.replace(QStringLiteral("REMOTE"), remote);
        page.replace(QStringLiteral("PORT"), port);
        page.replace(QStringLiteral("FOLDER"), folder);
        return page +
               QStringLiteral("yes\n"
                              "Plain question <script>document.title = 'plain ran'</script>"
                              "<img src=\"x\" onerror=\"document.title = 'plain handler ran'\">"
                              "\nyes\n");
    }

    static QString WriteQuiz(CGuiFixture& f, const QString& text) {
        const QString path = f.folder.filePath(QStringLiteral("hostile.txt"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return {};
        file.write(text.toUtf8());
        return path;
    }

    static QString PageUrlPath(CGuiFixture& f) {
        return QString::fromStdString(f.dialog->GetPageDirectory()) +
               QStringLiteral("QuestionTemp.html");
    }

    QTcpServer m_server;
    int m_nConnections = 0;
};

int main(int argc, char** argv) {
    CTorviApp::PrepareEnvironment();
    QApplication app(argc, argv);
    CHostilePageTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "hostile_page_test.moc"
