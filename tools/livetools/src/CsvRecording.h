// A recording of the live view: one CSV row a measurement frame, written as it comes, so that
// a crash or a pulled cable loses nothing already shown.
#pragma once

#include <safefile/OutputFile.h>

#include <QDateTime>
#include <QString>

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

// Where a recording was made: given once, in its first row.
struct RecordingContext {
    QString port;
    QString firmware;
};

// The header row, the file's first line, and one row of a frame, the first with its context.
QString csvHeaderRow();
QString csvRow(const RecordedFrame& frame, const RecordingContext* context);
// A text field: quoted, quotes doubled, and backslashes and control characters written as
// escapes (\\, \r, \n, \t, \xhh), so that it stays one field on one line whatever it holds.
QString csvText(const QString& text);

class CsvRecording {
public:
    // Creates the file and writes the header row; false with the reason in error() when it
    // cannot.
    bool open(const QString& path, const RecordingContext& context);
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
    RecordingContext m_context;
    int m_rows = 0;
};

} // namespace livetools
