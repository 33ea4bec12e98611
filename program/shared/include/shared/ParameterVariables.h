// The parameter set and the live view's histories (module gui), defined here so that every
// module sees them. Each says who writes it and who reads it.
#pragma once

#include <platform/util.h>

#include <algorithm>
#include <iterator>

// The sixteen parameter variables, one per word of the parameter packet. Written by the panel
// read (GetPanelValues), by a received or loaded parameter set (CopyPPtoVars) and by the
// clamps; read by every request (CopyVarsToPP), the panel write-back and the normalised chart.
inline unsigned short power0, power1, reference, tolerance, hwMode, polarity, anaMode, evalMode,
    average, teachAB, teachCD, teachTHD, free12, free13, free14, free15;

// Lamp word of the last measurement frame. Written by the plots; read by the lamps after every
// parameter read.
inline unsigned short inputs;

// Transfer target of Get and Send.
constexpr int RAM = 1;
constexpr int EEPROM = 2;
constexpr int DATFILE = 3;
// Written by InitVars, the target buttons and the connect sequence; read by Get and Send.
inline int target = RAM;

// The path chosen last in the file dialog. Written by the dialogs; read by the file operations.
inline char file_name[kMaxPathnameLen];

// The live view's strip charts: 100 samples of each trace, oldest first, interleaved. Each
// written only by its own plot, and handed whole to its chart.
constexpr int HISTORY = 100;
constexpr int RAW_TRACES = 5;
constexpr int NORM_TRACES = 4;
inline double arrayRAW[HISTORY * RAW_TRACES];
inline double arrayNORM[HISTORY * NORM_TRACES];
// The normalised chart's thresholds and signal of the last frame. Written by its plot.
inline short upTHR, loTHR, valNORM;

// The variables as they are when the program is loaded.
inline void ResetParameterVariables() {
    for (unsigned short* word :
         {&power0, &power1, &reference, &tolerance, &hwMode, &polarity, &anaMode, &evalMode,
          &average, &teachAB, &teachCD, &teachTHD, &free12, &free13, &free14, &free15, &inputs})
        *word = 0;
    target = RAM;
    std::fill(std::begin(file_name), std::end(file_name), '\0');
    std::fill(std::begin(arrayRAW), std::end(arrayRAW), 0.0);
    std::fill(std::begin(arrayNORM), std::end(arrayNORM), 0.0);
    upTHR = loTHR = valNORM = 0;
}
