// The gui module: the parameter set, its binding to the main panel, its transfer and its
// file, and the live view's charts. Its variables are in <shared/ParameterVariables.h>.
#pragma once

#include <shared/ParameterVariables.h>

void GetPanelValues();
void SetPanelValues();
void SetInputLED(int value);

// The clamp step of SetPanelValues: out-of-range values take their defaults.
void ClampParameters();
// Dims the tolerance control in the hardware modes where the sensor reports the tolerance.
void DimToleranceForMode(unsigned short mode);

// Reads the parameter set from the target and shows it.
void PushGET(int t);

void SendParaToFile();
int ReadParaFromFile();

void PlotRAWvalues();
void PlotNORMvalues();
// The normalised chart's upper and lower threshold for the frame in pp.
void NormThresholds(short* upper, short* lower);

// Array moves on doubles: 0 on success, or one of these errors.
constexpr int kErrCountTooSmall = -20003;
constexpr int kErrShiftTooLarge = -20102;
int Shift(const double* input, int count, int shift, double* output);
int Copy1D(const double* input, int count, double* output);
