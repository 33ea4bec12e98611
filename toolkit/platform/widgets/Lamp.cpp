#include "Lamp.h"

#include <QAccessible>
#include <QPainter>

namespace platform {

Lamp::Lamp(QWidget* parent) : QWidget(parent) {}

void Lamp::setOn(bool on) {
    if (on == m_on)
        return;
    m_on = on;
    // Screen readers learn the state through the lamp's accessible interface.
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
    update();
}

void Lamp::setOnColor(const QColor& color) {
    m_onColor = color;
    update();
}

void Lamp::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int side = std::min(width(), height()) - 2;
    const QRectF disc((width() - side) / 2.0, (height() - side) / 2.0, side, side);
    // Dimmed, lit or not, while what it shows is stale.
    if (!isEnabled())
        painter.setOpacity(0.35);
    painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 1.5));
    painter.setBrush(m_on ? m_onColor : QColor(0x55, 0x5b, 0x60));
    painter.drawEllipse(disc);
}

} // namespace platform
