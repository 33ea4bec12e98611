// Showing a measurement frame: the numeric displays, the lamps and one strip chart with the
// history of its traces.
#include <gui/gui.h>

#include <com232/com232.h>
#include <shared/ControlIds.h>
#include <shared/ShellVariables.h>

#include <platform/ui.h>

namespace {

// One screen is a point wider than the history.
constexpr int kPointsPerScreen = HISTORY + 1;

// Measurement words 5 to 9 only show on the parameter controls; the variables keep the
// parameter set.
void showMeasurementWords() {
    SetCtrlVal(panelHandle, CTRL_RAW_1, pp[0]);
    SetCtrlVal(panelHandle, CTRL_RAW_2, pp[1]);
    SetCtrlVal(panelHandle, CTRL_RAW_3, pp[2]);
    SetCtrlVal(panelHandle, CTRL_RAW_4, pp[3]);
    SetCtrlVal(panelHandle, CTRL_NORMALISED, pp[4]);
    SetCtrlVal(panelHandle, CTRL_POWER0, pp[5]);
    SetCtrlVal(panelHandle, CTRL_POWER1, pp[6]);
    SetCtrlVal(panelHandle, CTRL_TEACH_AB, pp[7]);
    SetCtrlVal(panelHandle, CTRL_TEACH_CD, pp[8]);
    SetCtrlVal(panelHandle, CTRL_TEACH_THD, pp[9]);
    SetCtrlVal(panelHandle, CTRL_REPORTED_TOLERANCE, pp[11]);
}

void plotHistory(int chart, const double* history, int traces) {
    SetCtrlAttribute(panelHandle, chart, kAttrPointsPerScreen, kPointsPerScreen);
    SetCtrlAttribute(panelHandle, chart, kAttrScrollMode, kScrollContinuous);
    SetCtrlAttribute(panelHandle, chart, kAttrNumTraces, traces);
    PlotStripChart(panelHandle, chart, history, HISTORY * traces, 0, 0, kTypeDouble);
}

} // namespace

void PlotRAWvalues() {
    inputs = pp[10];
    showMeasurementWords();
    constexpr int kCount = HISTORY * RAW_TRACES;
    Shift(arrayRAW, kCount, -RAW_TRACES, arrayRAW);
    arrayRAW[kCount - 5] = pp[0];
    arrayRAW[kCount - 4] = pp[1];
    arrayRAW[kCount - 3] = pp[2];
    arrayRAW[kCount - 2] = pp[3];
    arrayRAW[kCount - 1] = pp[9];
    plotHistory(CTRL_RAW_CHART, arrayRAW, RAW_TRACES);
    SetInputLED(inputs);
}

void NormThresholds(short* upper, short* lower) {
    // In the modes where the sensor reports the tolerance, the thresholds follow it.
    const unsigned short thresholdTolerance = hwMode == 1 || hwMode == 3 ? pp[11] : tolerance;
    *upper = static_cast<short>(static_cast<unsigned short>(reference + thresholdTolerance));
    *lower = static_cast<short>(static_cast<unsigned short>(reference - thresholdTolerance));
}

void PlotNORMvalues() {
    showMeasurementWords();
    NormThresholds(&upTHR, &loTHR);
    valNORM = static_cast<short>(pp[4]);
    inputs = pp[10];
    constexpr int kCount = HISTORY * NORM_TRACES;
    Shift(arrayNORM, kCount, -NORM_TRACES, arrayNORM);
    arrayNORM[kCount - 4] = upTHR;
    arrayNORM[kCount - 3] = loTHR;
    arrayNORM[kCount - 2] = reference;
    arrayNORM[kCount - 1] = valNORM;
    plotHistory(CTRL_NORM_CHART, arrayNORM, NORM_TRACES);
    SetInputLED(inputs);
}
