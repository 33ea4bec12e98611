#include "NumericDisplay.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>

namespace platform {

namespace {

// Segments a to g: top, upper right, lower right, bottom, lower left, upper left, middle.
constexpr int kTop = 1 << 0;
constexpr int kUpperRight = 1 << 1;
constexpr int kLowerRight = 1 << 2;
constexpr int kBottom = 1 << 3;
constexpr int kLowerLeft = 1 << 4;
constexpr int kUpperLeft = 1 << 5;
constexpr int kMiddle = 1 << 6;

int segmentsOf(QChar character) {
    static constexpr std::array<int, 10> kDigits{
        kTop | kUpperRight | kLowerRight | kBottom | kLowerLeft | kUpperLeft,
        kUpperRight | kLowerRight,
        kTop | kUpperRight | kMiddle | kLowerLeft | kBottom,
        kTop | kUpperRight | kMiddle | kLowerRight | kBottom,
        kUpperLeft | kMiddle | kUpperRight | kLowerRight,
        kTop | kUpperLeft | kMiddle | kLowerRight | kBottom,
        kTop | kUpperLeft | kMiddle | kLowerLeft | kLowerRight | kBottom,
        kTop | kUpperRight | kLowerRight,
        kTop | kUpperRight | kLowerRight | kBottom | kLowerLeft | kUpperLeft | kMiddle,
        kTop | kUpperRight | kLowerRight | kBottom | kUpperLeft | kMiddle,
    };
    if (character.isDigit())
        return kDigits[static_cast<size_t>(character.digitValue())];
    return character == QLatin1Char('-') ? kMiddle : 0;
}

// One segment as a bevelled bar between two points of the digit's outline, its ends cut at 45°
// so that neighbouring segments meet with a gap.
QPainterPath segmentPath(QPointF from, QPointF to, qreal width) {
    const qreal half = width / 2.0;
    const qreal gap = std::max(width / 6.0, 0.5);
    QPainterPath path;
    if (from.y() == to.y()) {
        const qreal left = from.x() + gap;
        const qreal right = to.x() - gap;
        path.moveTo(left, from.y());
        path.lineTo(left + half, from.y() - half);
        path.lineTo(right - half, from.y() - half);
        path.lineTo(right, from.y());
        path.lineTo(right - half, from.y() + half);
        path.lineTo(left + half, from.y() + half);
    } else {
        const qreal top = from.y() + gap;
        const qreal bottom = to.y() - gap;
        path.moveTo(from.x(), top);
        path.lineTo(from.x() + half, top + half);
        path.lineTo(from.x() + half, bottom - half);
        path.lineTo(from.x(), bottom);
        path.lineTo(from.x() - half, bottom - half);
        path.lineTo(from.x() - half, top + half);
    }
    path.closeSubpath();
    return path;
}

} // namespace

NumericDisplay::Layout NumericDisplay::layoutFor(QSize size, int digits) {
    // A digit is a segment wide and two high, with a fifth of a segment between digits.
    constexpr int kSpace = 1;
    digits = std::max(digits, 1);
    const int across = size.width() * 5 / (digits * (5 + kSpace) + kSpace);
    const int down = size.height() * 5 / 12;
    Layout layout;
    layout.segmentLength = std::max(std::min(across, down), 0);
    layout.advance = layout.segmentLength * (5 + kSpace) / 5;
    layout.first = QPoint((size.width() - digits * layout.advance + layout.segmentLength / 5) / 2,
                          (size.height() - layout.segmentLength * 2) / 2);
    return layout;
}

void NumericDisplay::paintEvent(QPaintEvent* event) {
    // Whole decimal numbers are drawn here; anything else as QLCDNumber draws it.
    if (mode() != QLCDNumber::Dec) {
        QLCDNumber::paintEvent(event);
        return;
    }
    QPainter painter(this);
    drawOutline(painter);
    const Layout layout = layoutFor(size(), digitCount());
    if (layout.segmentLength < 2)
        return;
    const QColor color = palette().color(foregroundRole());
    const QString text = shownText();
    for (int i = 0; i < text.size(); ++i)
        if (segmentsOf(text[i]) != 0)
            painter.drawPixmap(layout.first + QPoint(layout.advance * i, 0),
                               glyph(text[i], layout.segmentLength, color));
}

QString NumericDisplay::shownText() {
    // Right-aligned as QLCDNumber shows a whole number; one that does not fit leaves the
    // display as it was, as QLCDNumber does.
    const QString number = QString::number(intValue());
    if (number.size() <= digitCount())
        m_shown = number.rightJustified(digitCount(), QLatin1Char(' '));
    return m_shown;
}

const QPixmap& NumericDisplay::glyph(QChar character, int segmentLength, const QColor& color) {
    const qreal ratio = devicePixelRatioF();
    if (segmentLength != m_glyphLength || color.rgba() != m_glyphColor || ratio != m_glyphRatio) {
        m_glyphs.clear();
        m_glyphLength = segmentLength;
        m_glyphColor = color.rgba();
        m_glyphRatio = ratio;
    }
    auto found = m_glyphs.find(character);
    if (found != m_glyphs.end())
        return *found;
    const qreal length = segmentLength;
    const qreal width = std::max(length / 5.0, 1.0);
    const QSize box(segmentLength + 1, 2 * segmentLength + 1);
    QPixmap image(box * ratio);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // The outline runs half a bar inside the digit's box.
    const qreal inset = width / 2.0;
    const QPointF topLeft(inset, inset);
    const QPointF topRight(length - inset, inset);
    const QPointF middleLeft(inset, length);
    const QPointF middleRight(length - inset, length);
    const QPointF bottomLeft(inset, 2 * length - inset);
    const QPointF bottomRight(length - inset, 2 * length - inset);
    const std::array<std::pair<QPointF, QPointF>, 7> bars{{
        {topLeft, topRight},
        {topRight, middleRight},
        {middleRight, bottomRight},
        {bottomLeft, bottomRight},
        {middleLeft, bottomLeft},
        {topLeft, middleLeft},
        {middleLeft, middleRight},
    }};
    const int segments = segmentsOf(character);
    for (size_t s = 0; s < bars.size(); ++s)
        if (segments & (1 << s))
            painter.fillPath(segmentPath(bars[s].first, bars[s].second, width), color);
    painter.end();
    return *m_glyphs.insert(character, image);
}

void NumericDisplay::drawOutline(QPainter& painter) {
    // A plain box is four bars; other frames are the style's to draw.
    if (frameShape() != QFrame::Box || frameShadow() != QFrame::Plain) {
        drawFrame(&painter);
        return;
    }
    const QRect box = frameRect();
    const int line = std::min({lineWidth(), box.width() / 2, box.height() / 2});
    if (line <= 0)
        return;
    const QColor color = palette().color(QPalette::WindowText);
    painter.fillRect(box.left(), box.top(), box.width(), line, color);
    painter.fillRect(box.left(), box.bottom() - line + 1, box.width(), line, color);
    painter.fillRect(box.left(), box.top() + line, line, box.height() - 2 * line, color);
    painter.fillRect(box.right() - line + 1, box.top() + line, line, box.height() - 2 * line,
                     color);
}

} // namespace platform
