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

} // namespace

void TracePlot::replotLayer(QCPLayer* layer) {
    const QSharedPointer<QCPAbstractPaintBuffer> buffer = LayerAccess::buffer(layer);
    if (layer->mode() != QCPLayer::lmBuffered || !buffer || hasInvalidatedPaintBuffers()) {
        replot();
        return;
    }
    buffer->clear(Qt::transparent);
    LayerAccess::draw(layer);
    buffer->setInvalidated(false);
    update(axisRect()->rect());
}

} // namespace platform
