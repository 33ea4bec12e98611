#include "TextReply.h"

#include <algorithm>

namespace platform {

namespace {

constexpr unsigned char kTextOrderHigh = 0;
constexpr unsigned char kTextOrderLow = 7;
// A trailing CR LF, a checksum or a few zeros; a longer run ahead of a text is more likely a
// sensor whose high bytes are not zero, read as it stands.
constexpr qsizetype kMostStrayBytes = 8;

bool evenBytesZero(QByteArrayView bytes) {
    for (qsizetype i = 0; i < bytes.size(); i += 2)
        if (bytes[i] != 0)
            return false;
    return true;
}

bool readsAsTextStart(QByteArrayView bytes) {
    return bytes.size() >= 2 && bytes[1] != 0 && evenBytesZero(bytes);
}

} // namespace

bool asksForText(QByteArrayView request) {
    return request.size() >= 4 && static_cast<unsigned char>(request[2]) == kTextOrderHigh &&
           static_cast<unsigned char>(request[3]) == kTextOrderLow;
}

qsizetype strayAheadOfText(QByteArrayView input) {
    if (readsAsTextStart(input))
        return 0;
    const qsizetype most = std::min(kMostStrayBytes, input.size() - 2);
    for (qsizetype stray = 1; stray <= most; ++stray)
        if (readsAsTextStart(input.sliced(stray)))
            return stray;
    return 0;
}

} // namespace platform
