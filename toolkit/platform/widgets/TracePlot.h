// A plot whose trace layer is drawn straight onto the widget at every paint, over the buffered
// layers below it: a new sample repaints the axis rect, where the traces are clipped, and leaves
// the axes, grid and legend where they are.
#pragma once

#include <qcustomplot.h>

#include <optional>

namespace platform {

class TracePlot : public QCustomPlot {
public:
    explicit TracePlot(QWidget* parent = nullptr);

    // The topmost buffered layer, whose buffer is then never shown: the layer is drawn in its
    // place. Drawn straight onto the widget, the traces cost neither clearing a buffer nor
    // blending it, which is most of what a frame writes to memory.
    void setTraceLayer(QCPLayer* layer) { m_traceLayer = layer; }

    // Puts new trace data on the screen by repainting the axis rect; replots the whole plot
    // while its buffers are stale.
    void repaintTraces();

    // The plot's background as a single opaque colour, if it is one.
    std::optional<QColor> opaqueBackground() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QCPLayer* m_traceLayer = nullptr;
};

} // namespace platform
