// How the answer boxes are drawn: what the learner typed stays readable while
// the boxes are disabled for the correction, in every style Qt offers here.
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QStyle>
#include <QStyleFactory>
#include <QtTest>
#include <cstdlib>

#include "app/torvi_app.h"
#include "gui_fixture.h"

namespace {

int Distance(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
           std::abs(a.blue() - b.blue());
}

// The colour the box's text is drawn in: of the pixels the text changes, the one
// that differs most from what the box shows without it. contrast receives by
// how much, so that a box that drew no text is noticed.
QColor InkOf(QLineEdit* box, const QString& text, int& contrast) {
    box->setText(text);
    const QImage with = box->grab().toImage();
    box->setText(QString());
    const QImage without = box->grab().toImage();
    box->setText(text);
    contrast = -1;
    QColor ink;
    for (int y = 0; y < with.height() && y < without.height(); ++y) {
        for (int x = 0; x < with.width() && x < without.width(); ++x) {
            const QColor drawn = with.pixelColor(x, y);
            const int d = Distance(drawn, without.pixelColor(x, y));
            if (d > contrast) {
                contrast = d;
                ink = drawn;
            }
        }
    }
    return ink;
}

} // namespace

class CAnswerBoxLookTest : public QObject {
    Q_OBJECT

private slots:
    void DisabledBoxDrawsItsTextInTheNormalColourInEveryStyle() {
        CGuiFixture f;
        QVERIFY(f.Start());
        QVERIFY(f.OpenQuiz(QStringLiteral("capitals.txt")));
        f.Answer(1, QStringLiteral("Lyon"));
        QLineEdit* box = f.Box(1);
        QVERIFY(!box->isEnabled());
        QCOMPARE(box->text(), QStringLiteral("Lyon"));

        const QStringList styles = QStyleFactory::keys();
        QVERIFY(!styles.isEmpty());
        for (const QString& name : styles) {
            // Changed while the window is up, as a desktop's theme change does.
            QApplication::setStyle(name);
            QCoreApplication::processEvents();
            box->setEnabled(false);
            int disabledContrast = 0;
            const QColor disabledInk = InkOf(box, QStringLiteral("WWW"), disabledContrast);
            box->setEnabled(true);
            int normalContrast = 0;
            const QColor normalInk = InkOf(box, QStringLiteral("WWW"), normalContrast);
            box->setEnabled(false);
            const QString where = name + QStringLiteral(": disabled ") + disabledInk.name() +
                                  QStringLiteral(", enabled ") + normalInk.name();
            QVERIFY2(normalContrast > 100, qPrintable(where));
            QVERIFY2(disabledContrast > 100, qPrintable(where));
            QVERIFY2(Distance(disabledInk, normalInk) <= 60, qPrintable(where));
            // Still disabled: nothing can be typed into it.
            QTest::keyClicks(box, QStringLiteral("x"));
            QCOMPARE(box->text(), QStringLiteral("WWW"));
        }
    }
};

int main(int argc, char** argv) {
    CTorviApp::PrepareEnvironment();
    QApplication app(argc, argv);
    CAnswerBoxLookTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "answer_box_look_test.moc"
