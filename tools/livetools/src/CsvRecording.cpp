#include "CsvRecording.h"

#include <linklog/Escaped.h>

namespace livetools {

QString csvHeaderRow() {
    QStringList names{QStringLiteral("time"), QStringLiteral("seconds_since_run_start")};
    for (int word = 0; word < 16; ++word)
        names << QStringLiteral("word%1").arg(word);
    names << QStringLiteral("raw1") << QStringLiteral("raw2") << QStringLiteral("raw3")
          << QStringLiteral("raw4") << QStringLiteral("normalised") << QStringLiteral("reference")
          << QStringLiteral("upper_threshold") << QStringLiteral("lower_threshold")
          << QStringLiteral("input1") << QStringLiteral("input2");
    return names.join(QLatin1Char(','));
}

QString csvRow(const RecordedFrame& frame) {
    QStringList fields{frame.time.toString(Qt::ISODateWithMs),
                       QString::number(frame.secondsSinceRunStart, 'f', 3)};
    for (const unsigned short word : frame.words)
        fields << QString::number(word);
    for (const std::optional<double>& value : frame.shown)
        fields << (value ? QString::number(*value, 'g', 12) : QString());
    return fields.join(QLatin1Char(','));
}

QString csvComment(const QString& text) {
    // What a CSV reader would split at is escaped as well.
    return QStringLiteral("# ") + linklog::escaped(text, u",\"");
}

bool CsvRecording::open(const QString& path, const QStringList& comments) {
    m_rows = 0;
    // Each row reaches the file as it is written, and a full disk shows at once.
    if (!m_file.open(path))
        return false;
    for (const QString& comment : comments)
        if (!writeLine(csvComment(comment)))
            return false;
    return writeLine(csvHeaderRow());
}

bool CsvRecording::write(const RecordedFrame& frame) {
    if (!writeLine(csvRow(frame)))
        return false;
    ++m_rows;
    return true;
}

bool CsvRecording::fileStillThere() {
    if (m_file.stillAtPath())
        return true;
    m_file.close();
    return false;
}

bool CsvRecording::writeLine(const QString& line) {
    return m_file.write((line + QStringLiteral("\r\n")).toUtf8());
}

} // namespace livetools
