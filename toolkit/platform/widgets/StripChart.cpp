#include "StripChart.h"
#include "TracePlot.h"

#include <qcustomplot.h>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace platform {

namespace {
const QList<QColor> kDefaultColors{QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28),
                                   QColor(0x2c, 0xa0, 0x2c), QColor(0xff, 0x7f, 0x0e),
                                   QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b)};
} // namespace

StripChart::StripChart(QWidget* parent) : QWidget(parent), m_plot(new TracePlot(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_plot);
    m_plot->setFocusPolicy(Qt::NoFocus);
    // The plot paints all of its area: what lies behind it need not be painted again at
    // every refresh.
    m_plot->setAttribute(Qt::WA_OpaquePaintEvent);
    // Traces of a one-pixel pen, drawn without smoothing as an instrument's strip chart draws
    // them: smoothed, they cost a live view's refresh more than the rest of its painting.
    m_plot->setNotAntialiasedElements(QCP::aePlottables);
    m_plot->xAxis->setLabel(tr("Sample"));
    // The legend sits in a row of its own above the traces, so it hides none of them.
    m_plot->legend->setVisible(true);
    m_plot->legend->setFont(font());
    m_plot->legend->setFillOrder(QCPLegend::foColumnsFirst);
    m_plot->legend->setBorderPen(Qt::NoPen);
    m_plot->plotLayout()->insertRow(0);
    m_plot->plotLayout()->addElement(0, 0, m_plot->legend);
    m_plot->plotLayout()->setRowStretchFactor(0, 0.001);
    // The traces are drawn on a layer of their own, on top, so that a refresh redraws only
    // them. The overlay layer, unused, shares the buffer of the layers below, so that a
    // refresh puts one buffer on the widget and the traces over it.
    m_plot->layer(QStringLiteral("overlay"))->setMode(QCPLayer::lmLogical);
    m_plot->addLayer(QStringLiteral("traces"));
    m_traceLayer = m_plot->layer(QStringLiteral("traces"));
    m_traceLayer->setMode(QCPLayer::lmBuffered);
    m_plot->setTraceLayer(m_traceLayer);
    m_plot->installEventFilter(this);
    setNumTraces(1);
}

void StripChart::usePlainPlotting(bool plain) {
    TracePlot::usePlain(plain);
}

bool StripChart::drawsTracesDirectly() const {
    return m_plot->drawsTracesDirectly();
}

void StripChart::setFrozen(bool frozen) {
    m_frozen = frozen;
    m_wholePlotStale = true;
    scheduleRedraw();
}

void StripChart::setFitting(bool fitting) {
    m_fitting = fitting;
    m_refit = fitting;
    m_wholePlotStale = true;
    scheduleRedraw();
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
    if (sameGraphs) {
        for (auto& trace : m_traces)
            trace.clear();
    } else {
        m_traces.assign(traces, {});
    }
    m_nextTrace = 0;
    if (sameGraphs)
        scheduleRedraw();
    else
        rebuildGraphs();
}

void StripChart::setPointsPerScreen(int points) {
    m_pointsPerScreen = std::max(points, 2);
    for (auto& trace : m_traces)
        trace.clear();
    m_nextTrace = 0;
    scheduleRedraw();
}

void StripChart::setNewestAtRight(bool newestAtRight) {
    m_newestAtRight = newestAtRight;
    scheduleRedraw();
}

void StripChart::append(const double* values, int count) {
    for (int i = 0; i < count; ++i) {
        auto& trace = m_traces[static_cast<size_t>(m_nextTrace)];
        trace.push_back(values[i]);
        if (trace.size() > static_cast<size_t>(m_pointsPerScreen))
            trace.pop_front();
        m_nextTrace = (m_nextTrace + 1) % numTraces();
    }
    scheduleRedraw();
}

std::vector<double> StripChart::tracePoints(int trace) const {
    const auto& points = m_traces.at(static_cast<size_t>(trace));
    return {points.begin(), points.end()};
}

QString StripChart::summary() const {
    QStringList newest;
    for (int t = 0; t < numTraces(); ++t) {
        const auto& trace = m_traces[static_cast<size_t>(t)];
        if (!trace.empty())
            newest << QStringLiteral("%1 %2").arg(m_plot->graph(t)->name()).arg(trace.back());
    }
    return newest.isEmpty() ? tr("No values yet") : tr("Last values: %1").arg(newest.join(", "));
}

void StripChart::resizeEvent(QResizeEvent* event) {
    fitLegend();
    QWidget::resizeEvent(event);
}

bool StripChart::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QWidget::eventFilter(watched, event);
    const QPoint at = static_cast<QHelpEvent*>(event)->pos();
    for (int t = 0; t < m_plot->graphCount() && t < m_traceSources.size(); ++t) {
        const QCPAbstractLegendItem* item = m_plot->legend->itemWithPlottable(m_plot->graph(t));
        if (item && item->outerRect().contains(at)) {
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), m_traceSources[t],
                               m_plot);
            return true;
        }
    }
    QToolTip::hideText();
    return true;
}

void StripChart::fitLegend() {
    QCPLegend* legend = m_plot->legend;
    const int available = width() - 20;
    int used = 0;
    int columns = 0;
    for (int t = 0; t < m_plot->graphCount(); ++t) {
        const QCPAbstractLegendItem* item = legend->itemWithPlottable(m_plot->graph(t));
        used += item->minimumOuterSizeHint().width() + legend->columnSpacing();
        if (used > available && columns > 0)
            break;
        ++columns;
    }
    if (columns != legend->wrap()) {
        legend->setWrap(columns);
        legend->setFillOrder(QCPLegend::foColumnsFirst, true);
        m_wholePlotStale = true;
        scheduleRedraw();
    }
}

void StripChart::rebuildGraphs() {
    m_plot->clearGraphs();
    for (int t = 0; t < numTraces(); ++t) {
        QCPGraph* graph = m_plot->addGraph();
        graph->setLayer(m_traceLayer);
        const QColor color = t < m_traceColors.size() ? QColor(m_traceColors[t])
                                                      : kDefaultColors[t % kDefaultColors.size()];
        // Thin pens: antialiased wide lines cost several times the whole rest of a refresh.
        graph->setPen(QPen(color, 1.0));
        graph->setName(t < m_traceNames.size() ? m_traceNames[t] : tr("Trace %1").arg(t + 1));
    }
    m_plot->legend->setWrap(0);
    fitLegend();
    m_wholePlotStale = true;
    scheduleRedraw();
}

// Drawn from the event loop, so that whoever changed the data goes on at once, and a
// burst of changes costs one drawing.
void StripChart::scheduleRedraw() {
    if (m_redrawQueued)
        return;
    m_redrawQueued = true;
    QMetaObject::invokeMethod(this, &StripChart::redraw, Qt::QueuedConnection);
}

void StripChart::redraw() {
    m_redrawQueued = false;
    if (m_frozen)
        return;
    const int screen = m_pointsPerScreen;
    double low = 0.0;
    double high = 0.0;
    bool any = false;
    for (int t = 0; t < numTraces(); ++t) {
        const auto& trace = m_traces[static_cast<size_t>(t)];
        const int size = static_cast<int>(trace.size());
        const int first = m_newestAtRight ? screen - size : 0;
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
    bool rescaled = false;
    if (m_fitting) {
        rescaled = fitValueAxis(any, low, high) || m_plot->xAxis->range().upper != screen - 1;
        m_plot->xAxis->setRange(0, screen - 1);
    }
    // When only the traces changed, redrawing their layer spares the axes, grid and legend.
    if (rescaled || m_wholePlotStale)
        m_plot->replot();
    else
        m_plot->repaintTraces();
    m_wholePlotStale = false;
}

bool StripChart::fitValueAxis(bool any, double low, double high) {
    const QCPRange shown = m_plot->yAxis->range();
    if (!any) {
        low = 0.0;
        high = 1.0;
    }
    const double span = std::max(high - low, 1.0);
    // The range follows the values with some room, and is left alone while they stay
    // inside it without shrinking much, so the axis does not jitter with every sample.
    const bool inside = low >= shown.lower && high <= shown.upper;
    if (inside && span >= 0.4 * shown.size() && !std::exchange(m_refit, false))
        return false;
    m_plot->yAxis->setRange(low - 0.1 * span, high + 0.1 * span);
    return true;
}

} // namespace platform
