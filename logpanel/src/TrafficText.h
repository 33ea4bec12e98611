// The frames on the wire as the log shows them: direction, the order or the byte count, what
// is short or extra, then the bytes in hex.
#pragma once

#include <QByteArray>
#include <QString>

namespace logpanel {

QString sentText(const QByteArray& bytes);
// What a read took, of the count it asked for.
QString receivedText(const QByteArray& bytes, int expected);
// Bytes no read will see: after a reply, or before a request had left the line.
QString droppedText(const QByteArray& bytes);

} // namespace logpanel
