// The live view's tools through the real panel against the simulated sensor: pause, zoom and
// fit, the cursor readout, the longer histories and run marks, recording, export and copy.
#include "SensorLink.h"

#include <linklog/LinkLog.h>
#include <livetools/LiveTools.h>
#include <LiveToolsPanel.h>
#include <logpanel/logpanel.h>
#include <platform/attach.h>

#include <QClipboard>
#include <qcustomplot.h>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>

#include <cmath>

#include <sys/resource.h>
#include <sys/stat.h>

using namespace testing;
using sim::Words;

namespace {

const Words kMeasurement{101, 202, 303, 404, 505, 606, 707, 808, 909, 999, 3, 30, 0, 0, 0, 0};

QCustomPlot* rawPlot() {
    return control(CTRL_RAW_CHART)->findChild<QCustomPlot*>();
}
const QCPGraphDataContainer& raw1() {
    return *rawPlot()->graph(0)->data();
}
QPushButton* button(const char* name) {
    return panelWidget()->findChild<QPushButton*>(QLatin1String(name));
}
void chooseHistory(int index) {
    auto* ring = panelWidget()->findChild<QComboBox*>(QStringLiteral("historyRing"));
    ring->showPopup();
    ring->view()->setCurrentIndex(ring->model()->index(index, 0));
    QTest::keyClick(ring->view(), Qt::Key_Return);
}
void answerFileDialog(const QString& path) {
    platform::setFileSelectAnswer([path](const platform::FileSelectRequest&, std::string& chosen) {
        chosen = path.toStdString();
        return kNewFileSelected;
    });
}
// The measurement with the displays' words (raw 1 to 4, normalised, tolerance) and the inputs
// word taken from n, and a last word above 32767.
Words wordsFor(std::size_t n) {
    Words words = kMeasurement;
    for (const std::size_t word : {0, 1, 2, 3, 4, 11})
        words[word] = static_cast<std::uint16_t>(n + 1000 * word);
    words[10] = static_cast<std::uint16_t>(n % 4);
    words[15] = 40000;
    return words;
}
// Where a chart marks the runs' starts.
std::vector<double> runMarks(QCustomPlot* plot) {
    std::vector<double> marks;
    for (int i = 0; i < plot->itemCount(); ++i)
        if (auto* line = qobject_cast<QCPItemStraightLine*>(plot->item(i)); line && line->visible())
            marks.push_back(line->point1->coords().x());
    return marks;
}
// The displays Pause holds still.
constexpr std::array kDisplays{CTRL_RAW_1, CTRL_RAW_2,      CTRL_RAW_3,
                               CTRL_RAW_4, CTRL_NORMALISED, CTRL_REPORTED_TOLERANCE};
std::vector<int> shownOnDisplays() {
    std::vector<int> values;
    for (const int display : kDisplays)
        values.push_back(shown(display));
    return values;
}

} // namespace

class LiveTools : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_log = std::make_unique<linklog::LinkLog>();
        m_tool = std::make_unique<ToolWithSensor>([this] { logpanel::installLogPanel(*m_log); });
        (*m_tool)->setMeasurementOverride(kMeasurement);
        m_tool->connect();
        m_frames = 0;
        m_step = 0.5;
        platform::onChartPlotted([this](int, int, std::span<const double>) { ++m_frames; });
        m_tools = livetools::addLiveTools(panelHandle, *m_log);
    }

    void cleanup() {
        m_tool.reset();
        m_log.reset();
    }

    void pauseHoldsTheViewWhileTheHistoriesMoveOn() {
        double heldOnChart = 0;
        std::vector<int> heldOnDisplays;
        bool pressed = false, stopped = false;
        std::size_t pausedAt = 0;
        run([&] {
            // Input 1 lit before the pause, input 2 after it.
            const bool paused = button("pauseButton")->isChecked();
            Words words = wordsFor(requests());
            words[10] = paused ? 2 : 1;
            (*m_tool)->setMeasurementOverride(words);
            // Paused by its key.
            if (requests() >= 4 && !std::exchange(pressed, true))
                QTest::keyClick(panelWidget(), Qt::Key_P, Qt::ControlModifier);
            if (paused && pausedAt == 0) {
                pausedAt = requests();
                heldOnChart = (raw1().constEnd() - 1)->value;
                heldOnDisplays = shownOnDisplays();
            } else if (pausedAt > 0 && requests() >= pausedAt + 6 &&
                       !std::exchange(stopped, true)) {
                click(CTRL_STOP, false);
            }
        });
        QCOMPARE(button("pauseButton")->text(), QStringLiteral("Resume"));
        QCOMPARE((raw1().constEnd() - 1)->value, heldOnChart);
        QCOMPARE(shownOnDisplays(), heldOnDisplays);
        QCOMPARE(shown(CTRL_LAMP_BIT0) * 10 + shown(CTRL_LAMP_BIT1), 10);
        // The system's history went on; resuming shows it.
        const double present = arrayRAW[HISTORY * RAW_TRACES - 5];
        QVERIFY(present > heldOnChart + 3);
        // Resumed by the same key: the button's new text must not have cost it its shortcut.
        QTest::keyClick(panelWidget(), Qt::Key_P, Qt::ControlModifier);
        QVERIFY(waitUntil([] { return !button("pauseButton")->isChecked(); }));
        QCOMPARE(button("pauseButton")->text(), QStringLiteral("Pause"));
        QCOMPARE(shown(CTRL_RAW_1), int(present));
        QCOMPARE(shown(CTRL_LAMP_BIT0) * 10 + shown(CTRL_LAMP_BIT1), 1);
        QVERIFY(waitUntil([present] { return (raw1().constEnd() - 1)->value == present; }));
    }

    void zoomHoldsUntilDoubleClickAndReadoutNamesEveryTrace() {
        runFor(4);
        QCustomPlot* plot = rawPlot();
        const QCPRange fitted = plot->xAxis->range();
        QWheelEvent wheel(plot->rect().center(), plot->mapToGlobal(plot->rect().center()), {},
                          {0, 120}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QApplication::sendEvent(plot, &wheel);
        runFor(3);
        QVERIFY(plot->xAxis->range().size() < fitted.size() * 0.9);
        QTest::mouseDClick(plot, Qt::LeftButton, {}, plot->rect().center());
        QVERIFY(waitUntil([&] { return plot->xAxis->range() == fitted; }));
        // The newest sample, under the mouse.
        QTest::mouseMove(plot, {int(plot->xAxis->coordToPixel(100)), plot->height() / 2});
        const auto& history = m_tools->rawView().history();
        auto* readout = panelWidget()->findChild<QLabel*>(QStringLiteral("cursorReadout"));
        QCOMPARE(readout->text(),
                 QStringLiteral("%1 s: Raw 1 101, Raw 2 202, Raw 3 303, Raw 4 404, "
                                "Teach threshold 999")
                     .arg(history.samples().back().time - history.origin(), 0, 'f', 2));
        // Gone when the mouse leaves, and when the other chart is chosen.
        const QString hint = QStringLiteral(
            "Point at the chart to read its values; the wheel zooms, dragging pans, a "
            "double-click fits");
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(plot, &leave);
        QCOMPARE(readout->text(), hint);
        QTest::mouseMove(plot, {int(plot->xAxis->coordToPixel(100)), plot->height() / 2});
        QVERIFY(readout->text() != hint);
        chooseItem(CTRL_SIGNAL_TYPE, 1);
        dispatchPending();
        QCOMPARE(readout->text(), hint);
        chooseItem(CTRL_SIGNAL_TYPE, 0);
        dispatchPending();
        // The legend entry's tooltip names the word the trace comes from.
        const QPoint entry = plot->legend->itemWithPlottable(plot->graph(4))->outerRect().center();
        QHelpEvent help(QEvent::ToolTip, entry, plot->mapToGlobal(entry));
        QApplication::sendEvent(plot, &help);
        QVERIFY(QToolTip::text().contains(QLatin1String("word 9 of the measurement frame")));
    }

    // Frames 15 s, none for 2 s (a Stop, a time-out, the other chart shown), frames on to 650 s;
    // then an hour's watch of the last ten minutes: once they are full, the traces keep their
    // room, a quarter more than the points shown (appending alone would double it).
    void timedViewsShowTheLastMinutesBreakAtGapsAndKeepTheirStorage() {
        feed(0.0, 15.0);
        feed(17.0, 22.0);
        chooseHistory(2);
        QCOMPARE(rawPlot()->xAxis->range(), QCPRange(0.0, 21.75));
        QCOMPARE(rawPlot()->xAxis->label(), QStringLiteral("Time (s)"));
        std::vector<double> breaks;
        for (auto point = raw1().constBegin(); point != raw1().constEnd(); ++point)
            if (std::isnan(point->value))
                breaks.push_back(point->key);
        QCOMPARE(breaks.size(), std::size_t{1});
        QVERIFY(breaks[0] > 14.75 && breaks[0] < 17.0);
        // The readout at the break reads a measured point beside it.
        QVERIFY(!m_tools->rawView().readoutAt(breaks[0]).contains(QLatin1String("nan")));
        feed(22.0, 650.0);
        double next = 650.0;
        for (const auto& [choice, points] : {std::pair{1, 241}, std::pair{2, 2401}}) {
            chooseHistory(choice);
            const double newest = (raw1().constEnd() - 1)->key;
            QCOMPARE(raw1().size(), points);
            QCOMPARE(newest - raw1().constBegin()->key, (points - 1) * 0.25);
            QCOMPARE(rawPlot()->xAxis->range().upper, newest);
            // The next frames move the view on.
            feed(next, next + 1.0);
            next += 1.0;
            QCOMPARE(raw1().size(), points);
            QVERIFY((raw1().constEnd() - 1)->key > newest);
        }
        feed(next, 1300.0);
        const qsizetype stored = m_tools->rawView().timedPointsStored();
        QVERIFY2(stored <= rawPlot()->graphCount() * (raw1().size() * 5 / 4 + 100),
                 qPrintable(QString::number(stored)));
        feed(1300.0, 3600.0);
        QCOMPARE(m_tools->rawView().timedPointsStored(), stored);
    }

    void eachRunStartIsMarked() {
        runFor(4);
        (*m_tool)->setMeasurementOverride(wordsFor(111));
        runFor(4);
        // Between the last sample of one run and the first of the next, in both views.
        for (const int choice : {0, 2}) {
            chooseHistory(choice);
            QVERIFY(waitUntil([] { return raw1().size() > 2; }));
            const std::vector<double> marks = runMarks(rawPlot());
            QCOMPARE(marks.size(), std::size_t{2});
            const auto first = raw1().findBegin(marks.back(), false);
            QCOMPARE(first->value, 111.0);
            // The view by time breaks its traces there, the system's samples run on.
            auto before = first - 1;
            if (choice != 0)
                QVERIFY(std::isnan((before--)->value));
            QCOMPARE(before->value, 101.0);
        }
    }

    // Neither the other chart nor a recording (its button's text, its state) resizes the window.
    void recordingKeepsEveryFrameAsShownAndTheWindowItsSize() {
        // Whatever the sensor's text holds, it stays one quoted field (every byte in tst_logic).
        (*m_tool)->setFirmwareText("T,\"K\"\r\xe9");
        m_tool->connect();
        // As it stands once the tools added here have taken their room.
        QApplication::processEvents();
        const QSize opened = panelWidget()->size();
        for (const int chart : {1, 0}) {
            chooseItem(CTRL_SIGNAL_TYPE, chart);
            dispatchPending();
            QCOMPARE(panelWidget()->size(), opened);
        }
        QTemporaryDir dir;
        answerFileDialog(dir.filePath(QStringLiteral("run.csv")));
        QTest::mouseClick(button("recordButton"), Qt::LeftButton);
        QCOMPARE(button("recordButton")->text(), QStringLiteral("Stop recording"));
        // Beside the readout: the file, how long it has recorded, its rows.
        auto* state = panelWidget()->findChild<QLabel*>(QStringLiteral("recordingState"));
        QVERIFY(state->isVisible());
        QCOMPARE(state->text(), QStringLiteral("Recording run.csv: 0:00, 0 rows"));
        // Each frame's words, and its thresholds as recorded (only the normalised chart's).
        std::vector<std::pair<Words, QString>> plotted;
        platform::onChartPlotted([&plotted](int, int chart, std::span<const double> newest) {
            plotted.push_back(
                {std::to_array(pp), chart == CTRL_NORM_CHART
                                        ? QStringLiteral("%1,%2").arg(newest[0]).arg(newest[1])
                                        : QStringLiteral(",")});
        });
        std::optional<PaintLog> paints;
        std::map<QObject*, QStringList> painted;
        bool stopped = false;
        run([&] {
            (*m_tool)->setMeasurementOverride(wordsFor(requests()));
            if (requests() == 3 && !paints)
                paints.emplace();
            if (requests() == 12 && paints) {
                painted = std::exchange(paints->texts, {});
                paints.reset();
                chooseItem(CTRL_SIGNAL_TYPE, 1);
            }
            if (requests() >= 16 && !std::exchange(stopped, true))
                click(CTRL_STOP, false);
        });
        // Recording paints nothing beyond what the frames change.
        std::set<QObject*> changing{control(CTRL_LAMP_BIT0), control(CTRL_LAMP_BIT1), rawPlot(),
                                    state};
        for (const int display : kDisplays)
            changing.insert(control(display));
        for (const auto& entry : painted)
            QVERIFY2(changing.count(entry.first) == 1, qPrintable(entry.first->objectName()));
        const QRegularExpression counted(
            QStringLiteral(R"(^Recording run\.csv: 0:0\d, [1-9]\d* rows$)"));
        QVERIFY(waitUntil([&] { return counted.match(state->text()).hasMatch(); }));
        QApplication::processEvents();
        QCOMPARE(panelWidget()->size(), opened);
        QTest::mouseClick(button("recordButton"), Qt::LeftButton);
        QVERIFY(!state->isVisible());
        QFile file(dir.filePath(QStringLiteral("run.csv")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines =
            QString::fromUtf8(file.readAll()).split("\r\n", Qt::SkipEmptyParts);
        // The header first, each column named by what it holds; where the recording was made
        // in the first row.
        QCOMPARE(lines.size(), 1 + int(plotted.size()));
        QCOMPARE(lines[0].split(','),
                 QString("time,seconds_since_run_start,w0_raw1,w1_raw2,w2_raw3,w3_raw4,"
                         "w4_normalised,w5_power0,w6_power1,w7_teach_ab,w8_teach_cd,"
                         "w9_teach_threshold,w10_inputs,w11_reported_tolerance,w12,w13,w14,w15,"
                         "raw1,raw2,raw3,raw4,normalised,reference,upper_threshold,"
                         "lower_threshold,input1,input2,port,firmware")
                     .split(','));
        QVERIFY2(lines[1].endsWith(QStringLiteral(",\"COM1 %1\",\"T,\"\"K\"\"\\r\u00e9\"")
                                       .arg(QString::fromStdString(m_tool->sensor().devicePath()))),
                 qPrintable(lines[1]));
        for (std::size_t row = 0; row < plotted.size(); ++row) {
            const QStringList fields = lines[1 + int(row)].split(QLatin1Char(','));
            const auto& [words, thresholds] = plotted[row];
            // A time a spreadsheet reads as such.
            QVERIFY(QDateTime::fromString(fields[0], QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))
                        .isValid());
            QCOMPARE(fields[1].toDouble(), m_step * double(row + 1));
            QStringList received;
            for (const std::uint16_t word : words)
                received << QString::number(word);
            QCOMPARE(fields.mid(2, 16), received);
            // Raw 1 to 4 and normalised, reference, thresholds, inputs.
            QCOMPARE(fields.mid(18, 10).join(','), received.mid(0, 5).join(',') + ',' +
                                                       QStringLiteral("%1,%2,%3,%4")
                                                           .arg(reference)
                                                           .arg(thresholds)
                                                           .arg(words[10] & 1)
                                                           .arg(words[10] >> 1));
            if (row > 0)
                QCOMPARE(fields.mid(28), QStringList({"", ""}));
        }
    }

    void theFileDialogNamesTheRecordingAndKeepsNoHistory() {
        QTemporaryDir dir;
        // The user's settings in a directory of the test's, where whatever the dialog kept
        // would show up, whichever dialog of the process came first.
        QTemporaryDir home;
        const QString userSettings =
            QFileInfo(QSettings(QSettings::NativeFormat, QSettings::UserScope, "x").fileName())
                .path();
        const auto restore = qScopeGuard([&userSettings] {
            QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, userSettings);
        });
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.path());
        platform::setFileSelectAnswer({});
        // Accepted as its accept button does. That the run goes on while it is open is
        // tst_ways_of_acting's theRunGoesOnWhileADialogIsOpen.
        whileDialogsComeUp([&dir](QWidget* dialog) {
            qobject_cast<QFileDialog*>(dialog)->setDirectory(dir.path());
            QMetaObject::invokeMethod(dialog, "accept");
            return true;
        });
        QTest::mouseClick(button("recordButton"), Qt::LeftButton);
        QVERIFY(waitUntil([] { return button("recordButton")->isChecked(); }));
        // Named by when it began, so that recordings do not replace each other.
        const QStringList files = QDir(dir.path()).entryList(QDir::Files);
        QCOMPARE(files.size(), 1);
        QVERIFY2(
            QRegularExpression(QStringLiteral(R"(^live-view-\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d\.csv$)"))
                .match(files[0])
                .hasMatch(),
            qPrintable(files[0]));
        QVERIFY(QFileInfo(dir.filePath(files[0])).size() > 0);
        QVERIFY(waitUntil([] { return !panelWidget()->findChild<QFileDialog*>(); }));
        QVERIFY(QDir(home.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }

    void recordingThatCannotGoOnStopsAndSaysSo_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("taken"); // by whom the file is taken away, if at all
        QTest::addColumn<bool>("running");
        QTest::addColumn<QString>("said");
        const auto row = [](const char* name, const char* target, const char* taken, bool running,
                            const char* said) {
            QTest::newRow(name) << QString(target) << QString(taken) << running << QString(said);
        };
        const char* deleted = "Recording stopped: %1: deleted or moved away";
        row("directory that is a file", "file/run.csv", "", true,
            "Cannot record to %1: Not a directory");
        row("file size limit", "run.csv", "", true,
            "Recording stopped: cannot write %1: File too large");
        row("deleted", "run.csv", "deleted", false, deleted);
        row("renamed over", "run.csv", "replaced", false,
            "Recording stopped: %1: another file has taken its place");
        row("deleted during a live view", "run.csv", "deleted", true, deleted);
    }

    void recordingThatCannotGoOnStopsAndSaysSo() {
        QFETCH(QString, target);
        QFETCH(QString, taken);
        QFETCH(bool, running);
        QFETCH(QString, said);
        QTemporaryDir dir;
        const QString other = dir.filePath(QStringLiteral("file"));
        QFile(other).open(QIODevice::WriteOnly);
        const QString path = dir.filePath(target);
        answerFileDialog(path);
        rlimit before{};
        getrlimit(RLIMIT_FSIZE, &before);
        const rlimit tight{taken.isEmpty() ? 1000 : before.rlim_cur, before.rlim_max};
        setrlimit(RLIMIT_FSIZE, &tight);
        QTest::mouseClick(button("recordButton"), Qt::LeftButton);
        const bool refused = target != QLatin1String("run.csv");
        if (refused)
            QCOMPARE(statusText(), said.arg(path));
        const auto takeTheFile = [&] {
            return taken == QLatin1String("replaced")
                       ? std::rename(QFile::encodeName(other).constData(),
                                     QFile::encodeName(path).constData()) == 0
                       : QFile::remove(path);
        };
        if (running) {
            // A file taken at the third frame is noticed within a second by the run's clock, a
            // quarter of a second a frame. A line the recording has garbled would stall the run:
            // bounded.
            m_step = 0.25;
            const std::size_t stopAt = requests() + 15;
            double goneAt = -1, stoppedAt = -1;
            QElapsedTimer bound;
            bound.start();
            run([&] {
                const double now = m_step * double(m_frames);
                if (!taken.isEmpty() && goneAt < 0 && m_frames >= 3) {
                    QVERIFY(takeTheFile());
                    goneAt = now;
                } else if (goneAt >= 0 && stoppedAt < 0 && !button("recordButton")->isChecked()) {
                    stoppedAt = now;
                    click(CTRL_STOP, false);
                } else if (requests() == stopAt || bound.elapsed() > 20000) {
                    click(CTRL_STOP, false);
                }
            });
            QVERIFY2(taken.isEmpty() || (stoppedAt >= 0 && stoppedAt - goneAt <= 1.0),
                     qPrintable(QString::number(stoppedAt - goneAt)));
            // Nothing reached the sensor but the live view's requests.
            const std::vector<int> orders = ordersSent(m_tool->sensor());
            QVERIFY(
                orders.size() >= (taken.isEmpty() ? 15u : 4u) &&
                std::all_of(orders.begin(), orders.end(), [](int order) { return order == 8; }));
        } else {
            QVERIFY(takeTheFile());
        }
        setrlimit(RLIMIT_FSIZE, &before);
        QVERIFY(waitUntil([] { return button("recordButton")->text() == "Record..."; }));
        QVERIFY(!button("recordButton")->isChecked());
        if (!refused)
            QCOMPARE(statusText(), said.arg(path));
        QCOMPARE(logged(said.arg(path)), 1);
        if (refused || !taken.isEmpty())
            return;
        // Every row that reached the file is whole.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray written = file.readAll();
        QVERIFY(written.size() <= 1000 && written.endsWith("\r\n"));
        const QList<QByteArray> rows = written.split('\n').mid(1);
        QVERIFY(!rows.isEmpty());
        for (const QByteArray& row : rows.first(rows.size() - 1))
            QCOMPARE(row.count(','), 29);
    }

    void exportSavesImagesAndCopyTakesTheValues() {
        runFor(3);
        QTemporaryDir dir;
        answerFileDialog(dir.filePath(QStringLiteral("chart")));
        QTest::mouseClick(button("exportButton"), Qt::LeftButton);
        QCOMPARE(QImage(dir.filePath(QStringLiteral("chart.png"))).size(), rawPlot()->size() * 2);
        QApplication::clipboard()->clear();
        QTest::keyClick(panelWidget(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(waitUntil([] { return !QApplication::clipboard()->text().isEmpty(); }));
        const QString copied = QApplication::clipboard()->text();
        for (const char* line : {"\nStatus: Line Ok!\n", "\nRaw 4: 404\n", "\nTolerance: 30\n",
                                 "\nInput 1: on\n", "\nInput 2: on\n"})
            QVERIFY2(copied.contains(QLatin1String(line)), line);
        // A FIFO is no file to export to: refused, and said once.
        const QString fifo = dir.filePath(QStringLiteral("fifo.png"));
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        answerFileDialog(fifo);
        QTest::mouseClick(button("exportButton"), Qt::LeftButton);
        QCOMPARE(statusText(),
                 "Cannot export the chart to " + fifo + ": a FIFO, not a regular file");
        QCOMPARE(logged(statusText()), 1);
    }

    void bothChartsKeepTheirHistoriesOnOneTimeAxis() {
        chooseHistory(1);
        QCOMPARE(shown(CTRL_HW_MODE), 0);
        const double upper = shown(CTRL_REFERENCE) + shown(CTRL_TOLERANCE);
        const double lower = shown(CTRL_REFERENCE) - shown(CTRL_TOLERANCE);
        auto* normPlot = control(CTRL_NORM_CHART)->findChild<QCustomPlot*>();
        const auto& raw = m_tools->rawView().history().samples();
        const auto& norm = m_tools->normView().history().samples();
        std::size_t switchedAt = 0;
        bool fittedOnceShown = false;
        run([&] {
            (*m_tool)->setMeasurementOverride(wordsFor(requests()));
            if (switchedAt == 0 && requests() >= 4) {
                chooseItem(CTRL_SIGNAL_TYPE, 1);
                dispatchPending();
                // Fitted to the frames it took while hidden.
                fittedOnceShown =
                    normPlot->xAxis->range().upper == norm.back().time - norm.front().time;
                switchedAt = requests();
            } else if (switchedAt > 0 && requests() >= switchedAt + 4) {
                click(CTRL_STOP, false);
            }
        });
        QVERIFY(fittedOnceShown);
        QVERIFY(raw.size() >= 7);
        QCOMPARE(norm.size(), raw.size());
        QCOMPARE(m_tools->normView().history().origin(), m_tools->rawView().history().origin());
        // Each frame on both charts at one time, its traces as the program plots them.
        for (std::size_t i = 0; i < raw.size(); ++i) {
            QCOMPARE(norm[i].time, raw[i].time);
            QCOMPARE(norm[i].values[0], upper);
            QCOMPARE(norm[i].values[1], lower);
            QCOMPARE(norm[i].values[3] - raw[i].values[0], 4000.0);
        }
        QVERIFY(!raw.front().drawn == norm.front().drawn && raw.back().drawn != norm.back().drawn);
        // The normalised view shows the frames before it was chosen, the raw one those after.
        QCOMPARE(normPlot->graph(3)->data()->constBegin()->value, norm.front().values[3]);
        QCOMPARE(normPlot->graph(0)->data()->constBegin()->key, 0.0);
        // The system's samples hold only the frames drawn on the chart: a sample older than
        // those has no time.
        const auto drawn = std::count_if(norm.begin(), norm.end(), [](auto& s) { return s.drawn; });
        chooseHistory(0);
        // Unfrozen, the chart draws its own samples again.
        QVERIFY(waitUntil([&] { return normPlot->graph(3)->data()->size() > 50; }));
        const QString oldestDrawn = m_tools->normView().readoutAt(101.0 - double(drawn));
        QVERIFY2(oldestDrawn.startsWith(QStringLiteral("%1 s: ").arg(
                     norm[norm.size() - std::size_t(drawn)].time - norm.front().time, 0, 'f', 2)),
                 qPrintable(oldestDrawn));
        QVERIFY(m_tools->normView().readoutAt(100.0 - double(drawn)).startsWith("sample "));
        // The run's start marked just before them.
        QCOMPARE(runMarks(normPlot), std::vector<double>{100.5 - double(drawn)});
        chooseHistory(1);
        chooseItem(CTRL_SIGNAL_TYPE, 0);
        dispatchPending();
        // Shown again, the raw view is up to date and fitted to the newest frame.
        const double newest = raw.back().time - raw.front().time;
        QCOMPARE((raw1().constEnd() - 1)->value, raw.back().values[0]);
        QCOMPARE((raw1().constEnd() - 1)->key, newest);
        QCOMPARE(rawPlot()->xAxis->range().upper, newest);
    }

private:
    // Timer() moves m_step seconds a frame shown.
    void run(const std::function<void()>& during) {
        m_tool->run(during, [this] { return m_step * double(m_frames); });
    }
    void runFor(std::size_t more) {
        m_tool->runFor(more, [this] { return m_step * double(m_frames); });
    }
    std::size_t requests() { return m_tool->requests(); }
    // Frames a quarter of a second apart unless said, handed over as the program plots them.
    void feed(double from, double to, double step = 0.25) {
        for (double time = from; time < to; time += step)
            m_tools->rawView().takeFrame(time, std::array{time, 0.0, 0.0, 0.0, 0.0});
    }
    // How often the log holds the text.
    int logged(const QString& text) const {
        return int(std::count_if(m_log->entries().begin(), m_log->entries().end(),
                                 [&](const linklog::Entry& entry) { return entry.text == text; }));
    }

    std::unique_ptr<ToolWithSensor> m_tool;
    std::unique_ptr<linklog::LinkLog> m_log;
    livetools::LiveToolsPanel* m_tools = nullptr;
    double m_step = 0.5;
    std::size_t m_frames = 0;
};

QTEST_MAIN(LiveTools)
#include "tst_live_tools.moc"
