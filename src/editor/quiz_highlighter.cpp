#include "editor/quiz_highlighter.h"

#include <QColor>
#include <QTextBlock>
#include <QTextDocument>

namespace {
bool SameRole(const CLineRole& a, const CLineRole& b) {
    return a.role == b.role && a.html == b.html && a.continuationAt == b.continuationAt &&
           a.blockStart == b.blockStart;
}

// Columns count bytes of UTF-8 in the roles and UTF-16 units in Qt.
int Utf16Column(const QString& text, int32_t byteColumn) {
    int32_t bytes = 0;
    for (int i = 0; i < text.size(); ++i) {
        if (bytes >= byteColumn)
            return i;
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit)) {
            bytes += 4;
            ++i;
        } else {
            bytes += unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3;
        }
    }
    return static_cast<int>(text.size());
}
} // namespace

CQuizHighlighter::CQuizHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {
    auto& option = m_formats[static_cast<int>(ELineRole::Option)];
    option.setForeground(QColor(0x80, 0x30, 0x90));
    option.setFontWeight(QFont::Bold);
    auto& question = m_formats[static_cast<int>(ELineRole::Question)];
    question.setForeground(QColor(0x10, 0x30, 0x80));
    question.setFontWeight(QFont::Bold);
    m_formats[static_cast<int>(ELineRole::Answer)].setForeground(QColor(0x10, 0x70, 0x20));
    auto& comment = m_formats[static_cast<int>(ELineRole::Comment)];
    comment.setForeground(QColor(0x70, 0x60, 0x10));
    comment.setFontItalic(true);
    m_formats[static_cast<int>(ELineRole::Explanation)].setForeground(QColor(0x00, 0x60, 0x70));
    m_mark.setForeground(QColor(0xC0, 0x40, 0x00));
    m_mark.setFontWeight(QFont::Bold);
    m_continuation.setForeground(QColor(0xC0, 0x00, 0x00));
    m_continuation.setBackground(QColor(0xFF, 0xE8, 0xC0));
    m_continuation.setFontWeight(QFont::Bold);
    m_html.setBackground(QColor(0xF0, 0xF0, 0xF8));
}

void CQuizHighlighter::SetRoles(std::vector<CLineRole> roles) {
    std::vector<CLineRole> old = std::move(m_roles);
    m_roles = std::move(roles);
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        const auto n = static_cast<size_t>(block.blockNumber());
        const CLineRole before = n < old.size() ? old[n] : CLineRole{};
        const CLineRole now = n < m_roles.size() ? m_roles[n] : CLineRole{};
        if (!SameRole(before, now))
            rehighlightBlock(block);
    }
}

void CQuizHighlighter::highlightBlock(const QString& text) {
    const auto n = static_cast<size_t>(currentBlock().blockNumber());
    if (n >= m_roles.size())
        return;
    const CLineRole& line = m_roles[n];
    if (line.role == ELineRole::Blank)
        return;
    QTextCharFormat format = m_formats[static_cast<int>(line.role)];
    if (line.html)
        format.setBackground(m_html.background());
    setFormat(0, static_cast<int>(text.size()), format);
    if (line.blockStart && !text.isEmpty()) {
        if ((line.role == ELineRole::Comment && text[0] == u';') ||
            (line.role == ELineRole::Explanation && text[0] == u'~'))
            setFormat(0, 1, m_mark);
        if (line.role == ELineRole::Answer && text.startsWith(QStringLiteral(">>")))
            setFormat(0, 2, m_mark);
    }
    if (line.continuationAt >= 0) {
        const int from = Utf16Column(text, line.continuationAt);
        setFormat(from, static_cast<int>(text.size()) - from, m_continuation);
    }
}
