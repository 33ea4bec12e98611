#include "TracePlot.h"

namespace platform {
namespace {

bool g_plain = !NALVO_PLOT_INTERNALS;

#if NALVO_PLOT_INTERNALS
// What QCustomPlot does with a layer's buffer, reached through a class of its own.
struct LayerAccess : QCPLayer {
    static QSharedPointer<QCPAbstractPaintBuffer> buffer(const QCPLayer* layer) {
        return (layer->*&LayerAccess::mPaintBuffer).toStrongRef();
    }
    static void drawOn(QCPLayer* layer, QCPPainter* painter) {
        (layer->*&LayerAccess::draw)(painter);
    }
};

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
#endif

} // namespace

void TracePlot::usePlain(bool plain) {
    g_plain = plain || !NALVO_PLOT_INTERNALS;
}

TracePlot::TracePlot(QWidget* parent) : QCustomPlot(parent), m_plain(g_plain) {
#if NALVO_PLOT_INTERNALS
    if (m_plain)
        return;
    // The first buffer is the lowest one: the plot keeps it and makes the others as needed.
    mPaintBuffers.prepend(QSharedPointer<QCPAbstractPaintBuffer>(
        new BackgroundBuffer(*this, viewport().size(), bufferDevicePixelRatio())));
#endif
}

std::optional<QColor> TracePlot::opaqueBackground() const {
    if (mBackgroundBrush.style() != Qt::SolidPattern || !mBackgroundPixmap.isNull() ||
        mBackgroundBrush.color().alpha() != 255)
        return std::nullopt;
    return mBackgroundBrush.color();
}

void TracePlot::repaintTraces() {
    if (m_plain || hasInvalidatedPaintBuffers())
        replot();
    else
        update(axisRect()->rect());
}

bool TracePlot::drawsTracesDirectly() const {
#if NALVO_PLOT_INTERNALS
    if (m_plain || !m_traceLayer)
        return false;
    const QSharedPointer<QCPAbstractPaintBuffer> traceBuffer = LayerAccess::buffer(m_traceLayer);
    return traceBuffer && mPaintBuffers.contains(traceBuffer);
#else
    return false;
#endif
}

void TracePlot::paintEvent(QPaintEvent* event) {
#if NALVO_PLOT_INTERNALS
    // A changed pixel ratio makes new buffers first.
    if (!m_plain && qFuzzyCompare(bufferDevicePixelRatio(), devicePixelRatioF())) {
        QCPPainter painter(this);
        if (!painter.isActive())
            return;
        const bool opaque = opaqueBackground() && !mPaintBuffers.isEmpty() &&
                            mPaintBuffers.first().dynamicCast<BackgroundBuffer>();
        if (!opaque) {
            if (mBackgroundBrush.style() != Qt::NoBrush)
                painter.fillRect(mViewport, mBackgroundBrush);
            drawBackground(&painter);
        }
        const QSharedPointer<QCPAbstractPaintBuffer> traceBuffer =
            m_traceLayer ? LayerAccess::buffer(m_traceLayer) : nullptr;
        for (const QSharedPointer<QCPAbstractPaintBuffer>& buffer : std::as_const(mPaintBuffers)) {
            if (buffer == traceBuffer)
                LayerAccess::drawOn(m_traceLayer, &painter);
            else
                buffer->draw(&painter);
        }
        return;
    }
#endif
    QCustomPlot::paintEvent(event);
}

} // namespace platform
