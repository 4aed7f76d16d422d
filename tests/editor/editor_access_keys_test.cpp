// Access keys as a keyboard user meets them: within each menu and submenu no
// two entries answer the same letter, and the menu bar's titles and the
// window's own buttons and labels share the Alt keys without a clash.
#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

#include "app/torvi_app.h"
#include "editor_test_support.h"

namespace {
// The key of a text as Qt reads it ("&&" is a shown "&"), "" for none.
QString KeyOf(const QString& text) {
    return QKeySequence::mnemonic(text).toString();
}

// One line for each key that more than one of the texts answers, naming them.
QStringList Clashes(const QString& where, const QStringList& texts) {
    QMap<QString, QStringList> byKey;
    for (const QString& text : texts)
        if (const QString key = KeyOf(text); !key.isEmpty())
            byKey[key] << text;
    QStringList clashes;
    for (auto it = byKey.cbegin(); it != byKey.cend(); ++it)
        if (it->size() > 1)
            clashes << QStringLiteral("%1: %2 is the key of %3")
                           .arg(where, it.key(), it->join(QStringLiteral(", ")));
    return clashes;
}

// The clashes of a menu and of every submenu in it, each filled first as it is
// when it opens.
QStringList MenuClashes(QMenu* menu, const QString& where) {
    emit menu->aboutToShow();
    QStringList texts;
    QStringList clashes;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator() || !action->isVisible())
            continue;
        texts << action->text();
        if (action->menu())
            clashes << MenuClashes(action->menu(), where + QStringLiteral(" > ") + action->text());
    }
    return Clashes(where, texts) + clashes;
}

// Every menu of the window's menu bar, and the bar itself with the window's
// controls, whose access keys are Alt keys as the bar's titles are. Controls
// shown only at times (the find bar, the words bar) count as always shown.
QStringList WindowClashes(QMainWindow& window) {
    QStringList altKeys;
    QStringList clashes;
    for (QAction* action : window.menuBar()->actions()) {
        altKeys << action->text();
        if (action->menu())
            clashes << MenuClashes(action->menu(), action->text());
    }
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>())
        altKeys << button->text();
    for (const QLabel* label : window.findChildren<QLabel*>())
        if (label->buddy())
            altKeys << label->text();
    return Clashes(QStringLiteral("window"), altKeys) + clashes;
}
} // namespace

class CEditorAccessKeysTest : public QObject {
    Q_OBJECT

private slots:
    void ClashesAreFoundAndNamedInAMenuAndItsSubmenus() {
        // The walk itself: a clash two levels down is named with its entries, a
        // shown "&&" and an entry with no key are no clash.
        QMenu top(QStringLiteral("&Top"));
        top.addAction(QStringLiteral("&Save"));
        top.addAction(QStringLiteral("Tom && Jerry"));
        top.addAction(QStringLiteral("No key"));
        top.addAction(QStringLiteral("Also none"));
        QMenu* sub = top.addMenu(QStringLiteral("S&ub"));
        sub->addAction(QStringLiteral("&One"));
        sub->addAction(QStringLiteral("&Other"));
        top.addSeparator();
        QCOMPARE(MenuClashes(&top, QStringLiteral("Top")),
                 QStringList{QStringLiteral("Top > S&ub: Alt+O is the key of &One, &Other")});
        top.addAction(QStringLiteral("&Search"));
        QCOMPARE(MenuClashes(&top, QStringLiteral("Top")).first(),
                 QStringLiteral("Top: Alt+S is the key of &Save, &Search"));
    }

    void EveryMenuOfTheEditorHasOneEntryPerKey() {
        CEditorFixture f;
        const QStringList clashes = WindowClashes(f.Window());
        QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join(u'\n')));
        // The walk reached the submenus and the controls.
        QMenu* file = f.Window().menuBar()->actions().first()->menu();
        QVERIFY(file != nullptr);
        int submenus = 0;
        for (QAction* action : file->actions())
            submenus += action->menu() != nullptr;
        QCOMPARE(submenus, 2);
        QVERIFY(!f.Window().findChildren<QAbstractButton*>().isEmpty());
    }

    void RecentFileNamesShowTheirAmpersandsAndTakeNoKey() {
        CEditorFixture f;
        const QStringList names = {QStringLiteral("Q&A.txt"), QStringLiteral("P&A.txt"),
                                   QStringLiteral("Tom & Jerry.txt")};
        for (const QString& name : names) {
            f.WriteFile(name, "Q\nA\n");
            QVERIFY(f.Window().OpenFile(f.Path(name)));
        }
        QMenu* recent = f.RecentMenu();
        QVERIFY(recent != nullptr);
        QStringList shown;
        for (QAction* action : recent->actions()) {
            QCOMPARE(KeyOf(action->text()), QString());
            shown << action->text().replace(QStringLiteral("&&"), QStringLiteral("&"));
        }
        QCOMPARE(shown.size(), names.size());
        for (const QString& name : names)
            QVERIFY2(shown.filter(name + QStringLiteral("  (")).size() == 1,
                     qPrintable(shown.join(u'\n')));
        const QStringList clashes = WindowClashes(f.Window());
        QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join(u'\n')));
    }
};

int main(int argc, char** argv) {
    UsePrivateSettings();
    CTorviApp::PrepareEnvironment();
    QApplication app(argc, argv);
    CEditorAccessKeysTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "editor_access_keys_test.moc"
