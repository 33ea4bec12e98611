// How the operator looks at one strip chart: paused or live, the system's samples or the
// last minutes by time, zoomed and dragged or fitted, with each run's start marked and a
// readout of the traces under the mouse.
#pragma once

#include "TimedHistory.h"

#include <QObject>
#include <QSharedPointer>
#include <QString>

#include <optional>
#include <span>
#include <vector>

class QCPItemStraightLine;
class QCPItemText;
class QCustomPlot;

namespace livetools {

class TimedTraceData;

class ChartView : public QObject {
    Q_OBJECT
public:
    // chart: the panel's strip chart, which draws the system's samples itself.
    explicit ChartView(QWidget* chart);

    // A frame the program has just plotted: the newest value of each trace. `drawn`: plotted on
    // this chart, not on the other; a chart not shown keeps its history all the same.
    void takeFrame(double time, std::span<const double> newest, bool drawn = true);
    void markRunStart() { m_history.markRunStart(); }
    // 0 for the system's samples, else the seconds of history shown, by time.
    void setSpan(double seconds);
    void setPaused(bool paused);
    bool isPaused() const { return m_paused; }
    // Back to the automatic fit after zooming or dragging.
    void fitToData();
    bool isFitting() const { return m_fitting; }
    // The traces' values nearest to a point of the time axis, with their time.
    QString readoutAt(double key) const;

    const TimedHistory& history() const { return m_history; }
    // What the traces shown by time hold room for in memory, in points.
    qsizetype timedPointsStored() const;
    QCustomPlot* plot() const { return m_plot; }

    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // Empty when there is no point under the mouse.
    void readoutChanged(const QString& text);

private:
    bool timed() const { return m_span > 0.0; }
    // The chart leaves its plot to this view while paused or showing time.
    void updateChartMode();
    void showTimed();
    void appendTimed(const TimedHistory::Sample& sample);
    void fitPlotted();
    void placeRunMarks();
    void stopFitting();

    QWidget* m_chart;
    QCustomPlot* m_plot;
    TimedHistory m_history;
    double m_span = 0.0;
    bool m_paused = false;
    bool m_fitting = true;
    // The frames the plot shows: all seen, unless paused.
    std::uint64_t m_framesShown = 0;
    double m_lastTimedReplot = 0.0;
    // The time axis's key of the newest point plotted by time.
    std::optional<double> m_lastTimed;
    // The traces' points while showing time, one container a graph.
    std::vector<QSharedPointer<TimedTraceData>> m_timedData;
    std::vector<QCPItemStraightLine*> m_runMarks;
    QCPItemText* m_pausedNote;
};

} // namespace livetools
