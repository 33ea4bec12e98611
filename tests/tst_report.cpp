// The service report through the real panel against the simulated sensor: Export to a PDF asks
// for a note and writes what the sensor is and holds, read back as text by pdftotext.
#include "SensorLink.h"

#include <linklog/LinkLog.h>
#include <livetools/LiveTools.h>
#include <paramguard/ParameterGuard.h>
#include <platform/attach.h>

#include <QInputDialog>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

using namespace testing;
using sim::Words;

namespace {

const Words kRam{600, 700, 400, 90, 0, 1, 2, 1, 3, 110, 710, 410, 12, 13, 14, 15};
const Words kEeprom{600, 700, 401, 90, 0, 1, 2, 1, 3, 110, 710, 410, 12, 13, 14, 16};
const QString kNote = QStringLiteral("Lens cleaned <b>twice</b> & re-taught\nLine 2 of the note");

void answerFileDialog(const QString& path, int answer = kNewFileSelected) {
    platform::setFileSelectAnswer([path, answer](const auto&, std::string& chosen) {
        chosen = path.toStdString();
        return answer;
    });
}

// Saves a report to `path` by the Export button, answering the note's dialog with `note`, or
// cancelling it when there is none.
void exportReport(const QString& path, const std::optional<QString>& note) {
    answerFileDialog(path);
    QTest::mouseClick(panelChild<QPushButton>("exportButton"), Qt::LeftButton);
    QInputDialog* dialog = nullptr;
    QVERIFY(waitUntil([&] {
        dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        return dialog != nullptr;
    }));
    if (note) {
        dialog->setTextValue(*note);
        dialog->accept();
    } else {
        dialog->reject();
    }
}

// The PDF's text as pdftotext lays it out, each line simplified.
QString textOf(const QString& pdf) {
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(30000) || pdftotext.exitCode() != 0)
        return QStringLiteral("pdftotext failed: ") + pdftotext.readAllStandardError();
    QStringList lines = QString::fromUtf8(pdftotext.readAllStandardOutput()).split('\n');
    for (QString& line : lines)
        line = line.simplified();
    return lines.join('\n');
}

// The widths of the images the PDF holds, by pdfimages.
QList<int> imageWidthsOf(const QString& pdf) {
    QProcess pdfimages;
    pdfimages.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    pdfimages.waitForFinished(30000);
    QList<int> widths;
    // Two header lines, then one line an image: page, num, type, width, ...
    const QStringList lines = QString::fromUtf8(pdfimages.readAllStandardOutput()).split('\n');
    for (const QString& line : lines.mid(2))
        if (const QStringList fields = line.simplified().split(' '); fields.size() > 3)
            widths.push_back(fields[3].toInt());
    return widths;
}

} // namespace

class Report : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_tool = std::make_unique<ToolWithSensor>([this] {
            paramguard::attach(m_log);
            livetools::attachLiveTools(m_log);
        });
        (*m_tool)->setRam(kRam);
        (*m_tool)->setEeprom(kEeprom);
        (*m_tool)->setFirmwareText("ZUL <v2.1> & Co");
        m_tool->connect();
    }
    void cleanup() { m_tool.reset(); }

    void aReportNamesTheSensorItsSetAndTheNote() {
        m_tool->runFor(3);
        QTemporaryDir dir;
        const QString before = dir.filePath(QStringLiteral("before.pdf"));
        exportReport(before, kNote);
        QCOMPARE(m_log.entries().back().text, "Service report saved to " + before);
        QString text = textOf(before);
        for (const QString& line :
             {QStringLiteral("Service report"),
              QStringLiteral("\nPort COM1 ") + platform::portDevice(1) + '\n',
              QStringLiteral("\nFirmware ZUL <v2.1> & Co\n"), QStringLiteral("\nParameter Panel\n"),
              QStringLiteral("\nReference 400\n"),
              QStringLiteral("Chart: Raw signals, 100 samples"),
              QStringLiteral("\nLens cleaned <b>twice</b> & re-taught\nLine 2 of the note\n")})
            QVERIFY2(text.contains(line), qPrintable(line + " not in:\n" + text));
        QVERIFY2(QRegularExpression(
                     QStringLiteral("\nDate 20\\d\\d-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d "))
                     .match(text)
                     .hasMatch(),
                 qPrintable(text));
        // The chart drawn for print: three times as many pixels as a 900-pixel layout.
        QCOMPARE(imageWidthsOf(before), QList<int>{2700});

        // Compare's reads stand beside the panel's values, a difference marked.
        panelChild<QPushButton>("compareButton")->click();
        dispatchPending();
        const QString file = dir.filePath(QStringLiteral("set.dat"));
        QFile set(file);
        QVERIFY(set.open(QIODevice::WriteOnly));
        set.write("600 700 333 90 0 1 2 1 3 110 710 410 12 13 14 15\n");
        set.close();
        answerFileDialog(file, kExistingFileSelected);
        panelChild<QPushButton>("addFile")->click();
        const QString after = dir.filePath(QStringLiteral("after.pdf"));
        exportReport(after, QString());
        text = textOf(after);
        for (const QString& line : {QStringLiteral("\nParameter Panel RAM EEPROM File\n"),
                                    QStringLiteral("\nReference 400 400 \u2260 401 \u2260 333\n"),
                                    QStringLiteral("\nFree word 15 15 15 \u2260 16 15\n"),
                                    "\nFile: " + file + '\n', QStringLiteral("\nNote\nnone\n")})
            QVERIFY2(text.contains(line), qPrintable(line + " not in:\n" + text));

        // Cancelling the note writes nothing.
        const QString cancelled = dir.filePath(QStringLiteral("cancelled.pdf"));
        exportReport(cancelled, std::nullopt);
        QVERIFY(!QFile::exists(cancelled));
        QCOMPARE(m_log.entries().back().text, "Service report saved to " + after);
    }

    void theRunGoesOnWhileTheNoteIsAsked() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("during.pdf"));
        answerFileDialog(path);
        // A note that held the run up would hold this test up too: it is closed after a bound.
        bool boundReached = false;
        QTimer bound;
        bound.setSingleShot(true);
        connect(&bound, &QTimer::timeout, [&boundReached] {
            boundReached = true;
            if (auto* note = qobject_cast<QInputDialog*>(QApplication::activeModalWidget()))
                note->reject();
        });
        std::size_t askedAt = 0;
        bool answered = false;
        m_tool->run([&] {
            auto* note = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            if (askedAt == 0 && m_tool->requests() >= 2) {
                askedAt = m_tool->requests();
                bound.start(10s);
                panelChild<QPushButton>("exportButton")->click();
            } else if (note && m_tool->requests() >= askedAt + 5) {
                note->setTextValue(QStringLiteral("Written during a run"));
                note->accept();
                answered = true;
            } else if (answered || boundReached) {
                click(CTRL_STOP, false);
            }
        });
        QVERIFY(answered);
        QVERIFY(textOf(path).contains(QStringLiteral("\nWritten during a run\n")));
    }

private:
    linklog::LinkLog m_log;
    std::unique_ptr<ToolWithSensor> m_tool;
};

QTEST_MAIN(Report)
#include "tst_report.moc"
