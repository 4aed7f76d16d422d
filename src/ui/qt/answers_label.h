// CAnswersLabel: the label "Answers:" beside the column of answer boxes. A
// label labels one control of its own accord; this one tells a screen reader
// that it labels every box of the column.
#pragma once

#include <QLabel>
#include <QList>
#include <QPointer>

class CAnswersLabel final : public QLabel {
    Q_OBJECT

public:
    CAnswersLabel(const QString& text, QWidget* parent);

    // The boxes the label stands for, top to bottom.
    void SetBoxes(const QList<QWidget*>& boxes);
    QList<QWidget*> GetBoxes() const;

private:
    QList<QPointer<QWidget>> m_boxes;
};
