// Copying and shifting arrays of doubles; input and output may be the same array.
#include <gui/gui.h>

#include <cstdlib>

int Copy1D(const double* input, int count, double* output) {
    if (count < 1)
        return kErrCountTooSmall;
    for (int i = 0; i < count; ++i)
        output[i] = input[i];
    return 0;
}

int Shift(const double* input, int count, int shift, double* output) {
    if (count < 1)
        return kErrCountTooSmall;
    if (std::abs(shift) >= count)
        return kErrShiftTooLarge;
    if (shift == 0)
        return Copy1D(input, count, output);
    // Copying away from the direction of the shift keeps an in-place shift intact.
    if (shift > 0) {
        for (int i = count - shift - 1; i >= 0; --i)
            output[i + shift] = input[i];
        for (int i = 0; i < shift; ++i)
            output[i] = 0.0;
    } else {
        const int by = -shift;
        for (int i = 0; i < count - by; ++i)
            output[i] = input[i + by];
        for (int i = count - by; i < count; ++i)
            output[i] = 0.0;
    }
    return 0;
}
