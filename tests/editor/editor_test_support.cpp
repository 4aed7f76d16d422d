#include "editor_test_support.h"

#include <memory>
#include <optional>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QSignalSpy>
#include <QWebEnginePage>
#include <QtTest>

#include "editor/quiz_code_edit.h"
#include "ui/qt/web_browser2.h"

CEditorPrompts::ESaveChoice CScriptedPrompts::AskSaveChanges(QWidget*, const QString& name) {
    saveQuestions << name;
    if (saveChoices.empty())
        return ESaveChoice::Cancel;
    const ESaveChoice choice = saveChoices.front();
    saveChoices.pop_front();
    return choice;
}

CEditorPrompts::ERecoveryChoice CScriptedPrompts::AskRecover(QWidget*, const QString& text) {
    recoveryQuestions << text;
    if (recoveryChoices.empty())
        return ERecoveryChoice::Later;
    const ERecoveryChoice choice = recoveryChoices.front();
    recoveryChoices.pop_front();
    return choice;
}

QString CScriptedPrompts::AskOpenPath(QWidget*, const QString&) {
    if (openPaths.empty())
        return QString();
    const QString path = openPaths.front();
    openPaths.pop_front();
    return path;
}

QString CScriptedPrompts::AskSavePath(QWidget*, const QString&) {
    if (savePaths.empty())
        return QString();
    const QString path = savePaths.front();
    savePaths.pop_front();
    return path;
}

void CScriptedPrompts::ShowError(QWidget*, const QString&, const QString& text) {
    errors << text;
}

CEditorPrompts::EDiskChoice CScriptedPrompts::AskDiskChanged(QWidget*, const QString& documentName,
                                                             EDiskChange change, bool modified,
                                                             bool saving) {
    diskQuestions << QStringLiteral("%1 %2%3%4")
                         .arg(documentName,
                              change == EDiskChange::Deleted ? QStringLiteral("deleted")
                                                             : QStringLiteral("changed"),
                              modified ? QStringLiteral(" modified") : QString(),
                              saving ? QStringLiteral(" saving") : QString());
    if (diskChoices.empty())
        return EDiskChoice::KeepEditing;
    const EDiskChoice choice = diskChoices.front();
    diskChoices.pop_front();
    return choice;
}

bool CScriptedPrompts::AskToContinue(QWidget*, const QString& title, const QString& text) {
    warnings << title + u' ' + text;
    if (continueAnswers.empty())
        return false;
    const bool answer = continueAnswers.front();
    continueAnswers.pop_front();
    return answer;
}

void UsePrivateSettings() {
    static QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toUtf8());
}

CEditorFixture::CEditorFixture() {
    m_pWindow = MakeWindow();
    m_pWindow->NewQuiz();
}

CEditorFixture::~CEditorFixture() {
    // Windows still open are closed without questions: their changes are the test's.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<CQuizEditorWindow*>(widget)) {
            window->GetEditor()->document()->setModified(false);
            window->close();
        }
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

CQuizEditorWindow* CEditorFixture::MakeWindow() {
    // The program's folder is apart from the quizzes, as when installed.
    QDir(folder.path()).mkdir(QStringLiteral("program"));
    return new CQuizEditorWindow(prompts, folder.path() + QStringLiteral("/program/"),
                                 RecoveryFolder());
}

void CEditorFixture::ReplaceText(const QString& text) {
    QTextCursor cursor(Window().GetEditor()->document());
    cursor.select(QTextCursor::Document);
    cursor.insertText(text);
    // What the test reads next is only true once the new text is checked.
    if (!WaitForCheck(Window()))
        QTest::qFail("the text was not checked after it changed", __FILE__, __LINE__);
}

bool CEditorFixture::WaitForCheck(CQuizEditorWindow& window) {
    QSignalSpy checked(&window, &CQuizEditorWindow::Checked);
    return checked.wait(5000);
}

QStringList CEditorFixture::ProblemLines(CQuizEditorWindow& window) const {
    QStringList lines;
    QListWidget* list = window.GetProblemList();
    for (int i = 0; i < list->count(); ++i) {
        const QString text = list->item(i)->text();
        lines << QString::number(list->item(i)->data(Qt::UserRole).toInt()) +
                     (text.contains(QStringLiteral(": error: ")) ? QStringLiteral(": error")
                                                                 : QStringLiteral(": warning"));
    }
    return lines;
}

QString CEditorFixture::PreviewText(CQuizEditorWindow& window) {
    // The page answers in its own time, and on a busy machine possibly only
    // after this has stopped waiting: the answer then lands in a place that
    // outlives the wait, never in this function's finished frame.
    const auto text = std::make_shared<std::optional<QString>>();
    window.GetPreview()->page()->toPlainText([text](const QString& result) { *text = result; });
    const QDeadlineTimer deadline(5000);
    while (!text->has_value() && !deadline.hasExpired())
        QTest::qWait(10);
    return text->value_or(QString()).trimmed();
}

QByteArray CEditorFixture::ReadFile(const QString& name) const {
    QFile file(Path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void CEditorFixture::WriteFile(const QString& name, const QByteArray& bytes) const {
    QFile file(Path(name));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

QMenu* CEditorFixture::RecentMenu() {
    for (QMenu* menu : Window().findChildren<QMenu*>()) {
        if (menu->title() == QStringLiteral("Open &Recent")) {
            emit menu->aboutToShow();
            return menu;
        }
    }
    return nullptr;
}
