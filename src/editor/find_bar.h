// Find and replace, in a bar under the quiz text: Ctrl+F opens it, Esc closes it.
#pragma once

#include <QWidget>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

class CFindBar : public QWidget {
    Q_OBJECT

public:
    CFindBar(QPlainTextEdit* editor, QWidget* parent = nullptr);

    // Shows the bar with the selected text (if any) to look for, and focuses it.
    void Open();
    // Moves to the next (or previous) match, going round the end; false when there is none.
    bool FindNext(bool backwards = false);
    // Replaces the selected match and moves to the next one.
    void ReplaceOne();
    // Replaces every match in one undo step; returns how many.
    int ReplaceAll();

    QLineEdit* GetFindField() const { return m_pFind; }
    QLineEdit* GetReplaceField() const { return m_pReplace; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool SelectionMatches() const;

    QPlainTextEdit* m_pEditor;
    QLineEdit* m_pFind = nullptr;
    QLineEdit* m_pReplace = nullptr;
    QCheckBox* m_pMatchCase = nullptr;
};
