// The text of the quiz: a plain-text editor with a margin of line numbers in
// which the lines with errors and warnings are marked.
#pragma once

#include <QMap>
#include <QPlainTextEdit>

class CQuizCodeEdit : public QPlainTextEdit {
    Q_OBJECT

public:
    enum class EMark { Warning, Error };

    explicit CQuizCodeEdit(QWidget* parent = nullptr);

    // Marks these lines (from 1); an error outranks a warning on the same line.
    void SetMarks(const QMap<int, EMark>& marks);
    const QMap<int, EMark>& GetMarks() const { return m_marks; }
    // Puts the caret at the start of the line (from 1) and shows it.
    void GoToLine(int line);
    // The caret's line, from 1.
    int GetCaretLine() const;

    int MarginWidth() const;
    void PaintMargin(QPaintEvent* event);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void UpdateMarginWidth();
    void UpdateMargin(const QRect& rect, int dy);
    void UpdateLineHighlights();

    QWidget* m_pMargin = nullptr;
    QMap<int, EMark> m_marks;
};
