// The window at the scale QT_SCALE_FACTOR sets (ctest runs this program at 1,
// 1.25, 1.5 and 2): the controls keep apart and inside the window, and every
// side of every framed box is drawn, also where a box's edge falls inside a
// screen pixel.
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>
#include <cmath>
#include <cstdlib>

#include "app/torvi_app.h"
#include "gui_fixture.h"

namespace {

int Distance(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
           std::abs(a.blue() - b.blue());
}

// The sides of box (in window pixels) along which some screen position shows
// no frame: no pixel of the box's outermost window pixel there differs from
// both the box's inside and the dialog around it. The ends are left out, where
// a style may round the corners.
QStringList UndrawnSides(const QImage& image, double ratio, const QRect& box, const QColor& inside,
                         const QColor& background) {
    // The first and the last screen pixel a stretch of window pixels touches.
    const auto first = [ratio](int from) { return static_cast<int>(std::floor(from * ratio)); };
    const auto last = [ratio](int to) { return static_cast<int>(std::ceil(to * ratio)) - 1; };
    const auto frame = [&](int x, int y) {
        const QColor pixel = image.pixelColor(x, y);
        return Distance(pixel, inside) > 24 && Distance(pixel, background) > 24;
    };
    const struct {
        const char* name;
        bool horizontal;
        int edge; // the side's window pixel across it
    } sides[] = {{"top", true, box.top()},
                 {"bottom", true, box.bottom()},
                 {"left", false, box.left()},
                 {"right", false, box.right()}};
    QStringList undrawn;
    for (const auto& side : sides) {
        const int from = side.horizontal ? box.left() : box.top();
        const int to = (side.horizontal ? box.right() : box.bottom()) + 1;
        int missing = 0;
        for (int along = first(from + 3) + 1; along < last(to - 3); ++along) {
            bool drawn = false;
            for (int across = first(side.edge); across <= last(side.edge + 1); ++across) {
                drawn = drawn || (side.horizontal ? frame(along, across) : frame(across, along));
            }
            missing += drawn ? 0 : 1;
        }
        if (missing != 0) {
            undrawn << QStringLiteral("%1 (%2 screen pixels)").arg(side.name).arg(missing);
        }
    }
    return undrawn;
}

// Qt keeps a scale such as 1.33 only to a few decimal places.
bool RunsAtTheScaleAsked(const QWidget& window) {
    bool ok = false;
    double asked = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
    if (!ok) {
        asked = 1.0;
    }
    return std::abs(window.devicePixelRatioF() - asked) < 0.001;
}

} // namespace

class CScaledWindowTest : public QObject {
    Q_OBJECT

private slots:
    void ControlsKeepApartAndInsideTheWindow() {
        CGuiFixture f;
        QVERIFY(f.Start());
        QVERIFY(RunsAtTheScaleAsked(f.window));
        const QWidget* client = FindControl<QWidget>(f.window, QStringLiteral("client"));
        const QList<QWidget*> controls =
            client->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
        QCOMPARE(controls.size(), 18); // 10 answer boxes, 2 text boxes, 4 buttons, label, page
        for (qsizetype i = 0; i < controls.size(); ++i) {
            const QRect inWindow(controls[i]->mapTo(&f.window, QPoint(0, 0)), controls[i]->size());
            QVERIFY2(!inWindow.isEmpty() && f.window.rect().contains(inWindow),
                     qPrintable(controls[i]->objectName()));
            for (qsizetype j = i + 1; j < controls.size(); ++j) {
                QVERIFY2(!controls[i]->geometry().intersects(controls[j]->geometry()),
                         qPrintable(controls[i]->objectName() + " " + controls[j]->objectName()));
            }
        }
    }

    void EverySideOfEveryFramedBoxIsDrawn() {
        CGuiFixture f;
        QVERIFY(f.Start());
        // Text in the boxes, as after a wrong answer: the frame must stand
        // beside it too.
        f.Feedback()->setPlainText(QStringLiteral("You are Wrong!!!\nThe answer is Paris"));
        f.Comment()->setPlainText(QStringLiteral("Paris lies on the Seine."));
        f.Box(1)->setText(QStringLiteral("Lyon"));
        QCoreApplication::processEvents();

        const double ratio = f.window.devicePixelRatioF();
        QVERIFY(RunsAtTheScaleAsked(f.window));
        const QImage image = f.window.grab().toImage();
        QCOMPARE(image.width(), qRound(f.window.width() * ratio));
        const QWidget* client = FindControl<QWidget>(f.window, QStringLiteral("client"));
        const QPoint corner = client->mapTo(&f.window, QPoint(2, 2));
        const QColor background = image.pixelColor(static_cast<int>(corner.x() * ratio),
                                                   static_cast<int>(corner.y() * ratio));

        std::vector<QWidget*> framed = {f.Feedback(), f.Comment()};
        for (int i = 1; i <= CWindowServices::kAnswerBoxes; ++i) {
            framed.push_back(f.Box(i));
        }
        QStringList undrawn;
        for (QWidget* box : framed) {
            QVERIFY2(box->isVisible(), qPrintable(box->objectName()));
            const QRect inWindow(box->mapTo(&f.window, QPoint(0, 0)), box->size());
            // The inside: near the far corner, away from any text.
            const QPoint far = box->mapTo(&f.window, QPoint(box->width() - 5, box->height() - 5));
            const QColor inside = image.pixelColor(static_cast<int>(far.x() * ratio),
                                                   static_cast<int>(far.y() * ratio));
            for (const QString& side : UndrawnSides(image, ratio, inWindow, inside, background)) {
                undrawn << box->objectName() + QStringLiteral(" ") + side;
            }
        }
        QVERIFY2(undrawn.isEmpty(), qPrintable(undrawn.join(QStringLiteral(", "))));
    }
};

int main(int argc, char** argv) {
    CTorviApp::PrepareEnvironment();
    QApplication app(argc, argv);
    CScaledWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "scaled_window_test.moc"
