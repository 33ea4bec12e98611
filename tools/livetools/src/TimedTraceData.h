// One trace's points on a chart that shows the last minutes by time: QCustomPlot's data
// container, kept at one size once the span is full, so that a watch of hours does not grow it.
#pragma once

#include <qcustomplot.h>

namespace livetools {

class TimedTraceData : public QCPGraphDataContainer {
public:
    TimedTraceData() { setAutoSqueeze(false); }

    // Appends a point newer than all the others, and drops those older than `oldest`.
    void append(const QCPGraphData& point, double oldest);
    // The points its storage holds room for, the dropped ones not yet written over included.
    qsizetype capacity() const { return mData.capacity(); }

private:
    bool m_spanFull = false;
};

} // namespace livetools
