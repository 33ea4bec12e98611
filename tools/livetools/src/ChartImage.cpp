#include "ChartImage.h"

#include <QBuffer>
#include <qcustomplot.h>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

namespace livetools {

QByteArray pngOf(QCustomPlot& plot) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    plot.toPixmap(0, 0, 2.0).save(&buffer, "PNG");
    return buffer.data();
}

QByteArray pdfOf(QCustomPlot& plot) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const QSize size = plot.viewport().size();
    QPdfWriter writer(&buffer);
    writer.setCreator(QCoreApplication::applicationName());
    writer.setPageLayout(QPageLayout(QPageSize(size, QPageSize::Point, {}, QPageSize::ExactMatch),
                                     QPageLayout::Portrait, QMarginsF()));
    QCPPainter painter(&writer);
    painter.setMode(QCPPainter::pmVectorized);
    // One point of the page for each pixel of the chart.
    painter.setWindow(QRect(QPoint(), size));
    plot.toPainter(&painter, size.width(), size.height());
    painter.end();
    return buffer.data();
}

} // namespace livetools
