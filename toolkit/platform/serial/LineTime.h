// How long bytes take on an asynchronous serial line: each byte goes out framed by a start
// bit, its data bits, a parity bit where there is one, and its stop bits.
#pragma once

#include <chrono>

namespace platform {

constexpr int bitsPerByte(int dataBits, int parity, int stopBits) {
    constexpr int startBits = 1;
    return startBits + dataBits + (parity != 0 ? 1 : 0) + stopBits;
}

// Nothing for a port whose rate is not known.
constexpr std::chrono::nanoseconds lineTime(int bytes, int bitsPerByte, int baudRate) {
    if (baudRate <= 0)
        return std::chrono::nanoseconds::zero();
    const std::chrono::nanoseconds perSecond = std::chrono::seconds(1);
    return std::chrono::nanoseconds(static_cast<long long>(bytes) * bitsPerByte *
                                    perSecond.count() / baudRate);
}

} // namespace platform
