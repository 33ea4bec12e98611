#include "StripChart.h"

#include <platform/ui.h>

#include <qcustomplot.h>
#include <QVBoxLayout>

#include <algorithm>

namespace platform {

namespace {
const QList<QColor> kDefaultColors{QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28),
                                   QColor(0x2c, 0xa0, 0x2c), QColor(0xff, 0x7f, 0x0e),
                                   QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b)};
} // namespace

StripChart::StripChart(QWidget* parent) : QWidget(parent), m_plot(new QCustomPlot(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_plot);
    m_plot->setFocusPolicy(Qt::NoFocus);
    m_plot->xAxis->setLabel(tr("Sample"));
    m_plot->legend->setVisible(true);
    m_plot->legend->setFont(font());
    m_plot->axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignLeft);
    setNumTraces(1);
}

void StripChart::setTraceNames(const QStringList& names) {
    m_traceNames = names;
    m_traces.clear();
    setNumTraces(static_cast<int>(names.size()));
}

void StripChart::setTraceColors(const QStringList& colors) {
    m_traceColors = colors;
    rebuildGraphs();
}

QString StripChart::valueAxisLabel() const {
    return m_plot->yAxis->label();
}

void StripChart::setValueAxisLabel(const QString& label) {
    m_plot->yAxis->setLabel(label);
}

void StripChart::setNumTraces(int count) {
    const auto traces = static_cast<size_t>(std::max(count, 1));
    const bool sameGraphs = traces == m_traces.size();
    m_traces.assign(traces, {});
    m_nextTrace = 0;
    if (sameGraphs)
        refresh();
    else
        rebuildGraphs();
}

void StripChart::setPointsPerScreen(int points) {
    m_pointsPerScreen = std::max(points, 2);
    for (auto& trace : m_traces)
        trace.clear();
    m_nextTrace = 0;
    refresh();
}

void StripChart::setScrollMode(int mode) {
    m_scrollMode = mode;
    refresh();
}

void StripChart::append(const double* values, int count) {
    for (int i = 0; i < count; ++i) {
        auto& trace = m_traces[static_cast<size_t>(m_nextTrace)];
        trace.push_back(values[i]);
        if (trace.size() > static_cast<size_t>(m_pointsPerScreen))
            trace.pop_front();
        m_nextTrace = (m_nextTrace + 1) % numTraces();
    }
    refresh();
}

std::vector<double> StripChart::tracePoints(int trace) const {
    const auto& points = m_traces.at(static_cast<size_t>(trace));
    return {points.begin(), points.end()};
}

void StripChart::rebuildGraphs() {
    m_plot->clearGraphs();
    for (int t = 0; t < numTraces(); ++t) {
        QCPGraph* graph = m_plot->addGraph();
        const QColor color = t < m_traceColors.size() ? QColor(m_traceColors[t])
                                                      : kDefaultColors[t % kDefaultColors.size()];
        graph->setPen(QPen(color, 1.6));
        graph->setName(t < m_traceNames.size() ? m_traceNames[t] : tr("Trace %1").arg(t + 1));
    }
    refresh();
}

void StripChart::refresh() {
    const int screen = m_pointsPerScreen;
    double low = 0.0;
    double high = 0.0;
    bool any = false;
    for (int t = 0; t < numTraces(); ++t) {
        const auto& trace = m_traces[static_cast<size_t>(t)];
        const int size = static_cast<int>(trace.size());
        const int first = m_scrollMode == kScrollContinuous ? screen - size : 0;
        QVector<double> keys(size);
        QVector<double> values(size);
        for (int i = 0; i < size; ++i) {
            keys[i] = first + i;
            values[i] = trace[static_cast<size_t>(i)];
            low = any ? std::min(low, values[i]) : values[i];
            high = any ? std::max(high, values[i]) : values[i];
            any = true;
        }
        m_plot->graph(t)->setData(keys, values, true);
    }
    m_plot->xAxis->setRange(0, screen - 1);
    if (!any)
        m_plot->yAxis->setRange(0, 1);
    else if (high - low < 1e-9)
        m_plot->yAxis->setRange(low - 1, high + 1);
    else
        m_plot->yAxis->setRange(low - (high - low) * 0.05, high + (high - low) * 0.05);
    // A queued replot lets a burst of updates cost one repaint, outside the caller's time.
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

} // namespace platform
