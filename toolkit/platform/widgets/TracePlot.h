// A plot whose trace layer is drawn straight onto the widget at every paint, over the buffered
// layers below it: a new sample repaints the axis rect, where the traces are clipped, and leaves
// the axes, grid and legend where they are.
//
// The one place that reaches into QCustomPlot beyond its public interface, written for
// QCustomPlot 2.1: its protected paint buffers, and a layer's own buffer and drawing. The plain
// way reaches none of it and replots the whole plot for new samples; it is taken where the
// build found another QCustomPlot version (CMake says so at configure time), and for plots made
// after usePlain(true).
#pragma once

#include <qcustomplot.h>

#include <optional>

namespace platform {

class TracePlot : public QCustomPlot {
public:
    explicit TracePlot(QWidget* parent = nullptr);

    // For the plots made from now on.
    static void usePlain(bool plain);

    // The topmost buffered layer, whose buffer is then never shown: the layer is drawn in its
    // place. Drawn straight onto the widget, the traces cost neither clearing a buffer nor
    // blending it, which is most of what a frame writes to memory.
    void setTraceLayer(QCPLayer* layer) { m_traceLayer = layer; }

    // Puts new trace data on the screen by repainting the axis rect; replots the whole plot
    // while its buffers are stale, and always on the plain way.
    void repaintTraces();

    // Whether a paint draws the trace layer in place of its buffer, which it then has found
    // among the plot's buffers; false on the plain way.
    bool drawsTracesDirectly() const;

    // The plot's background as a single opaque colour, if it is one.
    std::optional<QColor> opaqueBackground() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QCPLayer* m_traceLayer = nullptr;
    bool m_plain;
};

} // namespace platform
