#include "LiveToolsPanel.h"

#include "ChartImage.h"

#include <livetools/LiveTools.h>

#include <door/door.h>
#include <linklog/LinkLog.h>
#include <paramguard/ListedSet.h>
#include <platform/attach.h>
#include <platform/ui.h>
#include <platform/util.h>
#include <report/ServiceReport.h>
#include <safefile/WholeFile.h>

#include <QApplication>
#include <QBoxLayout>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include <algorithm>
#include <array>
#include <chrono>

namespace livetools {

namespace {

// What Pause holds still besides the charts.
constexpr std::array kDisplays{CTRL_RAW_1,     CTRL_RAW_2,      CTRL_RAW_3,
                               CTRL_RAW_4,     CTRL_NORMALISED, CTRL_REPORTED_TOLERANCE,
                               CTRL_LAMP_BIT0, CTRL_LAMP_BIT1};
// The history choices: the system's samples, the last minute, the last ten minutes.
constexpr std::array kSpans{0.0, 60.0, 600.0};
// Twice a second: a recording whose file has gone says so within a second.
constexpr std::chrono::milliseconds kFileCheckEvery{500};
constexpr double kFileCheckSeconds = std::chrono::duration<double>(kFileCheckEvery).count();

int value(int panel, int control) {
    int shown = 0;
    GetCtrlVal(panel, control, &shown);
    return shown;
}

QPushButton* addButton(QBoxLayout* row, const QString& text, const QString& tip, const char* name) {
    auto* button = new QPushButton(text);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(tip);
    row->addWidget(button);
    return button;
}

// The item of the layout that holds the widget, itself or in a layout of its own (the two
// charts share one place).
int itemHolding(QLayout* layout, QWidget* widget) {
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->widget() == widget || (item->layout() && item->layout()->indexOf(widget) >= 0))
            return i;
    }
    return -1;
}

QString recordingState(const QString& file, qint64 seconds, int rows) {
    return LiveToolsPanel::tr("Recording %1: %2:%3, %4 rows")
        .arg(file)
        .arg(seconds / 60)
        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        .arg(rows);
}

} // namespace

LiveToolsPanel::LiveToolsPanel(int panel, linklog::LinkLog& log)
    : QObject(platform::panelWidget(panel)), m_panel(panel), m_log(log),
      m_raw(new ChartView(platform::controlWidget(panel, CTRL_RAW_CHART))),
      m_norm(new ChartView(platform::controlWidget(panel, CTRL_NORM_CHART))) {
    addControls();
    platform::onChartPlotted(
        [self = QPointer(this)](int plotted, int control, std::span<const double> newest) {
            if (self && plotted == self->m_panel)
                self->takeFrame(control, newest);
        });
    connect(qobject_cast<QPushButton*>(platform::controlWidget(panel, CTRL_RUN)),
            &QPushButton::clicked, this, [this] {
                m_runStart = Timer();
                m_fileCheckedAt = m_runStart;
                m_raw->markRunStart();
                m_norm->markRunStart();
            });
    m_fileCheck.setInterval(kFileCheckEvery);
    connect(&m_fileCheck, &QTimer::timeout, this, &LiveToolsPanel::checkRecordingFile);
}

void LiveToolsPanel::addControls() {
    QWidget* chart = platform::controlWidget(m_panel, CTRL_RAW_CHART);
    auto* column = qobject_cast<QBoxLayout*>(chart->parentWidget()->layout());
    auto* row = new QHBoxLayout;
    column->insertLayout(itemHolding(column, chart), row);

    m_pause = addButton(row, tr("Pause"),
                        tr("Hold the chart and the displays still; the live view goes on "
                           "reading (Ctrl+P)"),
                        "pauseButton");
    m_pause->setCheckable(true);
    m_pause->setShortcut(QKeySequence(tr("Ctrl+P")));
    connect(m_pause, &QPushButton::toggled, this, &LiveToolsPanel::setPaused);
    QPushButton* fit =
        addButton(row, tr("Fit"),
                  tr("Back to the automatic fit after zooming or dragging; a double-click on "
                     "the chart does the same"),
                  "fitButton");
    connect(fit, &QPushButton::clicked, this, [this] {
        m_raw->fitToData();
        m_norm->fitToData();
    });

    auto* spanLabel = new QLabel(tr("&History"));
    m_span = new QComboBox;
    m_span->setObjectName(QStringLiteral("historyRing"));
    m_span->setAccessibleName(tr("History"));
    m_span->addItems({tr("100 samples"), tr("Last minute"), tr("Last 10 minutes")});
    m_span->setToolTip(tr("How much of the history the chart shows"));
    m_span->setFocusPolicy(Qt::StrongFocus);
    spanLabel->setBuddy(m_span);
    row->addWidget(spanLabel);
    row->addWidget(m_span);
    connect(m_span, &QComboBox::activated, this, &LiveToolsPanel::setSpan);

    m_record =
        addButton(row, tr("Record..."),
                  tr("Write every measurement frame to a CSV file until stopped"), "recordButton");
    m_record->setCheckable(true);
    // Wide enough for either text from the start: a recording does not widen the window.
    m_record->setText(tr("Stop recording"));
    m_record->setMinimumWidth(m_record->sizeHint().width());
    m_record->setText(tr("Record..."));
    connect(m_record, &QPushButton::clicked, this, &LiveToolsPanel::startOrStopRecording);
    connect(addButton(row, tr("Export..."),
                      tr("Save the chart shown as PNG, or a service report of the sensor as PDF"),
                      "exportButton"),
            &QPushButton::clicked, this, &LiveToolsPanel::exportChart);
    QPushButton* copy = addButton(row, tr("Copy values"),
                                  tr("Copy the displays, the lamps and the status line as "
                                     "text (Ctrl+Shift+C)"),
                                  "copyValuesButton");
    copy->setShortcut(QKeySequence(tr("Ctrl+Shift+C")));
    connect(copy, &QPushButton::clicked, this, &LiveToolsPanel::copyValues);
    row->addStretch();

    const QString hint = tr("Point at the chart to read its values; the wheel zooms, "
                            "dragging pans, a double-click fits");
    m_readout = new QLabel(hint);
    m_readout->setObjectName(QStringLiteral("cursorReadout"));
    m_readout->setAccessibleName(tr("Chart readout"));
    m_recordingState = new QLabel;
    m_recordingState->setObjectName(QStringLiteral("recordingState"));
    m_recordingState->setAccessibleName(tr("Recording"));
    m_recordingState->hide();
    // Opaque, so that its new text repaints the label alone and not the panel behind it.
    m_recordingState->setAutoFillBackground(true);
    // Cut short rather than widening the window.
    for (QLabel* label : {m_readout, m_recordingState})
        label->setMinimumWidth(1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_readout, 1);
    bottom->addWidget(m_recordingState);
    column->addLayout(bottom);
    for (ChartView* view : {m_raw, m_norm})
        connect(view, &ChartView::readoutChanged, m_readout, [this, hint](const QString& text) {
            m_readout->setText(text.isEmpty() ? hint : text);
        });
}

void LiveToolsPanel::takeFrame(int control, std::span<const double> newest) {
    if (control != CTRL_RAW_CHART && control != CTRL_NORM_CHART)
        return;
    const double now = Timer();
    // The chart not shown takes the same frame on the same clock: both keep their histories
    // whichever is shown, on one time axis.
    if (control == CTRL_RAW_CHART) {
        m_raw->takeFrame(now, newest);
        m_norm->takeFrame(now, door::normalisedTraces(), false);
    } else {
        m_norm->takeFrame(now, newest);
        m_raw->takeFrame(now, door::rawTraces(), false);
    }
    // While a run lasts, on its own clock: the timer's events wait for its passes.
    if (m_recording.isOpen() && now - m_fileCheckedAt >= kFileCheckSeconds) {
        m_fileCheckedAt = now;
        checkRecordingFile();
    }
    if (!m_recording.isOpen())
        return;
    RecordedFrame frame{QDateTime::currentDateTime(), now - m_runStart, {}, {}};
    frame.words = door::lastPacket();
    if (control == CTRL_NORM_CHART && newest.size() >= 2) {
        frame.shown[6] = newest[0];
        frame.shown[7] = newest[1];
    }
    // The lamps are set after the chart: the row is completed once the frame is shown.
    QMetaObject::invokeMethod(
        this, [this, frame] { record(frame); }, Qt::QueuedConnection);
}

void LiveToolsPanel::record(const RecordedFrame& shownFrame) {
    if (!m_recording.isOpen())
        return;
    RecordedFrame frame = shownFrame;
    const std::array sources{CTRL_RAW_1,      CTRL_RAW_2,     CTRL_RAW_3,     CTRL_RAW_4,
                             CTRL_NORMALISED, CTRL_REFERENCE, CTRL_LAMP_BIT0, CTRL_LAMP_BIT1};
    const std::array columns{0, 1, 2, 3, 4, 5, 8, 9};
    for (std::size_t i = 0; i < sources.size(); ++i)
        frame.shown[static_cast<std::size_t>(columns[i])] = value(m_panel, sources[i]);
    if (!m_recording.write(frame))
        stopRecording(tr("Recording stopped: cannot write %1: %2")
                          .arg(m_recording.path(), m_recording.error()));
}

void LiveToolsPanel::setPaused(bool paused) {
    for (const int display : kDisplays)
        platform::freezeControl(m_panel, display, paused);
    m_raw->setPaused(paused);
    m_norm->setPaused(paused);
    // A button's new text clears its shortcut; Ctrl+P must resume as it paused.
    const QKeySequence shortcut = m_pause->shortcut();
    m_pause->setText(paused ? tr("Resume") : tr("Pause"));
    m_pause->setShortcut(shortcut);
}

void LiveToolsPanel::setSpan(int choice) {
    // A new view shows the present.
    m_pause->setChecked(false);
    const double seconds = kSpans[static_cast<std::size_t>(std::clamp(choice, 0, 2))];
    m_raw->setSpan(seconds);
    m_norm->setSpan(seconds);
}

void LiveToolsPanel::startOrStopRecording() {
    if (m_recording.isOpen()) {
        stopRecording();
        return;
    }
    // Checked once a file records.
    m_record->setChecked(false);
    chooseFile(
        QStringLiteral("live-view-%1.csv")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"))),
        QStringLiteral("*.csv"), tr("Record the live view to"),
        [this](const QString& path) { startRecording(path); });
}

void LiveToolsPanel::startRecording(const QString& path) {
    if (path.isEmpty())
        return;
    const RecordingContext context{portText(), QString::fromLatin1(door::firmwareText())};
    if (!m_recording.open(path, context)) {
        fail(tr("Cannot record to %1: %2").arg(path, m_recording.error()));
        return;
    }
    m_record->setChecked(true);
    m_record->setText(tr("Stop recording"));
    m_recordingSince.start();
    // As wide from the start as it will be, so that its changing text repaints it alone rather
    // than laying out the row again: room for a 24-character name, an hour and a million rows.
    m_recordingState->setFixedWidth(m_recordingState->fontMetrics().horizontalAdvance(
        recordingState(QString(24, QLatin1Char('M')), 3599, 9999999)));
    showRecordingState();
    m_recordingState->show();
    m_fileCheck.start();
    m_log.append(linklog::EntryKind::Note, tr("Recording the live view to %1").arg(path));
}

void LiveToolsPanel::stopRecording(const QString& failure) {
    m_fileCheck.stop();
    if (!failure.isEmpty())
        fail(failure);
    else if (m_recording.isOpen())
        m_log.append(
            linklog::EntryKind::Note,
            tr("Recording ended: %1 frames in %2").arg(m_recording.rows()).arg(m_recording.path()));
    m_recording.close();
    m_recordingState->hide();
    m_record->setChecked(false);
    m_record->setText(tr("Record..."));
}

void LiveToolsPanel::checkRecordingFile() {
    if (m_recording.isOpen() && !m_recording.fileStillThere())
        stopRecording(tr("Recording stopped: %1: %2").arg(m_recording.path(), m_recording.error()));
    else
        showRecordingState();
}

void LiveToolsPanel::showRecordingState() {
    const QString text = recordingState(QFileInfo(m_recording.path()).fileName(),
                                        m_recordingSince.elapsed() / 1000, m_recording.rows());
    m_recordingState->setText(m_recordingState->fontMetrics().elidedText(
        text, Qt::ElideMiddle, m_recordingState->width()));
    m_recordingState->setToolTip(m_recording.path());
}

void LiveToolsPanel::exportChart() {
    chooseFile(QStringLiteral("chart.png"), QStringLiteral("*.png *.pdf"),
               tr("Export the chart, or a service report as PDF, to"), [this](QString path) {
                   if (path.isEmpty())
                       return;
                   if (path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
                       askReportNote(path);
                       return;
                   }
                   if (!path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
                       path += QLatin1String(".png");
                   saveFile(path, pngOf(*chosenView().plot()), tr("Chart exported to %1"),
                            tr("Cannot export the chart to %1: %2"));
               });
}

void LiveToolsPanel::askReportNote(const QString& path) {
    // Opened without waiting, so that a live view goes on meanwhile.
    auto* dialog = new QInputDialog(platform::panelWidget(m_panel));
    dialog->setObjectName(QStringLiteral("reportNoteDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(tr("Service report"));
    dialog->setOption(QInputDialog::UsePlainTextEditForTextInput);
    dialog->setLabelText(tr("&Note for the report (may stay empty):"));
    dialog->setOkButtonText(tr("&Save report"));
    connect(dialog, &QInputDialog::textValueSelected, this,
            [this, path](const QString& note) { saveReport(path, note); });
    dialog->open();
}

void LiveToolsPanel::saveReport(const QString& path, const QString& note) {
    const auto* chart =
        qobject_cast<QComboBox*>(platform::controlWidget(m_panel, CTRL_SIGNAL_TYPE));
    const report::ServiceReport contents{
        QDateTime::currentDateTime(),
        portText(),
        QString::fromLatin1(door::firmwareText()),
        paramguard::listedSet(m_panel),
        tr("Chart: %1, %2").arg(chart ? chart->currentText() : QString(), m_span->currentText()),
        printImageOf(*chosenView().plot()),
        note};
    saveFile(path, report::reportPdf(contents), tr("Service report saved to %1"),
             tr("Cannot save the service report to %1: %2"));
}

void LiveToolsPanel::saveFile(const QString& path, const QByteArray& bytes, const QString& saved,
                              const QString& cannot) {
    QString why;
    if (safefile::saveWhole(path, bytes, why))
        m_log.append(linklog::EntryKind::Note, saved.arg(path));
    else
        fail(cannot.arg(path, why));
}

QString LiveToolsPanel::portText() const {
    const int port = door::portInUse();
    return tr("COM%1 %2").arg(port).arg(platform::portDevice(port));
}

void LiveToolsPanel::copyValues() {
    const auto lamp = [this](int control) {
        return value(m_panel, control) ? tr("on") : tr("off");
    };
    const auto* status = qobject_cast<QLabel*>(platform::controlWidget(m_panel, CTRL_STATUS));
    const QStringList lines{
        tr("Time: %1").arg(QDateTime::currentDateTime().toString(Qt::ISODateWithMs)),
        tr("Status: %1").arg(status ? status->text() : QString()),
        tr("Raw 1: %1").arg(value(m_panel, CTRL_RAW_1)),
        tr("Raw 2: %1").arg(value(m_panel, CTRL_RAW_2)),
        tr("Raw 3: %1").arg(value(m_panel, CTRL_RAW_3)),
        tr("Raw 4: %1").arg(value(m_panel, CTRL_RAW_4)),
        tr("Normalised: %1").arg(value(m_panel, CTRL_NORMALISED)),
        tr("Tolerance: %1").arg(value(m_panel, CTRL_REPORTED_TOLERANCE)),
        tr("Input 1: %1").arg(lamp(CTRL_LAMP_BIT0)),
        tr("Input 2: %1").arg(lamp(CTRL_LAMP_BIT1))};
    QApplication::clipboard()->setText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

ChartView& LiveToolsPanel::chosenView() {
    return value(m_panel, CTRL_SIGNAL_TYPE) == 0 ? *m_raw : *m_norm;
}

void LiveToolsPanel::chooseFile(const QString& fileName, const QString& filter,
                                const QString& title, std::function<void(const QString&)> chosen) {
    platform::chooseFileToSave(platform::panelWidget(m_panel),
                               QFile::decodeName(door::programDirectory()), fileName, filter, title,
                               std::move(chosen));
}

// The log takes the text from the status line, as it takes every status text: once. The
// status line reads its text as Latin-1.
void LiveToolsPanel::fail(const QString& text) {
    SetCtrlVal(m_panel, CTRL_STATUS, text.toLatin1().constData());
}

void attachLiveTools(linklog::LinkLog& log) {
    platform::onPanelLoaded([&log](int panel, QWidget*) { addLiveTools(panel, log); });
}

LiveToolsPanel* addLiveTools(int panel, linklog::LinkLog& log) {
    if (!platform::controlWidget(panel, CTRL_RAW_CHART) ||
        !platform::controlWidget(panel, CTRL_NORM_CHART))
        return nullptr;
    return new LiveToolsPanel(panel, log);
}

} // namespace livetools
