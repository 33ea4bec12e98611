#include "CsvRecording.h"

#include <linklog/Escaped.h>

#include <iterator>

namespace livetools {

namespace {

// A time a spreadsheet takes as a date and time when it opens the file: local, without the ISO
// "T" or an offset.
constexpr const char* kSpreadsheetTime = "yyyy-MM-dd HH:mm:ss.zzz";

} // namespace

QString csvHeaderRow() {
    QStringList names{QStringLiteral("time"), QStringLiteral("seconds_since_run_start")};
    // The frame's words, each by its role in a measurement frame.
    const char* const roles[] = {"raw1",       "raw2",
                                 "raw3",       "raw4",
                                 "normalised", "power0",
                                 "power1",     "teach_ab",
                                 "teach_cd",   "teach_threshold",
                                 "inputs",     "reported_tolerance"};
    for (int word = 0; word < 16; ++word)
        names << (word < int(std::size(roles))
                      ? QStringLiteral("w%1_%2").arg(word).arg(QLatin1String(roles[word]))
                      : QStringLiteral("w%1").arg(word));
    // What the panel showed.
    names << QStringLiteral("raw1") << QStringLiteral("raw2") << QStringLiteral("raw3")
          << QStringLiteral("raw4") << QStringLiteral("normalised") << QStringLiteral("reference")
          << QStringLiteral("upper_threshold") << QStringLiteral("lower_threshold")
          << QStringLiteral("input1") << QStringLiteral("input2");
    names << QStringLiteral("port") << QStringLiteral("firmware");
    return names.join(QLatin1Char(','));
}

QString csvRow(const RecordedFrame& frame, const RecordingContext* context) {
    QStringList fields{frame.time.toString(QLatin1String(kSpreadsheetTime)),
                       QString::number(frame.secondsSinceRunStart, 'f', 3)};
    for (const unsigned short word : frame.words)
        fields << QString::number(word);
    for (const std::optional<double>& value : frame.shown)
        fields << (value ? QString::number(*value, 'g', 12) : QString());
    fields << (context ? csvText(context->port) : QString())
           << (context ? csvText(context->firmware) : QString());
    return fields.join(QLatin1Char(','));
}

QString csvText(const QString& text) {
    QString field = linklog::escaped(text);
    field.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + field + QLatin1Char('"');
}

bool CsvRecording::open(const QString& path, const RecordingContext& context) {
    m_rows = 0;
    m_context = context;
    // Each row reaches the file as it is written, and a full disk shows at once.
    if (!m_file.open(path))
        return false;
    return writeLine(csvHeaderRow());
}

bool CsvRecording::write(const RecordedFrame& frame) {
    if (!writeLine(csvRow(frame, m_rows == 0 ? &m_context : nullptr)))
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
