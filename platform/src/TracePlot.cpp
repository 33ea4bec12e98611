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

} // namespace

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
