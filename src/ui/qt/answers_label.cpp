#include "ui/qt/answers_label.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace {

// The label as assistive technology sees it: a static text named by its text,
// the label of each box. No box names the label as its own: a screen reader
// would then call the first box "Answers:" rather than "Answer 1", and each
// box already says its number in its name.
class CAnswersLabelFace final : public QAccessibleWidget {
public:
    explicit CAnswersLabelFace(CAnswersLabel* label)
        : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name) {
            return static_cast<const CAnswersLabel*>(object())->text();
        }
        return QAccessibleWidget::text(kind);
    }

    QList<QPair<QAccessibleInterface*, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override {
        QList<QPair<QAccessibleInterface*, QAccessible::Relation>> found;
        if (match & QAccessible::Labelled) {
            for (QWidget* box : static_cast<const CAnswersLabel*>(object())->GetBoxes()) {
                if (QAccessibleInterface* face = QAccessible::queryAccessibleInterface(box)) {
                    found.append({face, QAccessible::Labelled});
                }
            }
        }
        return found;
    }
};

QAccessibleInterface* MakeAnswersLabelFace(const QString& className, QObject* object) {
    if (className == QLatin1String("CAnswersLabel")) {
        return new CAnswersLabelFace(static_cast<CAnswersLabel*>(object));
    }
    return nullptr;
}

} // namespace

CAnswersLabel::CAnswersLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(MakeAnswersLabelFace);
        return true;
    }();
    (void)factoryInstalled;
}

void CAnswersLabel::SetBoxes(const QList<QWidget*>& boxes) {
    m_boxes.clear();
    for (QWidget* box : boxes) {
        m_boxes.append(box);
    }
}

QList<QWidget*> CAnswersLabel::GetBoxes() const {
    QList<QWidget*> boxes;
    for (const QPointer<QWidget>& box : m_boxes) {
        if (box != nullptr) {
            boxes.append(box);
        }
    }
    return boxes;
}
