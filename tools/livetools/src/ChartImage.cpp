#include "ChartImage.h"

#include <QBuffer>
#include <qcustomplot.h>

namespace livetools {

namespace {
// Laid out at this size, whatever the window's, then drawn at three times its pixels: about
// 450 dots an inch across an A4 page's text.
constexpr int kPrintWidth = 900;
constexpr int kPrintHeight = 400;
constexpr double kPrintScale = 3.0;
} // namespace

QByteArray pngOf(QCustomPlot& plot) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    plot.toPixmap(0, 0, 2.0).save(&buffer, "PNG");
    return buffer.data();
}

QImage printImageOf(QCustomPlot& plot) {
    return plot.toPixmap(kPrintWidth, kPrintHeight, kPrintScale).toImage();
}

} // namespace livetools
