#include "ui/qt/dialog_units.h"

#include <QFontMetrics>

namespace {

// Multiplies and divides with rounding to the nearest whole pixel.
int MulDiv(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : (product - half) / denominator);
}

} // namespace

CDialogUnits::CDialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    // The average width is taken over the 52 letters, rounded, the way dialog
    // templates have always measured their font.
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_nBaseX = qMax(1, (letters / 26 + 1) / 2);
    m_nBaseY = qMax(1, metrics.height());
}

int CDialogUnits::X(int units) const {
    return MulDiv(units, m_nBaseX, 4);
}

int CDialogUnits::Y(int units) const {
    return MulDiv(units, m_nBaseY, 8);
}

QRect CDialogUnits::Rect(int x, int y, int width, int height) const {
    return QRect(X(x), Y(y), X(width), Y(height));
}

QFont CDialogUnits::MakeFont(const QString& family, int points, QFont::StyleHint hint) {
    QFont font(family);
    font.setStyleHint(hint);
    font.setPointSize(points);
    return font;
}
