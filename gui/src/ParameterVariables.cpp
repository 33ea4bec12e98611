#include <gui/gui.h>

unsigned short power0, power1, reference, tolerance, hwMode, polarity, anaMode, evalMode, average,
    teachAB, teachCD, teachTHD, free12, free13, free14, free15;

unsigned short inputs;

int target = RAM;
