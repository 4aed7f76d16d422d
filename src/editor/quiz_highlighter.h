// Colours the parts of a quiz file: option header, question, answer block and
// its ">>", ";" comment, "~" explanation, continuation marks and HTML blocks.
// The roles come from walking the whole text as the loader does; they are
// worked out again after each pause in typing.
#pragma once

#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <vector>

#include "editor/quiz_line_roles.h"

class CQuizHighlighter : public QSyntaxHighlighter {
    Q_OBJECT

public:
    explicit CQuizHighlighter(QTextDocument* document);

    // Takes the roles for the document's lines, recolouring only lines whose role changed.
    void SetRoles(std::vector<CLineRole> roles);
    const std::vector<CLineRole>& GetRoles() const { return m_roles; }

protected:
    void highlightBlock(const QString& text) override;

private:
    std::vector<CLineRole> m_roles;
    QTextCharFormat m_formats[6];
    QTextCharFormat m_mark;
    QTextCharFormat m_continuation;
    QTextCharFormat m_html;
};
