#include "UnsentMarks.h"

#include <platform/attach.h>

#include <QBoxLayout>
#include <QGridLayout>
#include <QStringList>

#include <algorithm>

namespace paramguard {

namespace {

struct Wording {
    const char* labelMark;
    const char* note;
    const char* counted; // in the count, after the number of such values; the operator's
                         // changes are the count itself
};

Wording wording(Origin origin) {
    switch (origin) {
    case Origin::Edited:
        return {" *", "Changed on the panel, not sent yet.", nullptr};
    case Origin::LiveView:
        return {" (live)", "From the live view, not sent yet: Send writes this value.",
                "from the live view"};
    case Origin::SavedToFile:
        return {" (file)", "Saved to file, not sent to the sensor.", "saved to file"};
    case Origin::LoadedFromFile:
        return {" (file)", "Loaded from file, not sent to the sensor.", "loaded from file"};
    }
    return {};
}

constexpr Origin kOrigins[] = {Origin::Edited, Origin::LiveView, Origin::SavedToFile,
                               Origin::LoadedFromFile};

// "* 3 values not sent" and, on a line of its own, "(2 from the live view)".
QString countText(const std::vector<Unsent>& unsent) {
    if (unsent.empty())
        return QStringLiteral("No unsent changes");
    QStringList others;
    for (const Origin origin : kOrigins) {
        const auto count = std::count_if(unsent.begin(), unsent.end(),
                                         [origin](const Unsent& u) { return u.origin == origin; });
        if (wording(origin).counted && count > 0)
            others << QStringLiteral("%1 %2").arg(count).arg(
                QLatin1String(wording(origin).counted));
    }
    QString text = unsent.size() == 1 ? QStringLiteral("* 1 value not sent")
                                      : QStringLiteral("* %1 values not sent").arg(unsent.size());
    if (!others.isEmpty())
        text += QStringLiteral("\n(%1)").arg(others.join(QStringLiteral(", ")));
    return text;
}

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

// The label is as wide as with its widest mark, so that the fields do not move as marks come
// and go.
void reserveRoomForMarks(QLabel* label) {
    QFont bold = label->font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    int widest = 0;
    for (const Origin origin : kOrigins)
        widest = std::max(widest, metrics.horizontalAdvance(
                                      label->text() + QLatin1String(wording(origin).labelMark)));
    label->setMinimumWidth(widest);
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
        if (label)
            reserveRoomForMarks(label);
    }
    m_count = new QLabel(countAfter->parentWidget());
    m_count->setObjectName(QStringLiteral("unsentCount"));
    m_count->setAccessibleName(QStringLiteral("Unsent values"));
    // As large as the longest count, on its two lines, so that nothing moves as the count
    // changes.
    const QFontMetrics metrics = m_count->fontMetrics();
    m_count->setMinimumSize(
        std::max(metrics.horizontalAdvance(QStringLiteral("* 12 values not sent")),
                 metrics.horizontalAdvance(QStringLiteral("(12 from the live view)"))),
        2 * metrics.lineSpacing());
    insertAfter(countAfter, m_count);
    show({});
}

void UnsentMarks::show(const std::vector<Unsent>& unsent) {
    for (int i = 0; i < kPanelWords; ++i) {
        Mark& mark = m_marks[i];
        if (!mark.control)
            continue;
        const auto found = std::find_if(unsent.begin(), unsent.end(),
                                        [i](const Unsent& u) { return u.position == i; });
        const std::optional<Wording> marked =
            found == unsent.end() ? std::nullopt : std::optional(wording(found->origin));
        const auto noted = [&marked](const QString& text) {
            if (!marked)
                return text;
            const QString note = QLatin1String(marked->note);
            return text.isEmpty() ? note : note + QLatin1Char(' ') + text;
        };
        mark.control->setAccessibleDescription(noted(mark.description));
        mark.control->setToolTip(noted(mark.toolTip));
        if (mark.label) {
            mark.label->setText(marked ? mark.labelText + QLatin1String(marked->labelMark)
                                       : mark.labelText);
            QFont font = mark.label->font();
            font.setBold(marked.has_value());
            mark.label->setFont(font);
        }
    }
    const QString text = countText(unsent);
    m_count->setText(text);
    m_count->setAccessibleDescription(text.simplified());
}

} // namespace paramguard
