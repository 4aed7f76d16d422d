// Dialog units: the dialog templates give every position and size in units of
// a quarter of the dialog font's average character width and an eighth of its
// height, so the layout keeps its proportions with whatever face fontconfig
// supplies for the named font.
#pragma once

#include <QFont>
#include <QRect>

class CDialogUnits {
public:
    explicit CDialogUnits(const QFont& font);

    int X(int units) const;
    int Y(int units) const;
    QRect Rect(int x, int y, int width, int height) const;

    int GetBaseX() const { return m_nBaseX; }
    int GetBaseY() const { return m_nBaseY; }

    // The named face at the given point size, falling back to a face of the same
    // kind when fontconfig knows no substitute.
    static QFont MakeFont(const QString& family, int points, QFont::StyleHint hint);

private:
    int m_nBaseX = 0;
    int m_nBaseY = 0;
};
