#include "FieldNotice.h"

#include <QTimer>

#include <chrono>

namespace platform {

namespace {

constexpr std::chrono::seconds kShownFor{5};

} // namespace

// Over the field's window rather than a window of its own: Qt does not tell assistive
// technology that a tooltip window shows.
FieldNotice::FieldNotice(QWidget* field) : QLabel(field->window()) {
    setObjectName(QStringLiteral("noticeOf_") + field->objectName());
    setForegroundRole(QPalette::ToolTipText);
    setBackgroundRole(QPalette::ToolTipBase);
    setAutoFillBackground(true);
    setMargin(4);
    setFrameShape(QFrame::Box);
    auto* timer = new QTimer(this);
    timer->setObjectName(QStringLiteral("hideTimer"));
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, &QWidget::hide);
}

void FieldNotice::show(QWidget* field, const QString& text) {
    auto* notice = field->window()->findChild<FieldNotice*>(
        QStringLiteral("noticeOf_") + field->objectName(), Qt::FindDirectChildrenOnly);
    if (!notice)
        notice = new FieldNotice(field);
    // Hidden first, so that its showing is news to a screen reader again.
    notice->hide();
    notice->setText(text);
    notice->adjustSize();
    notice->move(field->mapTo(field->window(), QPoint(0, field->height())));
    notice->raise();
    notice->QWidget::show();
    notice->findChild<QTimer*>(QStringLiteral("hideTimer"))->start(kShownFor);
}

} // namespace platform
