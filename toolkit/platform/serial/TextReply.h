// The sensor answers its firmware query with a text of raw bytes instead of a frame: one
// character in the low byte of each word, the high byte first and zero. Such a reply has no
// header to find its start by, yet its words are counted from its first byte: a stray byte
// ahead of it (a CR or zeros trailing the reply before, come once the query had left the
// line) would move every character.
#pragma once

#include <QByteArrayView>

namespace platform {

// The text's length: 32 words. What comes behind it is no part of it.
constexpr qsizetype kTextReplyBytes = 64;

// Whether a request is the firmware query: a frame whose order word (bytes 2 and 3) is 7.
bool asksForText(QByteArrayView request);

// How many of the leading bytes that have come are stray: none while they read as the text's
// start (every even byte zero, the first character not), else the fewest, at most eight, whose
// dropping makes them read so. Where no count does (all zeros so far: an empty text, or one not
// yet begun), none: the bytes are taken as they stand.
qsizetype strayAheadOfText(QByteArrayView input);

} // namespace platform
