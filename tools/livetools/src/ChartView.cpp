#include "ChartView.h"

#include "TimedTraceData.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace livetools {

namespace {
// The system's samples sit at 1 to 100, the newest at 100.
constexpr double kNewestSample = 100.0;
// Longer without a frame than this (frames come every 38 ms at 19200 baud) is a gap: a Stop, a
// time-out, a pulled cable. The traces break there rather than draw a line that was never
// measured.
constexpr double kGapSeconds = 0.5;
} // namespace

ChartView::ChartView(QWidget* chart)
    : QObject(chart), m_chart(chart), m_plot(chart->findChild<QCustomPlot*>()),
      m_pausedNote(new QCPItemText(m_plot)) {
    m_plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    m_plot->setMouseTracking(true);
    m_pausedNote->setText(tr("Paused"));
    m_pausedNote->setFont(
        QFont(m_plot->font().family(), m_plot->font().pointSize() + 2, QFont::Bold));
    m_pausedNote->position->setType(QCPItemPosition::ptAxisRectRatio);
    m_pausedNote->position->setCoords(0.99, 0.02);
    m_pausedNote->setPositionAlignment(Qt::AlignTop | Qt::AlignRight);
    m_pausedNote->setVisible(false);
    connect(m_plot, &QCustomPlot::mouseWheel, this, &ChartView::stopFitting);
    connect(m_plot, &QCustomPlot::mouseDoubleClick, this, &ChartView::fitToData);
    connect(m_plot, &QCustomPlot::mouseMove, this, [this](QMouseEvent* event) {
        if (event->buttons() & Qt::LeftButton)
            stopFitting();
        emit readoutChanged(readoutAt(m_plot->xAxis->pixelToCoord(event->position().x())));
    });
    // The readout is of the point under the mouse, and only while there is one.
    m_plot->installEventFilter(this);
    m_chart->installEventFilter(this);
}

bool ChartView::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == m_plot && event->type() == QEvent::Leave) ||
        (watched == m_chart && event->type() == QEvent::Hide))
        emit readoutChanged({});
    if (watched == m_chart && event->type() == QEvent::Show && timed() && !m_paused) {
        if (m_fitting)
            fitPlotted();
        placeRunMarks();
        m_plot->replot(QCustomPlot::rpQueuedReplot);
    }
    return false;
}

void ChartView::takeFrame(double time, std::span<const double> newest, bool drawn) {
    m_history.append(time, newest, drawn);
    if (m_paused)
        return;
    m_framesShown = m_history.framesSeen();
    if (timed()) {
        appendTimed(m_history.samples().back());
        // Brought up to date once shown.
        if (!m_chart->isVisible())
            return;
        // Redrawn once the view has moved by a pixel, not for every frame: ten minutes on a
        // few hundred pixels move a pixel a second.
        const double pixelSeconds = m_span / std::max(m_plot->axisRect()->width(), 1);
        if (time - m_lastTimedReplot < pixelSeconds)
            return;
        m_lastTimedReplot = time;
        if (m_fitting)
            fitPlotted();
        placeRunMarks();
        m_plot->replot(QCustomPlot::rpQueuedReplot);
        return;
    }
    placeRunMarks();
}

void ChartView::setSpan(double seconds) {
    m_span = seconds;
    m_fitting = true;
    m_chart->setProperty("fitting", true);
    m_plot->xAxis->setLabel(timed() ? tr("Time (s)") : tr("Sample"));
    updateChartMode();
    if (timed())
        showTimed();
    placeRunMarks();
    m_plot->replot();
}

void ChartView::setPaused(bool paused) {
    m_paused = paused;
    m_pausedNote->setVisible(paused);
    updateChartMode();
    if (!paused) {
        m_framesShown = m_history.framesSeen();
        if (timed())
            showTimed();
        placeRunMarks();
    }
    m_plot->replot();
}

void ChartView::fitToData() {
    m_fitting = true;
    m_chart->setProperty("fitting", true);
    if (m_paused || timed()) {
        fitPlotted();
        m_plot->replot();
    }
}

void ChartView::stopFitting() {
    m_fitting = false;
    m_chart->setProperty("fitting", false);
}

void ChartView::updateChartMode() {
    m_chart->setProperty("frozen", m_paused || timed());
}

void ChartView::showTimed() {
    // Fresh containers: one that showed a longer span would keep that span's room.
    m_timedData.clear();
    for (int t = 0; t < m_plot->graphCount(); ++t) {
        m_timedData.push_back(QSharedPointer<TimedTraceData>::create());
        m_plot->graph(t)->setData(m_timedData.back());
    }
    m_lastTimed.reset();
    for (const TimedHistory::Sample& sample : m_history.samples())
        appendTimed(sample);
    if (m_fitting)
        fitPlotted();
}

qsizetype ChartView::timedPointsStored() const {
    qsizetype points = 0;
    for (const auto& data : m_timedData)
        points += data->capacity();
    return points;
}

void ChartView::appendTimed(const TimedHistory::Sample& sample) {
    const double key = sample.time - m_history.origin();
    const bool runStart =
        !m_history.runStarts().empty() && m_history.runStarts().back().time == sample.time;
    const bool gap = m_lastTimed && (key - *m_lastTimed > kGapSeconds || runStart);
    const double gapKey = m_lastTimed ? (*m_lastTimed + key) / 2.0 : key;
    m_lastTimed = key;
    for (std::size_t t = 0; t < m_timedData.size(); ++t) {
        TimedTraceData& data = *m_timedData[t];
        if (gap)
            data.append(QCPGraphData(gapKey, std::numeric_limits<double>::quiet_NaN()),
                        key - m_span);
        data.append(QCPGraphData(key, sample.values[t]), key - m_span);
    }
}

void ChartView::fitPlotted() {
    if (m_plot->graphCount() == 0 || m_plot->graph(0)->data()->isEmpty())
        return;
    const auto& data = *m_plot->graph(0)->data();
    const double last = (data.constEnd() - 1)->key;
    // The span, or as much of it as there is data for.
    if (timed())
        m_plot->xAxis->setRange(std::max(last - m_span, data.constBegin()->key),
                                std::max(last, data.constBegin()->key + 1.0));
    else
        m_plot->xAxis->rescale();
    m_plot->yAxis->rescale();
    const QCPRange values = m_plot->yAxis->range();
    const double room = 0.1 * std::max(values.size(), 1.0);
    m_plot->yAxis->setRange(values.lower - room, values.upper + room);
}

void ChartView::placeRunMarks() {
    const auto& starts = m_history.runStarts();
    while (m_runMarks.size() < starts.size()) {
        auto* mark = new QCPItemStraightLine(m_plot);
        mark->setLayer(QStringLiteral("traces"));
        mark->setPen(QPen(Qt::darkGray, 1.0, Qt::DashLine));
        m_runMarks.push_back(mark);
    }
    for (std::size_t i = 0; i < m_runMarks.size(); ++i) {
        QCPItemStraightLine* mark = m_runMarks[i];
        double key = -1.0;
        if (i < starts.size() && starts[i].frame < m_framesShown)
            key = timed() ? starts[i].time - m_history.origin()
                          : kNewestSample -
                                static_cast<double>(m_framesShown - 1 - starts[i].frame) - 0.5;
        mark->setVisible(timed() ? key >= 0.0 : key >= 0.5);
        mark->point1->setCoords(key, 0.0);
        mark->point2->setCoords(key, 1.0);
    }
}

QString ChartView::readoutAt(double key) const {
    QStringList values;
    double nearestKey = key;
    for (int t = 0; t < m_plot->graphCount(); ++t) {
        const QCPGraph* graph = m_plot->graph(t);
        const auto& data = *graph->data();
        if (data.isEmpty())
            continue;
        auto at = data.findBegin(key, false);
        if (at == data.constEnd() ||
            (at != data.constBegin() && key - (at - 1)->key < at->key - key))
            --at;
        // A gap's break is no value: the nearest measured point on either side.
        if (std::isnan(at->value))
            at = at != data.constBegin() && key < at->key ? at - 1 : at + 1;
        nearestKey = at->key;
        values << QStringLiteral("%1 %2").arg(graph->name()).arg(at->value);
    }
    if (values.isEmpty())
        return {};
    std::optional<double> time;
    if (timed()) {
        time = nearestKey;
    } else {
        const auto back = static_cast<std::uint64_t>(std::lround(kNewestSample - nearestKey));
        if (back < m_framesShown)
            if (const auto at = m_history.timeOfFrame(m_framesShown - 1 - back))
                time = *at - m_history.origin();
    }
    const QString where =
        time ? tr("%1 s").arg(*time, 0, 'f', 2) : tr("sample %1").arg(std::lround(nearestKey));
    return QStringLiteral("%1: %2").arg(where, values.join(QStringLiteral(", ")));
}

} // namespace livetools
