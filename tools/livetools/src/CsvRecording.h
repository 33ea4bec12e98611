// A recording of the live view: one CSV row a measurement frame, written as it comes, so that
// a crash or a pulled cable loses nothing already shown.
#pragma once

#include <safefile/OutputFile.h>

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace livetools {

// One frame as received and as the panel showed it.
struct RecordedFrame {
    QDateTime time;
    double secondsSinceRunStart;
    std::array<unsigned short, 16> words;
    // Raw 1 to 4, normalised signal, reference, upper and lower threshold, input 1 and 2;
    // empty where the chart shown does not show the value.
    std::array<std::optional<double>, 10> shown;
};

// The header row, and one row of a frame.
QString csvHeaderRow();
QString csvRow(const RecordedFrame& frame);
// A comment line: "# " and the text, with backslashes, control characters, commas and quotes
// written as escapes (\\, \r, \n, \t, \xhh), so that a CSV reader takes the line as a single
// field starting with "#" whatever the text holds.
QString csvComment(const QString& text);

class CsvRecording {
public:
    // Creates the file and writes the comment lines and the header row; false with the
    // reason in error() when it cannot.
    bool open(const QString& path, const QStringList& comments);
    // Writes one row through to the file, whole or not at all; false, the file closed, when it
    // cannot.
    bool write(const RecordedFrame& frame);
    // False, the file closed, when its name no longer leads to it (deleted, moved, replaced).
    bool fileStillThere();
    void close() { m_file.close(); }

    bool isOpen() const { return m_file.isOpen(); }
    QString path() const { return m_file.path(); }
    QString error() const { return m_file.error(); }
    int rows() const { return m_rows; }

private:
    bool writeLine(const QString& line);

    safefile::OutputFile m_file;
    int m_rows = 0;
};

} // namespace livetools
