// A plot whose top layer is redrawn and put on the screen alone: a new sample repaints the
// axis rect, where the traces are clipped, and leaves the axes, grid and legend where they are.
#pragma once

#include <qcustomplot.h>

namespace platform {

class TracePlot : public QCustomPlot {
public:
    using QCustomPlot::QCustomPlot;

    // Redraws a buffered layer on its own and repaints only the axis rect; falls back to a
    // whole replot while other buffers are stale.
    void replotLayer(QCPLayer* layer);
};

} // namespace platform
