#include <linklog/Escaped.h>

#include <algorithm>

namespace linklog {

namespace {

// Line and paragraph separators end a line in a text view; the bidirectional embeddings,
// overrides and isolates turn the rest of a line around, time stamp and all.
bool breaksTheLine(char16_t code) {
    return code == 0x2028 || code == 0x2029 || (code >= 0x202a && code <= 0x202e) ||
           (code >= 0x2066 && code <= 0x2069);
}

bool needsEscape(QChar c, QStringView alsoEscaped) {
    const char16_t code = c.unicode();
    return code == u'\\' || code < 0x20 || (code >= 0x7f && code < 0xa0) || breaksTheLine(code) ||
           alsoEscaped.contains(c);
}

} // namespace

QString escaped(const QString& text, QStringView alsoEscaped) {
    // Most texts hold nothing to escape, the traffic view's lines among them.
    if (std::none_of(text.begin(), text.end(),
                     [alsoEscaped](QChar c) { return needsEscape(c, alsoEscaped); }))
        return text;
    QString line;
    line.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code == u'\\')
            line += QStringLiteral("\\\\");
        else if (code == u'\r')
            line += QStringLiteral("\\r");
        else if (code == u'\n')
            line += QStringLiteral("\\n");
        else if (code == u'\t')
            line += QStringLiteral("\\t");
        else if (breaksTheLine(code))
            line += QStringLiteral("\\u%1").arg(static_cast<uint>(code), 4, 16, QLatin1Char('0'));
        else if (needsEscape(c, alsoEscaped))
            line += QStringLiteral("\\x%1").arg(static_cast<uint>(code), 2, 16, QLatin1Char('0'));
        else
            line += c;
    }
    return line;
}

} // namespace linklog
