#include "TextPlacement.h"

#include <QLabel>

#include <algorithm>

namespace platform {

namespace {

constexpr const char* kPosition = "placedAt";
constexpr int kGap = 8;

QPoint placedAt(const QLabel* text) {
    return text->property(kPosition).toPoint();
}

void placeAll(QWidget* panel) {
    QList<QLabel*> texts;
    for (QLabel* label : panel->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        if (label->property(kPosition).isValid())
            texts << label;
    std::stable_sort(texts.begin(), texts.end(),
                     [](QLabel* a, QLabel* b) { return placedAt(a).x() < placedAt(b).x(); });
    for (qsizetype i = 0; i < texts.size(); ++i) {
        QPoint at = placedAt(texts[i]);
        const QRect wanted(at, texts[i]->size());
        for (qsizetype j = 0; j < i; ++j) {
            const QRect earlier = texts[j]->geometry();
            const bool sameLine =
                earlier.top() <= wanted.bottom() && wanted.top() <= earlier.bottom();
            if (sameLine && earlier.right() + kGap > at.x())
                at.setX(earlier.right() + kGap);
        }
        texts[i]->move(at);
    }
}

} // namespace

void placeText(QLabel* text, QPoint position) {
    text->setProperty(kPosition, position);
    fitText(text);
}

bool fitText(QWidget* text) {
    auto* label = qobject_cast<QLabel*>(text);
    if (!label || !label->property(kPosition).isValid())
        return false;
    label->adjustSize();
    if (label->parentWidget())
        placeAll(label->parentWidget());
    return true;
}

} // namespace platform
