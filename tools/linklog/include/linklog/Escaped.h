// Text from outside the tool (a sensor's firmware text, device and file names, the system's
// error texts) made safe to write as one line: control characters become escapes, so that an
// entry stays on its line and no terminal sequence reaches whoever reads the file.
#pragma once

#include <QString>
#include <QStringView>

namespace linklog {

// The backslash as \\, CR, LF and tab as \r, \n and \t, every other C0 or C1 control character
// and DEL as \xhh, the line and paragraph separators and the bidirectional embeddings,
// overrides and isolates (U+2028 to U+202E, U+2066 to U+2069) as \uhhhh, and so the characters
// listed in alsoEscaped.
QString escaped(const QString& text, QStringView alsoEscaped = {});

} // namespace linklog
