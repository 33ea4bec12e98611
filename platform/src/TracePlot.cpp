#include "TracePlot.h"

namespace platform {
namespace {

// What QCPLayer::replot does for a buffered layer, reached through a class of its own.
struct LayerAccess : QCPLayer {
    static QSharedPointer<QCPAbstractPaintBuffer> buffer(QCPLayer* layer) {
        return (layer->*&LayerAccess::mPaintBuffer).toStrongRef();
    }
    static void draw(QCPLayer* layer) { (layer->*&LayerAccess::drawToPaintBuffer)(); }
};

struct PixmapBufferAccess : QCPPaintBufferPixmap {
    static QPixmap* pixmap(QCPAbstractPaintBuffer* buffer) {
        auto* pixmapBuffer = dynamic_cast<QCPPaintBufferPixmap*>(buffer);
        return pixmapBuffer ? &(pixmapBuffer->*&PixmapBufferAccess::mBuffer) : nullptr;
    }
};

// Clears what the layer's items may have drawn: they are clipped to the axis rect, and clearing
// the whole widget's buffer cost more than drawing the traces.
void clearRect(QCPAbstractPaintBuffer& buffer, const QRect& rect) {
    QPixmap* pixmap = PixmapBufferAccess::pixmap(&buffer);
    if (!pixmap) {
        buffer.clear(Qt::transparent);
        return;
    }
    QPainter painter(pixmap);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect, Qt::transparent);
}

// The lowest buffer holds the background, grid, axes and legend. Filled with the plot's own
// background colour where it would be cleared to transparent, it stays opaque: putting it on
// the widget is then a copy rather than a blend, and the widget need not be filled first.
class BackgroundBuffer : public QCPPaintBufferPixmap {
public:
    BackgroundBuffer(const TracePlot& plot, QSize size, double ratio)
        : QCPPaintBufferPixmap(size, ratio), m_plot(plot) {}

    void clear(const QColor& color) override {
        const std::optional<QColor> background = m_plot.opaqueBackground();
        QCPPaintBufferPixmap::clear(color.alpha() == 0 && background ? *background : color);
    }

private:
    const TracePlot& m_plot;
};

} // namespace

TracePlot::TracePlot(QWidget* parent) : QCustomPlot(parent) {
    // The first buffer is the lowest one: the plot keeps it and makes the others as needed.
    mPaintBuffers.prepend(QSharedPointer<QCPAbstractPaintBuffer>(
        new BackgroundBuffer(*this, viewport().size(), bufferDevicePixelRatio())));
}

std::optional<QColor> TracePlot::opaqueBackground() const {
    if (mBackgroundBrush.style() != Qt::SolidPattern || !mBackgroundPixmap.isNull() ||
        mBackgroundBrush.color().alpha() != 255)
        return std::nullopt;
    return mBackgroundBrush.color();
}

void TracePlot::paintEvent(QPaintEvent* event) {
    if (!opaqueBackground() || mPaintBuffers.isEmpty() ||
        !mPaintBuffers.first().dynamicCast<BackgroundBuffer>()) {
        QCustomPlot::paintEvent(event);
        return;
    }
    QCPPainter painter(this);
    if (!painter.isActive())
        return;
    for (const QSharedPointer<QCPAbstractPaintBuffer>& buffer : std::as_const(mPaintBuffers))
        buffer->draw(&painter);
}

void TracePlot::replotLayer(QCPLayer* layer) {
    const QSharedPointer<QCPAbstractPaintBuffer> buffer = LayerAccess::buffer(layer);
    if (layer->mode() != QCPLayer::lmBuffered || !buffer || hasInvalidatedPaintBuffers()) {
        replot();
        return;
    }
    const QRect traces = axisRect()->rect();
    clearRect(*buffer, traces);
    LayerAccess::draw(layer);
    buffer->setInvalidated(false);
    update(traces);
}

} // namespace platform
