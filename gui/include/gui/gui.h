// The gui module: the parameter set and its binding to the main panel.
#pragma once

#include <platform/util.h>

// The sixteen parameter variables, one per word of the parameter packet.
extern unsigned short power0, power1, reference, tolerance, hwMode, polarity, anaMode, evalMode,
    average, teachAB, teachCD, teachTHD, free12, free13, free14, free15;

// Lamp word of the last measurement frame.
extern unsigned short inputs;

void GetPanelValues();
void SetPanelValues();
void SetInputLED(int value);

// The clamp step of SetPanelValues: out-of-range values take their defaults.
void ClampParameters();
// Dims the tolerance control in the hardware modes where the sensor reports the tolerance.
void DimToleranceForMode(unsigned short mode);

// Transfer target of Get and Send.
constexpr int RAM = 1;
constexpr int EEPROM = 2;
constexpr int DATFILE = 3;
extern int target;

// Reads the parameter set from the target and shows it.
void PushGET(int t);

// The parameter file: the path chosen last in the file dialog.
extern char file_name[kMaxPathnameLen];
void SendParaToFile();
int ReadParaFromFile();

// The live view's strip charts: 100 samples of each trace, oldest first, interleaved.
constexpr int HISTORY = 100;
constexpr int RAW_TRACES = 5;
constexpr int NORM_TRACES = 4;
extern double arrayRAW[HISTORY * RAW_TRACES];
extern double arrayNORM[HISTORY * NORM_TRACES];
extern short upTHR, loTHR, valNORM;

void PlotRAWvalues();
void PlotNORMvalues();

// Array moves on doubles: 0 on success, or one of these errors.
constexpr int kErrCountTooSmall = -20003;
constexpr int kErrShiftTooLarge = -20102;
int Shift(const double* input, int count, int shift, double* output);
int Copy1D(const double* input, int count, double* output);
