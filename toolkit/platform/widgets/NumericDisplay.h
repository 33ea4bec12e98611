// A seven-segment numeric display that draws each digit from an image made once per digit, size
// and colour. QLCDNumber fills every segment of every digit as a smoothed path at each new
// value, which cost more than the rest of a live-view frame's widgets together.
#pragma once

#include <QHash>
#include <QLCDNumber>
#include <QPixmap>

namespace platform {

class NumericDisplay : public QLCDNumber {
    Q_OBJECT

public:
    using QLCDNumber::QLCDNumber;

    // Where the digits sit: QLCDNumber's own layout, so that a display looks as it did.
    struct Layout {
        int segmentLength = 0;
        int advance = 0;
        QPoint first;
    };
    static Layout layoutFor(QSize size, int digits);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString shownText();
    const QPixmap& glyph(QChar character, int segmentLength, const QColor& color);
    void drawOutline(QPainter& painter);

    QString m_shown;
    QHash<QChar, QPixmap> m_glyphs;
    int m_glyphLength = 0;
    QRgb m_glyphColor = 0;
    qreal m_glyphRatio = 0.0;
};

} // namespace platform
