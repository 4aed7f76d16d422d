#include "editor/find_bar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>

CFindBar::CFindBar(QPlainTextEdit* editor, QWidget* parent) : QWidget(parent), m_pEditor(editor) {
    setObjectName(QStringLiteral("findBar"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    m_pFind = new QLineEdit(this);
    m_pFind->setObjectName(QStringLiteral("findField"));
    m_pFind->setPlaceholderText(QStringLiteral("Find"));
    m_pReplace = new QLineEdit(this);
    m_pReplace->setObjectName(QStringLiteral("replaceField"));
    m_pReplace->setPlaceholderText(QStringLiteral("Replace with"));
    m_pMatchCase = new QCheckBox(QStringLiteral("Match &case"), this);
    auto* previous = new QPushButton(QStringLiteral("&Previous"), this);
    auto* next = new QPushButton(QStringLiteral("&Next"), this);
    auto* replace = new QPushButton(QStringLiteral("&Replace"), this);
    auto* replaceAll = new QPushButton(QStringLiteral("Replace &All"), this);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    layout->addWidget(new QLabel(QStringLiteral("Find:"), this));
    layout->addWidget(m_pFind, 1);
    layout->addWidget(previous);
    layout->addWidget(next);
    layout->addWidget(m_pReplace, 1);
    layout->addWidget(replace);
    layout->addWidget(replaceAll);
    layout->addWidget(m_pMatchCase);
    layout->addWidget(close);
    connect(m_pFind, &QLineEdit::returnPressed, this, [this] { FindNext(); });
    connect(m_pReplace, &QLineEdit::returnPressed, this, &CFindBar::ReplaceOne);
    connect(previous, &QPushButton::clicked, this, [this] { FindNext(true); });
    connect(next, &QPushButton::clicked, this, [this] { FindNext(); });
    connect(replace, &QPushButton::clicked, this, &CFindBar::ReplaceOne);
    connect(replaceAll, &QPushButton::clicked, this, &CFindBar::ReplaceAll);
    connect(close, &QPushButton::clicked, this, [this] {
        hide();
        m_pEditor->setFocus();
    });
    hide();
}

void CFindBar::Open() {
    const QString selected = m_pEditor->textCursor().selectedText();
    // A selection across lines is not something to look for.
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator))
        m_pFind->setText(selected);
    show();
    m_pFind->setFocus();
    m_pFind->selectAll();
}

bool CFindBar::FindNext(bool backwards) {
    const QString text = m_pFind->text();
    if (text.isEmpty())
        return false;
    QTextDocument::FindFlags flags;
    if (backwards)
        flags |= QTextDocument::FindBackward;
    if (m_pMatchCase->isChecked())
        flags |= QTextDocument::FindCaseSensitively;
    if (m_pEditor->find(text, flags))
        return true;
    // Round the end of the text, as far as where the search began.
    const QTextCursor kept = m_pEditor->textCursor();
    QTextCursor from(m_pEditor->document());
    from.movePosition(backwards ? QTextCursor::End : QTextCursor::Start);
    m_pEditor->setTextCursor(from);
    if (m_pEditor->find(text, flags))
        return true;
    m_pEditor->setTextCursor(kept);
    return false;
}

bool CFindBar::SelectionMatches() const {
    const Qt::CaseSensitivity cs =
        m_pMatchCase->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const QString selected = m_pEditor->textCursor().selectedText();
    return !selected.isEmpty() && selected.compare(m_pFind->text(), cs) == 0;
}

void CFindBar::ReplaceOne() {
    if (SelectionMatches())
        m_pEditor->textCursor().insertText(m_pReplace->text());
    FindNext();
}

int CFindBar::ReplaceAll() {
    const QString text = m_pFind->text();
    if (text.isEmpty())
        return 0;
    QTextDocument::FindFlags flags;
    if (m_pMatchCase->isChecked())
        flags |= QTextDocument::FindCaseSensitively;
    QTextDocument* document = m_pEditor->document();
    QTextCursor edit(document);
    edit.beginEditBlock();
    int count = 0;
    for (QTextCursor found = document->find(text, 0, flags); !found.isNull();
         found = document->find(text, found, flags)) {
        found.insertText(m_pReplace->text());
        ++count;
    }
    edit.endEditBlock();
    return count;
}

void CFindBar::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        hide();
        m_pEditor->setFocus();
        return;
    }
    QWidget::keyPressEvent(event);
}
