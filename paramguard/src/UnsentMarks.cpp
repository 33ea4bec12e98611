#include "UnsentMarks.h"

#include <platform/attach.h>

#include <QBoxLayout>
#include <QGridLayout>

#include <algorithm>

namespace paramguard {

namespace {

const QString kUnsentNote = QStringLiteral("Changed on the panel, not sent yet.");

template <typename LayoutType>
LayoutType* layoutHolding(QWidget* widget) {
    QWidget* top = widget->window();
    for (LayoutType* layout : top->findChildren<LayoutType*>())
        if (layout->indexOf(widget) >= 0)
            return layout;
    return nullptr;
}

// The text label in the grid cell left of the control.
QLabel* labelOf(QWidget* control) {
    QGridLayout* grid = layoutHolding<QGridLayout>(control);
    if (!grid)
        return nullptr;
    int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
    grid->getItemPosition(grid->indexOf(control), &row, &column, &rowSpan, &columnSpan);
    QLayoutItem* left = column > 0 ? grid->itemAtPosition(row, column - 1) : nullptr;
    return left ? qobject_cast<QLabel*>(left->widget()) : nullptr;
}

} // namespace

void insertAfter(QWidget* after, QWidget* widget) {
    if (QBoxLayout* box = layoutHolding<QBoxLayout>(after))
        box->insertWidget(box->indexOf(after) + 1, widget);
}

UnsentMarks::UnsentMarks(int panel, QWidget* countAfter) {
    for (int i = 0; i < kPanelWords; ++i) {
        QWidget* control = platform::controlWidget(panel, kParameters[i].control);
        QLabel* label = control ? labelOf(control) : nullptr;
        m_marks[i] = {control, label, label ? label->text() : QString(),
                      control ? control->accessibleDescription() : QString(),
                      control ? control->toolTip() : QString()};
    }
    m_count = new QLabel(countAfter->parentWidget());
    m_count->setObjectName(QStringLiteral("unsentCount"));
    m_count->setAccessibleName(QStringLiteral("Unsent values"));
    // As wide as the longest count, so that the row does not move as the count changes.
    m_count->setMinimumWidth(
        m_count->fontMetrics().horizontalAdvance(QStringLiteral("* 12 values not sent")));
    insertAfter(countAfter, m_count);
    show({});
}

void UnsentMarks::show(const std::vector<int>& unsent) {
    for (int i = 0; i < kPanelWords; ++i) {
        Mark& mark = m_marks[i];
        if (!mark.control)
            continue;
        const bool changed = std::find(unsent.begin(), unsent.end(), i) != unsent.end();
        const auto noted = [&changed](const QString& text) {
            return changed ? (text.isEmpty() ? kUnsentNote : kUnsentNote + QLatin1Char(' ') + text)
                           : text;
        };
        mark.control->setAccessibleDescription(noted(mark.description));
        mark.control->setToolTip(noted(mark.toolTip));
        if (mark.label) {
            mark.label->setText(changed ? mark.labelText + QStringLiteral(" *") : mark.labelText);
            QFont font = mark.label->font();
            font.setBold(changed);
            mark.label->setFont(font);
        }
    }
    const auto count = static_cast<int>(unsent.size());
    const QString text = count == 0   ? QStringLiteral("No unsent changes")
                         : count == 1 ? QStringLiteral("* 1 value not sent")
                                      : QStringLiteral("* %1 values not sent").arg(count);
    m_count->setText(text);
    m_count->setAccessibleDescription(text);
}

} // namespace paramguard
