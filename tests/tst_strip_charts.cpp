// What one measurement frame does to the panel: displays, lamps, the two histories and the
// strip charts behind them; and the array moves that shift the histories.
#include "PanelDriver.h"

#include <app/Nalvo-ZUridozU10.h>
#include <com232/com232.h>
#include <gui/gui.h>
#include <shared/ControlIds.h>

#include <Lamp.h>
#include <StripChart.h>

#include <QTest>

#include <array>
#include <vector>

using namespace testing;
using Doubles = std::vector<double>;
Q_DECLARE_METATYPE(Doubles)

namespace {

using Words = std::array<unsigned short, PNUM>;

void receive(const Words& words) {
    std::copy(words.begin(), words.end(), pp);
}

platform::StripChart* chart(int id) {
    return control<platform::StripChart>(id);
}

// What a chart shows of one trace, newest last.
Doubles shown(int chartId, int trace) {
    return chart(chartId)->tracePoints(trace);
}

} // namespace

class StripCharts : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void shiftMovesValuesAndZeroFills_data();
    void shiftMovesValuesAndZeroFills();
    void shiftWorksInPlace();
    void measurementWordsReachDisplaysLampsAndTraces();
    void thresholdsFollowTheToleranceMode_data();
    void thresholdsFollowTheToleranceMode();
    void historiesMoveOnlyWithTheirOwnChart();
};

void StripCharts::init() {
    std::fill(std::begin(arrayRAW), std::end(arrayRAW), 0.0);
    std::fill(std::begin(arrayNORM), std::end(arrayNORM), 0.0);
    startMainPanel();
}

void StripCharts::cleanup() {
    discardMainPanel();
}

void StripCharts::shiftMovesValuesAndZeroFills_data() {
    QTest::addColumn<Doubles>("input");
    QTest::addColumn<int>("shift");
    QTest::addColumn<int>("result");
    QTest::addColumn<Doubles>("output");
    const Doubles five{1, 2, 3, 4, 5};
    const Doubles untouched{9, 9, 9, 9, 9};
    QTest::newRow("right by 2") << five << 2 << 0 << Doubles{0, 0, 1, 2, 3};
    QTest::newRow("left by 2") << five << -2 << 0 << Doubles{3, 4, 5, 0, 0};
    QTest::newRow("none") << five << 0 << 0 << five;
    QTest::newRow("right by 4") << five << 4 << 0 << Doubles{0, 0, 0, 0, 1};
    QTest::newRow("right by 5") << five << 5 << kErrShiftTooLarge << untouched;
    QTest::newRow("left by 5") << five << -5 << kErrShiftTooLarge << untouched;
    QTest::newRow("no elements") << Doubles{} << 0 << kErrCountTooSmall << Doubles{};
    QTest::newRow("no elements, shifted") << Doubles{} << 3 << kErrCountTooSmall << Doubles{};
}

void StripCharts::shiftMovesValuesAndZeroFills() {
    QFETCH(Doubles, input);
    QFETCH(int, shift);
    QFETCH(int, result);
    QFETCH(Doubles, output);
    Doubles out(input.size(), 9.0);
    QCOMPARE(Shift(input.data(), static_cast<int>(input.size()), shift, out.data()), result);
    QCOMPARE(out, output);
    if (shift == 0) {
        Doubles copy(input.size(), 9.0);
        QCOMPARE(Copy1D(input.data(), static_cast<int>(input.size()), copy.data()),
                 input.empty() ? kErrCountTooSmall : 0);
        QCOMPARE(copy, input.empty() ? Doubles{} : input);
    }
}

void StripCharts::shiftWorksInPlace() {
    Doubles values{1, 2, 3, 4, 5, 6};
    QCOMPARE(Shift(values.data(), 6, 2, values.data()), 0);
    QCOMPARE(values, (Doubles{0, 0, 1, 2, 3, 4}));
    QCOMPARE(Shift(values.data(), 6, -3, values.data()), 0);
    QCOMPARE(values, (Doubles{2, 3, 4, 0, 0, 0}));
    // Values move bit for bit.
    Doubles odd{-0.0, 1e300, -2.5};
    QCOMPARE(Shift(odd.data(), 3, -1, odd.data()), 0);
    QCOMPARE(odd[0], 1e300);
    QCOMPARE(odd[1], -2.5);
}

void StripCharts::measurementWordsReachDisplaysLampsAndTraces() {
    const Words frame{11, 22, 33, 44, 40000, 1005, 1006, 1007, 1008, 1009, 1, 65535, 7, 7, 7, 7};
    const unsigned short power0Before = power0;
    receive(frame);
    PlotRAWvalues();

    const std::vector<std::pair<int, int>> shownOn{{CTRL_RAW_1, 11},
                                                   {CTRL_RAW_2, 22},
                                                   {CTRL_RAW_3, 33},
                                                   {CTRL_RAW_4, 44},
                                                   {CTRL_NORMALISED, 40000},
                                                   {CTRL_POWER0, 1005},
                                                   {CTRL_POWER1, 1006},
                                                   {CTRL_TEACH_AB, 1007},
                                                   {CTRL_TEACH_CD, 1008},
                                                   {CTRL_TEACH_THD, 1009},
                                                   {CTRL_REPORTED_TOLERANCE, 65535}};
    for (const auto& [id, value] : shownOn)
        QCOMPARE(intValue(id), value);
    // The parameter controls only show the words; the parameter set stays.
    QCOMPARE(power0, power0Before);
    QCOMPARE(inputs, 1);
    QVERIFY(control<platform::Lamp>(CTRL_LAMP_BIT0)->isOn());
    QVERIFY(!control<platform::Lamp>(CTRL_LAMP_BIT1)->isOn());

    // The first refresh hands the chart 99 zeros and then the new sample, for each trace.
    const std::array<double, RAW_TRACES> newest{11, 22, 33, 44, 1009};
    for (int trace = 0; trace < RAW_TRACES; ++trace) {
        Doubles expected(HISTORY, 0.0);
        expected.back() = newest[static_cast<size_t>(trace)];
        QCOMPARE(shown(CTRL_RAW_CHART, trace), expected);
    }
    QCOMPARE(chart(CTRL_RAW_CHART)->numTraces(), RAW_TRACES);
    QCOMPARE(chart(CTRL_RAW_CHART)->pointsPerScreen(), HISTORY + 1);
}

void StripCharts::thresholdsFollowTheToleranceMode_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("ref");
    QTest::addColumn<int>("tol");
    QTest::addColumn<int>("reported");
    QTest::addColumn<int>("word4");
    QTest::addColumn<Doubles>("plotted"); // upper, lower, reference, normalised
    QTest::newRow("mode 3 takes the reported tolerance")
        << 3 << 512 << 100 << 30 << 600 << Doubles{542, 482, 512, 600};
    QTest::newRow("mode 0 takes the parameter")
        << 0 << 512 << 100 << 30 << 600 << Doubles{612, 412, 512, 600};
    QTest::newRow("lower threshold below zero")
        << 0 << 20 << 50 << 0 << 10 << Doubles{70, -30, 20, 10};
    QTest::newRow("upper threshold wraps")
        << 1 << 1000 << 0 << 32000 << 0 << Doubles{-32536, -31000, 1000, 0};
    QTest::newRow("normalised word is signed")
        << 2 << 512 << 100 << 0 << 40000 << Doubles{612, 412, 512, -25536};
}

void StripCharts::thresholdsFollowTheToleranceMode() {
    QFETCH(int, mode);
    QFETCH(int, ref);
    QFETCH(int, tol);
    QFETCH(int, reported);
    QFETCH(int, word4);
    QFETCH(Doubles, plotted);
    hwMode = static_cast<unsigned short>(mode);
    reference = static_cast<unsigned short>(ref);
    tolerance = static_cast<unsigned short>(tol);
    Words frame{};
    frame[4] = static_cast<unsigned short>(word4);
    frame[11] = static_cast<unsigned short>(reported);
    frame[10] = 2;
    receive(frame);
    PlotNORMvalues();
    QCOMPARE(double(upTHR), plotted[0]);
    QCOMPARE(double(loTHR), plotted[1]);
    QCOMPARE(double(valNORM), plotted[3]);
    for (int trace = 0; trace < NORM_TRACES; ++trace)
        QCOMPARE(shown(CTRL_NORM_CHART, trace).back(), plotted[static_cast<size_t>(trace)]);
    QCOMPARE(intValue(CTRL_NORMALISED), word4);
    QCOMPARE(inputs, 2);
    QVERIFY(control<platform::Lamp>(CTRL_LAMP_BIT1)->isOn());
}

void StripCharts::historiesMoveOnlyWithTheirOwnChart() {
    Words frame{};
    for (unsigned short sample = 1; sample <= 3; ++sample) {
        frame[0] = sample;
        receive(frame);
        PlotRAWvalues();
    }
    const Doubles rawBefore(std::begin(arrayRAW), std::end(arrayRAW));
    reference = 100;
    for (unsigned short sample = 1; sample <= 2; ++sample) {
        frame[4] = sample;
        receive(frame);
        PlotNORMvalues();
    }
    QCOMPARE(Doubles(std::begin(arrayRAW), std::end(arrayRAW)), rawBefore);

    // Back on the raw chart, the history goes on from where it was.
    frame[0] = 4;
    receive(frame);
    PlotRAWvalues();
    const Doubles trace1 = shown(CTRL_RAW_CHART, 0);
    QCOMPARE(trace1.size(), size_t(HISTORY));
    QCOMPARE(Doubles(trace1.end() - 5, trace1.end()), (Doubles{0, 1, 2, 3, 4}));
    const Doubles normalised = shown(CTRL_NORM_CHART, 3);
    QCOMPARE(Doubles(normalised.end() - 3, normalised.end()), (Doubles{0, 1, 2}));
    QCOMPARE(inputs, 0);
}

QTEST_MAIN(StripCharts)
#include "tst_strip_charts.moc"
