// The tools of one panel's live view, and what they keep: each chart's view and history,
// and the recording.
#pragma once

#include "ChartView.h"
#include "CsvRecording.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <span>

class QComboBox;
class QLabel;
class QPushButton;

namespace linklog {
class LinkLog;
}

namespace livetools {

class LiveToolsPanel : public QObject {
    Q_OBJECT
public:
    LiveToolsPanel(int panel, linklog::LinkLog& log);

    ChartView& rawView() { return *m_raw; }
    ChartView& normView() { return *m_norm; }

private:
    void addControls();
    void takeFrame(int control, std::span<const double> newest);
    void record(const RecordedFrame& frame);
    void setPaused(bool paused);
    void setSpan(int choice);
    void startOrStopRecording();
    void startRecording(const QString& path);
    // With a failure, the recording ends with it on the status line.
    void stopRecording(const QString& failure = {});
    void checkRecordingFile();
    // The file, how long it has recorded and its rows, beside the readout.
    void showRecordingState();
    void exportChart();
    // A PDF is a service report: the operator adds a note first.
    void askReportNote(const QString& path);
    void saveReport(const QString& path, const QString& note);
    // Logs `saved`, or puts `cannot` with the reason on the status line.
    void saveFile(const QString& path, const QByteArray& bytes, const QString& saved,
                  const QString& cannot);
    // The port in use and its device.
    QString portText() const;
    void copyValues();
    // The chart the signal type chooses.
    ChartView& chosenView();
    // The file dialog, which lets a live view go on meanwhile.
    void chooseFile(const QString& fileName, const QString& filter, const QString& title,
                    std::function<void(const QString&)> chosen);
    void fail(const QString& text);

    int m_panel;
    linklog::LinkLog& m_log;
    ChartView* m_raw;
    ChartView* m_norm;
    CsvRecording m_recording;
    // Looks a few times a second whether the recording's file is still where it was written.
    QTimer m_fileCheck;
    // When a frame last had the file checked, by the program's clock; a run starts it afresh.
    double m_fileCheckedAt = 0.0;
    double m_runStart = 0.0;
    QPushButton* m_pause = nullptr;
    QPushButton* m_record = nullptr;
    QComboBox* m_span = nullptr;
    QLabel* m_readout = nullptr;
    QLabel* m_recordingState = nullptr;
    QElapsedTimer m_recordingSince;
};

} // namespace livetools
