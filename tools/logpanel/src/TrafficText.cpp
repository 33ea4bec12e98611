#include "TrafficText.h"

#include <algorithm>

namespace logpanel {

namespace {

// A request's order word, at bytes 2 and 3.
constexpr int kOrderOffset = 2;

QString orderName(int order) {
    switch (order) {
    case ORDER_WRITE_RAM:
        return QStringLiteral("write RAM");
    case ORDER_READ_RAM:
        return QStringLiteral("read RAM");
    case ORDER_WRITE_EEPROM:
        return QStringLiteral("write EEPROM");
    case ORDER_READ_EEPROM:
        return QStringLiteral("read EEPROM");
    // Also Button teach's request: the wire does not tell the two apart.
    case ORDER_LINE_CHECK:
        return QStringLiteral("echo check");
    case ORDER_TEACH:
        return QStringLiteral("teach");
    case ORDER_FIRMWARE:
        return QStringLiteral("firmware info");
    case ORDER_MEASUREMENT:
        return QStringLiteral("measurement");
    case ORDER_DATA_BLOCK:
        return QStringLiteral("data block");
    default:
        return QStringLiteral("unknown order");
    }
}

QString hex(const QByteArray& bytes) {
    const QString shown = QString::fromLatin1(
        bytes.first(std::min<qsizetype>(bytes.size(), kShownBytes)).toHex(' ').toUpper());
    if (bytes.size() <= kShownBytes)
        return shown;
    return QStringLiteral("%1 ... %2 more bytes").arg(shown).arg(bytes.size() - kShownBytes);
}

} // namespace

QString sentText(const QByteArray& bytes) {
    if (bytes.size() < kOrderOffset + 2)
        return QStringLiteral("-> %1 bytes  %2").arg(bytes.size()).arg(hex(bytes));
    const int order = static_cast<unsigned char>(bytes[kOrderOffset]) * 256 +
                      static_cast<unsigned char>(bytes[kOrderOffset + 1]);
    return QStringLiteral("-> %1 %2 (%3 bytes)  %4")
        .arg(order)
        .arg(orderName(order))
        .arg(bytes.size())
        .arg(hex(bytes));
}

QString receivedText(const QByteArray& bytes, int expected, bool malformed) {
    if (malformed)
        return QStringLiteral("<- %1 bytes, MALFORMED: not begun as its request  %2")
            .arg(bytes.size())
            .arg(hex(bytes));
    if (bytes.size() < expected)
        return QStringLiteral("<- %1 bytes, SHORT by %2 of %3  %4")
            .arg(bytes.size())
            .arg(expected - bytes.size())
            .arg(expected)
            .arg(hex(bytes));
    return QStringLiteral("<- %1 bytes  %2").arg(bytes.size()).arg(hex(bytes));
}

QString droppedText(const QByteArray& bytes) {
    return QStringLiteral("<- %1 EXTRA bytes dropped  %2").arg(bytes.size()).arg(hex(bytes));
}

QString skippedText(const QByteArray& bytes) {
    return QStringLiteral("<- %1 STRAY %2 ahead of the reply skipped  %3")
        .arg(bytes.size())
        .arg(bytes.size() == 1 ? QStringLiteral("byte") : QStringLiteral("bytes"), hex(bytes));
}

} // namespace logpanel
