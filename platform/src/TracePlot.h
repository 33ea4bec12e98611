// A plot whose top layer is redrawn and put on the screen alone: a new sample repaints the
// axis rect, where the traces are clipped, and leaves the axes, grid and legend where they are.
#pragma once

#include <qcustomplot.h>

#include <optional>

namespace platform {

class TracePlot : public QCustomPlot {
public:
    explicit TracePlot(QWidget* parent = nullptr);

    // Redraws a buffered layer on its own and repaints only the axis rect; falls back to a
    // whole replot while other buffers are stale.
    void replotLayer(QCPLayer* layer);

    // The plot's background as a single opaque colour, if it is one.
    std::optional<QColor> opaqueBackground() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace platform
