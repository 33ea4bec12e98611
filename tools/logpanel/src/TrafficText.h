// The frames on the wire as the log shows them: direction, the order or the byte count, what
// is short, extra or malformed, then the bytes in hex: at most kShownBytes of them, so that a
// device that floods the line still makes lines one can read.
#pragma once

#include <door/door.h>

#include <QByteArray>
#include <QString>

namespace logpanel {

// The longest reply, the data block.
constexpr int kShownBytes = DATA_BLOCK_BYTES;

QString sentText(const QByteArray& bytes);
// What a read took, of the count it asked for; malformed when a frame does not begin as its
// request did.
QString receivedText(const QByteArray& bytes, int expected, bool malformed = false);
// Bytes no read will see: after a reply, or before a request had left the line.
QString droppedText(const QByteArray& bytes);
// Stray bytes ahead of a reply's header.
QString skippedText(const QByteArray& bytes);

} // namespace logpanel
