// The menus: Order and Sound with their marks, the about box, and File > New
// without an editor beside the program.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "app/torvi_app.h"
#include "gui_fixture.h"
#include "ui/qt/about_dlg.h"

class CMenusTest : public QObject {
    Q_OBJECT

private slots:
    void OrderMenuKeepsOneMarkAndSetsTheOrder() {
        CGuiFixture f;
        QVERIFY(f.Start());
        QAction* inOrder = f.Command(EMenuItem::InOrder);
        QAction* jumbled = f.Command(EMenuItem::JumbledUp);

        jumbled->trigger();
        QVERIFY(jumbled->isChecked());
        QVERIFY(!inOrder->isChecked());
        QVERIFY(f.dialog->GetQuestionSet().IsJumbled());

        // Choosing the checked item again changes nothing.
        jumbled->trigger();
        QVERIFY(jumbled->isChecked());
        QVERIFY(!inOrder->isChecked());
        QVERIFY(f.dialog->GetQuestionSet().IsJumbled());

        inOrder->trigger();
        QVERIFY(inOrder->isChecked());
        QVERIFY(!jumbled->isChecked());
        QVERIFY(!f.dialog->GetQuestionSet().IsJumbled());
        inOrder->trigger();
        QVERIFY(inOrder->isChecked());
    }

    void SoundMenuTogglesTheMarkAndTheCues() {
        CGuiFixture f;
        QVERIFY(f.Start());
        QAction* sound = f.Command(EMenuItem::Sound);
        sound->trigger();
        QVERIFY(!sound->isChecked());
        QVERIFY(!f.dialog->IsSoundOn());

        QVERIFY(f.OpenQuiz(QStringLiteral("capitals.txt")));
        f.Answer(1, QStringLiteral("Paris"));
        QVERIFY(f.WaitForPage());
        QCOMPARE(f.player.m_nPlayed, 0);

        sound->trigger();
        QVERIFY(sound->isChecked());
        QVERIFY(f.dialog->IsSoundOn());
        f.Answer(1, QStringLiteral("Madrid"));
        QVERIFY(f.WaitForPage());
        // The program folder's right-answer cues are found from the current folder.
        QCOMPARE(f.player.m_nPlayed, 1);
    }

    void AboutBoxShowsTheProgramItsMakerAndAContact() {
        CGuiFixture f;
        QVERIFY(f.Start());
        QStringList texts;
        QString title;
        bool allInside = true;
        f.WhenModalAppears([&](QWidget* modal) {
            auto* about = qobject_cast<CAboutDlg*>(modal);
            if (about == nullptr) {
                modal->close();
                return;
            }
            title = about->windowTitle();
            for (QLabel* label : about->findChildren<QLabel*>()) {
                texts << label->text();
                // Every line lies wholly inside the box.
                allInside = allInside && about->rect().contains(label->geometry());
            }
            QTest::mouseClick(about->findChild<QPushButton*>(QStringLiteral("aboutOk")),
                              Qt::LeftButton);
        });
        f.Command("aboutAction")->trigger();
        QCOMPARE(title, QStringLiteral("About Torvi"));
        QVERIFY(texts.contains(QStringLiteral("Halvan Torvi v1.3")));
        QVERIFY(texts.contains(QString::fromUtf8(CAboutDlg::kMakerText)));
        QVERIFY(texts.contains(QString::fromUtf8(CAboutDlg::kContactText)));
        // The notice line carries the whole version, as torvi-cli --version does,
        // and the licence.
        const QString notice = QString::fromUtf8(CAboutDlg::kNoticeText);
        QVERIFY(texts.contains(notice));
        QVERIFY(notice.contains(QStringLiteral("Version " TORVI_VERSION ".")));
        QVERIFY(notice.contains(QStringLiteral("GNU General Public License, version 3 or later")));
        QVERIFY(allInside);
        QVERIFY(QApplication::activeModalWidget() == nullptr ||
                QApplication::activeModalWidget() == &f.window);
    }

    void FileNewWithoutTheEditorLeavesTheProgramAsItWas() {
        CGuiFixture f;
        QVERIFY(f.Start());
        QVERIFY(f.OpenQuiz(QStringLiteral("capitals.txt")));
        QTest::keyClicks(f.Box(1), QStringLiteral("Par"));
        QAction* newItem = nullptr;
        for (QAction* action : f.window.findChildren<QAction*>()) {
            if (action->text() == QStringLiteral("&New")) {
                newItem = action;
            }
        }
        QVERIFY(newItem != nullptr);
        newItem->trigger();
        QVERIFY(f.window.isVisible());
        QCOMPARE(f.player.m_nStopped, 0);
        QCOMPARE(f.dialog->GetState(), QuizState::Asking);
        QCOMPARE(f.Box(1)->text(), QStringLiteral("Par"));
    }
};

int main(int argc, char** argv) {
    CTorviApp::PrepareEnvironment();
    QApplication app(argc, argv);
    CMenusTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "menus_test.moc"
