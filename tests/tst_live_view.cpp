// The live view and the teach commands through the real panel against the simulated sensor:
// Run until the close box, then Stop; what a measurement frame puts on the displays, lamps and
// charts; teaching and reading the new set back.
#include "SensorLink.h"

#include <SerialState.h>
#include <StripChart.h>

#include <qcustomplot.h>
#include <QTest>

#include <optional>

using namespace testing;
using sim::Fault;
using sim::Words;
using Doubles = std::vector<double>;
// The parameters, the sensor's reported tolerance and normalised word, and what the normalised
// chart plots: upper and lower threshold, reference, normalised signal.
struct Normalised {
    unsigned short mode, reference, tolerance, reported, word4;
    Doubles plotted;
};
Q_DECLARE_METATYPE(Normalised)

namespace {

const Words kMeasurement{101, 202, 303, 404, 505, 606, 707, 808, 909, 999, 3, 30, 0, 0, 0, 0};

// The controls a run may dim, by id.
std::vector<int> dimmedControls() {
    std::vector<int> dimmed;
    for (const int id :
         {CTRL_TEACH, CTRL_PORT, CTRL_SEND, CTRL_GET, CTRL_BUTTON_TEACH, CTRL_RUN, CTRL_STOP})
        if (!control(id)->isEnabled())
            dimmed.push_back(id);
    return dimmed;
}

// What a chart shows of one trace, newest last.
Doubles trace(int chart, int index) {
    return control<platform::StripChart>(chart)->tracePoints(index);
}

} // namespace

class LiveView : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_tool = std::make_unique<ToolWithSensor>();
        (*m_tool)->setMeasurementOverride(kMeasurement);
        m_tool->connect();
    }

    void cleanup() { m_tool.reset(); }

    void runShowsFramesUntilTheWindowCloses() {
        SetCtrlVal(panelHandle, CTRL_EEPROM, 1);
        std::vector<int> dimmedWhileRunning;
        const unsigned short power0Before = power0;
        // Each request comes 1.9 s after the one before: far more time passes in the run than
        // any one wait may take.
        platform::setTimerSource([&] {
            if (m_tool->requests() == 2)
                click(CTRL_GET, false);
            if (m_tool->requests() == 5 && dimmedWhileRunning.empty()) {
                dimmedWhileRunning = dimmedControls();
                pressCloseBox();
            }
            return 1.9 * static_cast<double>(m_tool->requests());
        });
        // Get clicked with Run waits for the same dispatch: by its turn Run has dimmed it.
        click(CTRL_RUN, false);
        click(CTRL_GET, false);
        QCOMPARE(RunUserInterface(), 0);
        // The run ended, and tidied up, before the loop did.
        QCOMPARE(stop_flag, 1);
        const auto orders = ordersSent(m_tool->sensor());
        QVERIFY(orders.size() >= 5);
        QCOMPARE(orders, std::vector<int>(orders.size(), 8));
        // Every request carries the parameter set, not the last measurement.
        QCOMPARE(sim::decodeWords((*m_tool)->receivedFrames().back())[0], power0Before);
        QCOMPARE(dimmedWhileRunning, (std::vector<int>{CTRL_TEACH, CTRL_PORT, CTRL_SEND, CTRL_GET,
                                                       CTRL_BUTTON_TEACH, CTRL_RUN}));
        QCOMPARE(statusText(), QStringLiteral("Line Ok!"));
        QVERIFY(control(CTRL_RUN_HINT)->isHidden());
        // RAM is shown as the target; the target itself stays.
        QCOMPARE(shown(CTRL_RAM), 1);
        QCOMPARE(shown(CTRL_EEPROM), 0);
        QCOMPARE(target, RAM);
        QCOMPARE(power0, power0Before);
        QCOMPARE(trace(CTRL_RAW_CHART, 4).back(), 999.0);
        QCOMPARE(rx_flag, 0);
        QCOMPARE(graphrefresh, 0);
        // Only Stop gives Send back.
        QCOMPARE(dimmedControls(), std::vector<int>{CTRL_SEND});
        click(CTRL_STOP);
        QCOMPARE(dimmedControls(), std::vector<int>{});
    }

    void framesPaintOnlyWhatTheyChange_data() {
        QTest::addColumn<bool>("plain");
        QTest::newRow("reaching into Qt's serial port and QCustomPlot") << false;
        QTest::newRow("the plain ways") << true;
    }

    void framesPaintOnlyWhatTheyChange() {
        // The port rests from the device while a frame cannot be complete yet, and the chart
        // draws its traces past their layer's buffer, repainting only their rect: both reach
        // inside the libraries. The plain ways reach nothing there and show the same frames.
        QFETCH(bool, plain);
        if (!plain && (!NALVO_SERIAL_INTERNALS || !NALVO_PLOT_INTERNALS))
            QSKIP("Built for other library versions: only the plain ways are there");
        m_tool.reset();
        platform::setPlainSerial(plain);
        platform::setPlainPlotting(plain);
        init();
        platform::setPlainSerial(false);
        platform::setPlainPlotting(false);
        const platform::ComPort* port = platform::SerialState::current()->ports().find(com);
        auto* const plot = control(CTRL_RAW_CHART)->findChild<QCustomPlot*>();
        bool rested = false;
        std::optional<PaintLog> log;
        std::map<QObject*, QStringList> painted;
        QRegion chartPainted;
        // Once the axes have taken the run's values, every frame brings a new Raw 1 and new
        // lamps; nothing else on the panel changes.
        const std::size_t from = m_tool->requests() + 3;
        const std::size_t frames = 5;
        m_tool->run([&] {
            Words words = kMeasurement;
            words[0] = static_cast<std::uint16_t>(m_tool->requests());
            words[10] = static_cast<std::uint16_t>(m_tool->requests() % 4);
            (*m_tool)->setMeasurementOverride(words);
            // Looked at once each request has left the line, before its reply can be there.
            rested = rested || !port->watchesDevice();
            if (m_tool->requests() == from && !log)
                log.emplace();
            if (m_tool->requests() == from + frames && log) {
                painted = std::exchange(log->texts, {});
                chartPainted = log->regions[plot];
                log.reset();
                click(CTRL_STOP, false);
            }
        });
        QCOMPARE(rested, !plain);
        QCOMPARE(control<platform::StripChart>(CTRL_RAW_CHART)->drawsTracesDirectly(), !plain);
        // The frames reached the display and the chart.
        const Doubles raw = trace(CTRL_RAW_CHART, 0);
        QVERIFY(raw.back() >= static_cast<double>(from + 2));
        QCOMPARE(shown(CTRL_RAW_1), static_cast<int>(raw.back()));
        const std::set<QObject*> changing{control(CTRL_RAW_1), control(CTRL_LAMP_BIT0),
                                          control(CTRL_LAMP_BIT1), plot};
        for (const auto& [widget, texts] : painted) {
            QVERIFY2(changing.count(widget) == 1, qPrintable(widget->objectName()));
            QVERIFY(texts.size() <= static_cast<int>(frames) + 1);
        }
        QVERIFY(painted[plot].size() >= 2 && painted[control(CTRL_RAW_1)].size() >= 2);
        // A frame repaints the traces' rect (axes, grid and legend stay as they were), or the
        // whole chart on the plain way; either leaves the chart on the screen as drawn afresh.
        QVERIFY(!chartPainted.isEmpty());
        QCOMPARE(plot->axisRect()->rect().contains(chartPainted.boundingRect()), !plain);
        const QRect traces = plot->axisRect()->rect();
        QCOMPARE(plot->grab(traces).toImage(),
                 plot->toPixmap(plot->width(), plot->height()).copy(traces).toImage());
    }

    void chartsSwitchAndKeepTheirHistories() {
        m_tool->runFor(4);
        std::size_t switchedAt = 0;
        Words second = kMeasurement;
        second[0] = 111;
        second[4] = 555;
        (*m_tool)->setMeasurementOverride(second);
        // Switched once the raw chart shows a sample of this run.
        m_tool->run([&] {
            if (switchedAt == 0 && trace(CTRL_RAW_CHART, 0).back() == 111.0) {
                chooseItem(CTRL_SIGNAL_TYPE, 1);
                switchedAt = m_tool->requests();
            } else if (switchedAt > 0 && m_tool->requests() == switchedAt + 4) {
                click(CTRL_STOP, false);
            }
        });
        QVERIFY(control(CTRL_NORM_CHART)->isVisible());
        QVERIFY(control(CTRL_RAW_CHART)->isHidden());
        // Zeros, the first run's samples, then the second's up to the switch: the raw history
        // goes on from one run to the next.
        const Doubles raw = trace(CTRL_RAW_CHART, 0);
        const auto firstOld = std::find(raw.begin(), raw.end(), 101.0);
        const auto firstNew = std::find(firstOld, raw.end(), 111.0);
        QVERIFY(firstOld != raw.end() && firstNew != raw.end());
        QVERIFY(std::all_of(raw.begin(), firstOld, [](double v) { return v == 0.0; }));
        QVERIFY(std::all_of(firstOld, firstNew, [](double v) { return v == 101.0; }));
        QVERIFY(std::all_of(firstNew, raw.end(), [](double v) { return v == 111.0; }));
        QCOMPARE(trace(CTRL_NORM_CHART, 3).back(), 555.0);
        // A run with the normalised chart chosen shows the raw chart too, and draws on the
        // normalised one, in front of it.
        m_tool->runFor(3);
        QVERIFY(control(CTRL_RAW_CHART)->isVisible() && control(CTRL_NORM_CHART)->isVisible());
        QCOMPARE(trace(CTRL_RAW_CHART, 0), raw);
        chooseItem(CTRL_SIGNAL_TYPE, 0);
        dispatchPending();
        QVERIFY(control(CTRL_RAW_CHART)->isVisible() && control(CTRL_NORM_CHART)->isHidden());
    }

    void thresholdsFollowTheToleranceMode_data() {
        QTest::addColumn<Normalised>("row");
        QTest::newRow("mode 3 takes the reported tolerance")
            << Normalised{3, 512, 100, 30, 600, {542, 482, 512, 600}};
        QTest::newRow("mode 0 takes the parameter")
            << Normalised{0, 512, 100, 30, 600, {612, 412, 512, 600}};
        QTest::newRow("lower threshold below zero")
            << Normalised{0, 20, 50, 0, 10, {70, -30, 20, 10}};
        QTest::newRow("upper threshold wraps")
            << Normalised{1, 1000, 0, 32000, 0, {-32536, -31000, 1000, 0}};
        QTest::newRow("normalised word is signed")
            << Normalised{2, 512, 100, 0, 40000, {612, 412, 512, -25536}};
    }

    void thresholdsFollowTheToleranceMode() {
        QFETCH(Normalised, row);
        hwMode = row.mode;
        reference = row.reference;
        tolerance = row.tolerance;
        std::fill(std::begin(pp), std::end(pp), 0);
        pp[4] = row.word4;
        pp[11] = row.reported;
        pp[10] = 2;
        PlotNORMvalues();
        for (int i = 0; i < NORM_TRACES; ++i)
            QCOMPARE(trace(CTRL_NORM_CHART, i).back(), row.plotted[static_cast<std::size_t>(i)]);
        QCOMPARE(shown(CTRL_NORMALISED), int(row.word4));
        QCOMPARE(shown(CTRL_LAMP_BIT1), 1);
    }

    void teachSendsItsPacketAndReadsTheSetBack_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("readBack"); // the read-back answered
        QTest::addColumn<QString>("status");
        QTest::newRow("teach") << CTRL_TEACH << true << "T-KOR-ZUL simulated sensor 1.0";
        QTest::newRow("teach, no read-back") << CTRL_TEACH << false << "Timeout RS-232!!";
        QTest::newRow("Button teach, no read-back")
            << CTRL_BUTTON_TEACH << false << "Timeout-RS-232...";
    }

    void teachSendsItsPacketAndReadsTheSetBack() {
        QFETCH(int, button);
        QFETCH(bool, readBack);
        QFETCH(QString, status);
        Words ram = (*m_tool)->ram();
        ram[13] = 1313;
        (*m_tool)->setRam(ram);
        PushGET(RAM);
        typeInto(CTRL_REFERENCE, 300);
        (*m_tool)->clearReceivedFrames();
        if (!readBack) {
            (*m_tool)->setSilentOrders({2});
            useClock(m_tool->sensor(), 2);
        }
        // The press only announces; the release teaches.
        QTest::mousePress(control(button), Qt::LeftButton);
        dispatchPending();
        if (button == CTRL_TEACH)
            QCOMPARE(statusText(), QStringLiteral("Teach new Reference-Value ..."));
        QTest::mouseRelease(control(button), Qt::LeftButton);
        dispatchPending();
        QCOMPARE(ordersSent(m_tool->sensor()), (std::vector<int>{button == CTRL_TEACH ? 6 : 5, 2}));
        // Teach sends the panel; Button teach the words of the last frame received.
        const Words sent = sim::decodeWords((*m_tool)->receivedFrames()[0]);
        if (button == CTRL_TEACH)
            QCOMPARE(sent[2], 300);
        else
            QCOMPARE(sent, ram);
        QCOMPARE(statusText(), status);
        // Without its read-back the reference stays as it was sent.
        if (!readBack)
            QCOMPARE(reference, button == CTRL_TEACH ? 300 : ram[2]);
    }

private:
    std::unique_ptr<ToolWithSensor> m_tool;
};

QTEST_MAIN(LiveView)
#include "tst_live_view.moc"
