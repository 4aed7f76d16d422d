#include "editor/quiz_code_edit.h"

#include <QPainter>
#include <QTextBlock>

namespace {
class CLineMargin : public QWidget {
public:
    explicit CLineMargin(CQuizCodeEdit* editor) : QWidget(editor), m_pEditor(editor) {}
    QSize sizeHint() const override { return QSize(m_pEditor->MarginWidth(), 0); }

protected:
    void paintEvent(QPaintEvent* event) override { m_pEditor->PaintMargin(event); }

private:
    CQuizCodeEdit* m_pEditor;
};

const QColor kErrorColour(0xD0, 0x20, 0x20);
const QColor kWarningColour(0xE0, 0xA0, 0x00);
} // namespace

CQuizCodeEdit::CQuizCodeEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName(QStringLiteral("quizText"));
    QFont font(QStringLiteral("Monospace"));
    font.setStyleHint(QFont::TypeWriter);
    setFont(font);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    // Tabs are rare in quiz files but must be told apart from blanks.
    setTabStopDistance(fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 4);
    m_pMargin = new CLineMargin(this);
    connect(this, &QPlainTextEdit::blockCountChanged, this, &CQuizCodeEdit::UpdateMarginWidth);
    connect(this, &QPlainTextEdit::updateRequest, this, &CQuizCodeEdit::UpdateMargin);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this,
            &CQuizCodeEdit::UpdateLineHighlights);
    UpdateMarginWidth();
    UpdateLineHighlights();
}

void CQuizCodeEdit::SetMarks(const QMap<int, EMark>& marks) {
    m_marks = marks;
    UpdateLineHighlights();
    m_pMargin->update();
}

void CQuizCodeEdit::GoToLine(int line) {
    const QTextBlock block = document()->findBlockByNumber(line - 1);
    if (!block.isValid())
        return;
    QTextCursor cursor(block);
    setTextCursor(cursor);
    centerCursor();
    setFocus();
}

int CQuizCodeEdit::GetCaretLine() const {
    return textCursor().blockNumber() + 1;
}

int CQuizCodeEdit::MarginWidth() const {
    int digits = 1;
    for (int n = qMax(1, blockCount()); n >= 10; n /= 10)
        ++digits;
    // Room for the mark, the digits and a little space.
    return fontMetrics().height() + fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits + 6;
}

void CQuizCodeEdit::UpdateMarginWidth() {
    setViewportMargins(MarginWidth(), 0, 0, 0);
}

void CQuizCodeEdit::UpdateMargin(const QRect& rect, int dy) {
    if (dy != 0)
        m_pMargin->scroll(0, dy);
    else
        m_pMargin->update(0, rect.y(), m_pMargin->width(), rect.height());
    if (rect.contains(viewport()->rect()))
        UpdateMarginWidth();
}

void CQuizCodeEdit::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    const QRect area = contentsRect();
    m_pMargin->setGeometry(QRect(area.left(), area.top(), MarginWidth(), area.height()));
}

void CQuizCodeEdit::PaintMargin(QPaintEvent* event) {
    QPainter painter(m_pMargin);
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    const int lineHeight = fontMetrics().height();
    while (block.isValid() && top <= event->rect().bottom()) {
        const int height = qRound(blockBoundingRect(block).height());
        if (block.isVisible() && top + height >= event->rect().top()) {
            const int number = block.blockNumber() + 1;
            const auto mark = m_marks.constFind(number);
            if (mark != m_marks.constEnd()) {
                painter.setRenderHint(QPainter::Antialiasing);
                painter.setPen(Qt::NoPen);
                painter.setBrush(*mark == EMark::Error ? kErrorColour : kWarningColour);
                const int size = lineHeight - 6;
                painter.drawEllipse(3, top + 3, size, size);
            }
            painter.setPen(palette().color(QPalette::PlaceholderText));
            painter.drawText(0, top, m_pMargin->width() - 3, lineHeight, Qt::AlignRight,
                             QString::number(number));
        }
        block = block.next();
        top += height;
    }
}

void CQuizCodeEdit::UpdateLineHighlights() {
    QList<QTextEdit::ExtraSelection> selections;
    for (auto it = m_marks.constBegin(); it != m_marks.constEnd(); ++it) {
        const QTextBlock block = document()->findBlockByNumber(it.key() - 1);
        if (!block.isValid())
            continue;
        QTextEdit::ExtraSelection selection;
        QColor colour = it.value() == EMark::Error ? kErrorColour : kWarningColour;
        colour.setAlpha(40);
        selection.format.setBackground(colour);
        selection.format.setProperty(QTextFormat::FullWidthSelection, true);
        selection.cursor = QTextCursor(block);
        selections.append(selection);
    }
    QTextEdit::ExtraSelection caretLine;
    caretLine.format.setBackground(QColor(0xE8, 0xF0, 0xFF, 90));
    caretLine.format.setProperty(QTextFormat::FullWidthSelection, true);
    caretLine.cursor = textCursor();
    caretLine.cursor.clearSelection();
    selections.append(caretLine);
    setExtraSelections(selections);
}
