// A strip chart on QCustomPlot: a number of traces that share one time axis. Samples are
// appended interleaved by trace; the chart shows the last "points per screen" of each trace.
// Setting the number of traces or the points per screen starts the chart afresh. A frozen
// chart keeps taking samples but leaves its plot alone; one that is not fitting leaves its
// axes where the operator has zoomed or dragged them.
#pragma once

#include <QStringList>
#include <QWidget>

#include <deque>
#include <vector>

class QCPLayer;

namespace platform {

class TracePlot;

class StripChart : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QStringList traceNames READ traceNames WRITE setTraceNames)
    Q_PROPERTY(QStringList traceColors READ traceColors WRITE setTraceColors)
    Q_PROPERTY(QString valueAxisLabel READ valueAxisLabel WRITE setValueAxisLabel)
    // Where each trace's values come from, shown as its legend entry's tooltip.
    Q_PROPERTY(QStringList traceSources MEMBER m_traceSources)
    Q_PROPERTY(bool frozen READ isFrozen WRITE setFrozen)
    Q_PROPERTY(bool fitting READ isFitting WRITE setFitting)

public:
    explicit StripChart(QWidget* parent = nullptr);

    // A chart reads best with room above its minimum, which a crowded window may take back.
    QSize sizeHint() const override {
        return QWidget::sizeHint().expandedTo(minimumSize() + QSize(0, kRoomToRead));
    }

    // Charts made from now on replot whole for each new sample (see TracePlot).
    static void usePlainPlotting(bool plain);
    // Whether new samples repaint the traces alone, drawn past their layer's buffer.
    bool drawsTracesDirectly() const;

    QStringList traceNames() const { return m_traceNames; }
    void setTraceNames(const QStringList& names);
    QStringList traceColors() const { return m_traceColors; }
    void setTraceColors(const QStringList& colors);
    QString valueAxisLabel() const;
    void setValueAxisLabel(const QString& label);

    bool isFrozen() const { return m_frozen; }
    void setFrozen(bool frozen);
    bool isFitting() const { return m_fitting; }
    void setFitting(bool fitting);

    int numTraces() const { return static_cast<int>(m_traces.size()); }
    void setNumTraces(int count);
    int pointsPerScreen() const { return m_pointsPerScreen; }
    void setPointsPerScreen(int points);
    // Whether a trace ends at the right edge, scrolling left as it grows, or starts at the left.
    void setNewestAtRight(bool newestAtRight);

    // Appends count values, value i belonging to trace i % numTraces().
    void append(const double* values, int count);

    // What the chart shows of one trace, oldest first.
    std::vector<double> tracePoints(int trace) const;
    // One line for screen readers: each trace's name and newest value.
    QString summary() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr int kRoomToRead = 110;

    void rebuildGraphs();
    // Wraps the legend into as many rows as its names need at the chart's width.
    void fitLegend();
    void scheduleRedraw();
    void redraw();
    // Fits the value axis to the values; true when its range changed.
    bool fitValueAxis(bool any, double low, double high);

    TracePlot* m_plot;
    QCPLayer* m_traceLayer = nullptr;
    bool m_redrawQueued = false;
    bool m_wholePlotStale = true;
    QStringList m_traceNames;
    QStringList m_traceColors;
    QStringList m_traceSources;
    bool m_frozen = false;
    bool m_fitting = true;
    // Fits the value axis at the next redraw even where it would be left alone.
    bool m_refit = false;
    std::vector<std::deque<double>> m_traces;
    int m_pointsPerScreen = 100;
    bool m_newestAtRight = true;
    int m_nextTrace = 0;
};

} // namespace platform
