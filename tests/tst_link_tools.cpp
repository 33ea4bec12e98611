// The link as the service tools show it, on the real panel and a pseudo-terminal: the ports, a
// device named by path, the link's state, a pulled cable, the log and its traffic view.
#include "SensorLink.h"

#include <linklog/Escaped.h>
#include <linkstate/linkstate.h>
#include <logpanel/logpanel.h>
#include <portlist/PortList.h>

#include <Lamp.h>
#include <TrafficText.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QToolButton>

#include <optional>

#include <sys/stat.h>
#include <unistd.h>

using namespace testing;
using sim::Fault;

namespace {
// What follows the connect in a row of the link state's table.
enum class Then {
    Nothing,
    GetAfterATimeOut,
    SendAfterATimeOut,
    RunUntilStopped,
    RunThenSend,
    RunUntilTimedOut,
    RunUnplugged,
    RunAfterGarbage
};
// How the displays and lamps show their values.
enum class Shown { Current, Stale, Doubtful };
} // namespace
Q_DECLARE_METATYPE(Then)
Q_DECLARE_METATYPE(Shown)

namespace {
const QString kFirmware = QStringLiteral("T-KOR-ZUL simulated sensor 1.0");
const sim::Words kRam{510, 520, 530, 40, 0, 1, 0, 0, 0, 110, 720, 430, 1, 2, 3, 4};
const portlist::PortInfo kBuiltIn0{"/dev/ttyS0", {}, {}, {}, false};
const portlist::PortInfo kBuiltIn1{"/dev/ttyS1", {}, {}, {}, false};

portlist::PortInfo adapter(const QString& device) {
    return {device, "FT232R USB UART", "A1B2", {}, true};
}

QString hex(const sim::Frame& frame) {
    return QString::fromLatin1(
        QByteArray::fromStdString({frame.begin(), frame.end()}).toHex(' ').toUpper());
}

double residentMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    const QRegularExpression resident(QStringLiteral("VmRSS:\\s*(\\d+) kB"));
    return resident.match(QString::fromLatin1(status.readAll())).captured(1).toDouble() / 1024.0;
}

void answerFileDialog(const QString& path) {
    platform::setFileSelectAnswer([path](const platform::FileSelectRequest&, std::string& chosen) {
        chosen = path.toStdString();
        return kNewFileSelected;
    });
}

template <typename T>
T* named(const QString& name) {
    for (T* widget : panelWidget()->findChildren<T*>())
        if (widget->accessibleName() == name)
            return widget;
    return nullptr;
}
} // namespace

class LinkTools : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        m_tool.reset();
        unsetenv("NALVO_COM2");
    }

    void portsPresentKeepTheirNumbersAndAPulledAdapterComesBack() {
        setenv("NALVO_COM2", "/dev/nalvo-env", 1);
        start(true);
        m_tool->connect();
        const QString first = m_present.last().device;
        QCOMPARE(portItems(),
                 (QStringList{"COM1  " + first + "  FT232R USB UART (A1B2)", "COM2  /dev/nalvo-env",
                              "COM3  /dev/ttyS0", "COM4  /dev/ttyS1"}));
        QCOMPARE(state(), QStringLiteral("answered"));
        QVERIFY(panelWidget()->windowTitle().contains(first));
        // Pulled during a Get: the port closes, the state says so, the values look stale.
        (*m_tool)->stop();
        m_present.removeLast();
        useClock(m_tool->sensor(), 0);
        click(CTRL_GET);
        QCOMPARE(state(), QStringLiteral("device gone"));
        QVERIFY(shownAs() == Shown::Stale);
        QVERIFY(portItems().first().endsWith("[gone]"));
        // Said once, however often the lost device was tried meanwhile.
        QCOMPARE(logText().count("COM1 " + first + " has gone, port closed"), 1);
        // Back under a new name with the same serial number: marked, and nothing sent yet.
        m_tool->restart();
        unsetenv("NALVO_COM1");
        m_present.append(adapter(QString::fromStdString((*m_tool)->devicePath())));
        QVERIFY(portItems().first().endsWith("[back: choose to reconnect]"));
        QCOMPARE(ordersSent(m_tool->sensor()), std::vector<int>{});
        useClock(m_tool->sensor());
        chooseItem(CTRL_PORT, 0);
        dispatchPending();
        QCOMPARE(ordersSent(m_tool->sensor()), (std::vector<int>{5, 2, 7}));
        QCOMPARE(state(), QStringLiteral("answered"));
        QVERIFY(shownAs() == Shown::Current);
        QVERIFY(portItems().first().endsWith("(A1B2)"));
    }

    void namedDeviceBecomesTheNextPortAndConnects() {
        start(false);
        m_tool->connect();
        const QByteArray old = qgetenv("NALVO_COM1");
        m_tool->restart();
        setenv("NALVO_COM1", old.constData(), 1);
        m_named = QString::fromStdString((*m_tool)->devicePath());
        named<QToolButton>("Connect to a device by path")->click();
        dispatchPending();
        QCOMPARE(com, 4); // after port 1 and the two built-in ports
        QCOMPARE(ordersSent(m_tool->sensor()), (std::vector<int>{5, 2, 7}));
        QCOMPARE(statusText(), kFirmware);
        QVERIFY(portItems().contains("COM4  " + m_named));
    }

    void stateFollowsEveryExchange_data() {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<Then>("then");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("state");
        QTest::addColumn<Shown>("values");
        const auto row = [](const char* name, Fault fault, Then then, const QString& status,
                            const char* state, Shown values) {
            QTest::newRow(name) << fault << then << status << QString(state) << values;
        };
        const QString ok = QStringLiteral("Line Ok!"),
                      timeout = QStringLiteral("Timeout RS232-Line!");
        using enum Fault;
        using enum Then;
        using enum Shown;
        row("answered", None, Nothing, kFirmware, "answered", Current);
        // The Get shows the earlier time-out's text again: the exchange says answered.
        row("answered after a time-out", None, GetAfterATimeOut, "Timeout-RS-232...", "answered",
            Current);
        // A write is not answered: it neither says "no answer" nor lights the older values.
        const char* written = "sent, no reply expected";
        row("a write after a time-out", None, SendAfterATimeOut, ok, written, Stale);
        row("wrong echo", WrongEcho, Nothing, "read error - not sync byte 0xAA!",
            "answered, wrong echo", Current);
        row("short firmware answer", ShortFirmware, Nothing, "Error reading firmware-info!",
            "short answer", Current);
        row("silent", Silent, Nothing, "Timeout-RS-232...", "no answer", Stale);
        // Stop leaves the last request without its reply: no time ran out.
        row("live view stopped", None, RunUntilStopped, ok, "answered", Current);
        row("live view stopped, then a write", None, RunThenSend, ok, written, Current);
        row("live view, then silent", Silent, RunUntilTimedOut, timeout, "no answer", Stale);
        row("live view, late reply", LateReply, RunUntilTimedOut, timeout, "answered late", Stale);
        row("live view, garbage", Garbage, RunUntilStopped, ok, "answered, malformed", Doubtful);
        row("live view, garbage, then a write", Garbage, RunThenSend, ok, written, Doubtful);
        row("live view, a good frame after garbage", Garbage, RunAfterGarbage, ok, "answered",
            Current);
        row("live view, unplugged", None, RunUnplugged, timeout, "device gone", Stale);
    }

    void stateFollowsEveryExchange() {
        QFETCH(Fault, fault);
        QFETCH(Then, then);
        QFETCH(QString, status);
        QFETCH(QString, state);
        QFETCH(Shown, values);
        start(false);
        if (then == Then::Nothing) {
            (*m_tool)->setFault(fault);
            // A wait runs out once its reply has all come, or at once when none will.
            useClockOnceReplied(m_tool->sensor(), fault == Fault::Silent ? 0 : 3);
        }
        m_tool->connect();
        switch (then) {
        case Then::Nothing:
            break;
        case Then::GetAfterATimeOut:
        case Then::SendAfterATimeOut:
            (*m_tool)->setSilentOrders({2});
            useClock(m_tool->sensor(), 0);
            click(CTRL_GET);
            QCOMPARE(this->state(), QStringLiteral("no answer"));
            (*m_tool)->setSilentOrders({});
            useClock(m_tool->sensor());
            click(then == Then::GetAfterATimeOut ? CTRL_GET : CTRL_SEND);
            break;
        case Then::RunUntilStopped:
        case Then::RunThenSend:
        case Then::RunAfterGarbage:
            (*m_tool)->setFault(fault);
            // The stop is no wait that ran out.
            m_tool->runFor(4);
            if (then == Then::RunThenSend)
                click(CTRL_SEND);
            (*m_tool)->setFault(Fault::None);
            if (then == Then::RunAfterGarbage)
                m_tool->runFor(4);
            break;
        case Then::RunUntilTimedOut:
        case Then::RunUnplugged:
            (*m_tool)->setLateReplyDelay(std::chrono::milliseconds(300));
            // From the fourth request on, the fault; its wait runs out at the third reading.
            m_tool->run([] {},
                        [this, fault, then, now = 0.0]() mutable {
                            if (m_tool->requests() == 3) {
                                (*m_tool)->setFault(fault);
                                if (then == Then::RunUnplugged)
                                    (*m_tool)->stop();
                            }
                            const bool faulty =
                                m_tool->requests() >= 4 ||
                                (then == Then::RunUnplugged && m_tool->requests() >= 3);
                            return now += faulty ? 1.0 : 0.0;
                        });
            QVERIFY(shown(CTRL_RAW_1) != 0); // dimmed, not cleared
            break;
        }
        QCOMPARE(statusText(), status);
        QVERIFY(waitUntil([&] { return this->state() == state; }, 2s));
        QVERIFY(shownAs() == values);
        if (state != QLatin1String("device gone")) {
            const QStringList notes = logText().split('\n').filter("  Link state: ");
            QVERIFY(!notes.isEmpty() &&
                    notes.last().mid(14).startsWith("Link state: " + state + ". "));
        }
    }

    void openFailuresNameTheirCause_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("logged");
        QTest::newRow("in use") << ""
                                << "Cannot open port  (COM2 %1: in use by another program)";
        QTest::newRow("no permission")
            << "locked"
            << "Cannot open port  (COM2 %1: permission denied: on Linux the user must be in the "
               "group that owns the device (usually dialout))";
    }

    void openFailuresNameTheirCause() {
        QFETCH(QString, device);
        QFETCH(QString, logged);
        start(false);
        m_tool->connect();
        QTemporaryDir dir;
        if (device.isEmpty())
            device = QString::fromStdString((*m_tool)->devicePath());
        else if (device == QLatin1String("locked")) {
            device = dir.filePath("locked");
            QFile file(device);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.setPermissions({}));
        }
        setenv("NALVO_COM2", device.toLocal8Bit().constData(), 1);
        com = 2;
        // Root passes every mode: open as nobody, as an operator outside the group would.
        const bool root =
            geteuid() == 0 && QTest::currentDataTag() == QLatin1String("no permission");
        QVERIFY(!root || seteuid(65534) == 0);
        InitRS232(com);
        QVERIFY(!root || seteuid(0) == 0);
        QCOMPARE(logText().split('\n').last().mid(14), QString(logged).replace("%1", device));
        QCOMPARE(state(), QStringLiteral("cannot open"));
    }

    void trafficShowsAnExchangeInHex() {
        start(false);
        m_tool->connect();
        (*m_tool)->setRam(kRam);
        logText();
        named<QCheckBox>("Traffic")->click();
        click(CTRL_GET);
        // The request, the text shown while waiting, the reply.
        QStringList lines = logText().split('\n');
        lines = lines.mid(lines.indexOf(QRegularExpression(".{14}-> .*")));
        QCOMPARE(lines[0].mid(14),
                 "-> 2 read RAM (36 bytes)  " + hex(m_tool->sensor().receivedFrames().back()));
        QCOMPARE(lines[2].mid(14), "<- 36 bytes  " + hex(sim::encodeFrame(2, kRam)));
        QVERIFY(
            QRegularExpression("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3}  <- ").match(lines[2]).hasMatch());
        // A CR ahead of a reply, come once its request has left the line, is skipped; a reply
        // that does not begin as its request did is taken, and marked.
        (*m_tool)->setExtraBytes({0x0D});
        (*m_tool)->setFault(Fault::BytesAhead);
        click(CTRL_GET);
        QVERIFY(logText().contains("<- 1 STRAY byte ahead of the reply skipped  0D\n"));
        (*m_tool)->setFault(Fault::Garbage);
        click(CTRL_GET);
        QVERIFY(logText().contains("<- 36 bytes, MALFORMED: not begun as its request  "));
        // A wait that ends without its reply says so; one the operator ends (Stop) does not.
        QCOMPARE(logText().count("<- NO REPLY"), 0);
        (*m_tool)->setSilentOrders({2});
        useClock(m_tool->sensor(), 0);
        click(CTRL_GET);
        QCOMPARE(logText().count("<- NO REPLY before the wait ended"), 1);
        // Orders by their names, replies short or followed by more; a flood makes lines no
        // longer than a data block's.
        const QByteArray bytes("\x00\x55\x00\x07\x0d", 5);
        QCOMPARE(logpanel::sentText(bytes), "-> 7 firmware info (5 bytes)  00 55 00 07 0D");
        QCOMPARE(logpanel::sentText(QByteArray("\x00\x55\x00\x0a", 4)),
                 "-> 10 unknown order (4 bytes)  00 55 00 0A");
        QCOMPARE(logpanel::receivedText(bytes, 64),
                 "<- 5 bytes, SHORT by 59 of 64  00 55 00 07 0D");
        QCOMPARE(logpanel::droppedText("\r\n"), "<- 2 EXTRA bytes dropped  0D 0A");
        QCOMPARE(logpanel::droppedText(QByteArray(5000, 0x11)),
                 "<- 5000 EXTRA bytes dropped  " +
                     QStringList(128, QStringLiteral("11")).join(' ') + " ... 4872 more bytes");
    }

    void logEntriesStayOneLineWhateverTheFirmwareSays() {
        // Every byte a firmware text may hold (a zero ends it), 32 at a time as its reply has.
        start(false);
        QByteArray all;
        for (int byte = 1; byte <= 0xFF; ++byte)
            if (byte < 0x20 || byte >= 0x7F)
                all += static_cast<char>(byte);
        QStringList texts;
        for (qsizetype at = 0; at < all.size(); at += 32) {
            texts << QString::fromLatin1(all.mid(at, 32));
            (*m_tool)->setFirmwareText(all.mid(at, 32).toStdString());
            m_tool->connect();
            QCOMPARE(statusText(), texts.last());
        }
        // A device whose name ends a line in a text view, or turns the rest of it around.
        QTemporaryDir dir;
        const QString device = dir.filePath(QStringLiteral("tty\nA\u2029B\u202eC"));
        QVERIFY(QFile::link(QString::fromStdString((*m_tool)->devicePath()), device));
        texts << device;
        setenv("NALVO_COM2", QFile::encodeName(device).constData(), 1);
        com = 2;
        InitRS232(com);
        QVERIFY(m_log->entries().back().text.contains("COM2 " + linklog::escaped(device)));
        // Copied and saved as shown.
        named<QPushButton>("Copy log")->click();
        answerFileDialog(dir.filePath("log.txt"));
        named<QPushButton>("Save log")->click();
        QFile saved(dir.filePath("log.txt"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QString shown = logText();
        QCOMPARE(QApplication::clipboard()->text(), shown + '\n');
        QCOMPARE(QString::fromUtf8(saved.readAll()), shown + '\n');
        const QRegularExpression oneLine(
            QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3}  "
                           "[^\\x00-\\x1f\\x7f-\\x9f\\x{2028}-\\x{202e}\\x{2066}-\\x{2069}]*$"));
        for (const QString& text : texts)
            QVERIFY2(shown.contains(linklog::escaped(text)), qPrintable(text));
        for (const QString& line : shown.split('\n'))
            QVERIFY2(oneLine.match(line).hasMatch(), qPrintable(line));
        QCOMPARE(linklog::escaped("a\\b\r\n\t\x1b[2J\u0085\u2028\u202a\u2069"),
                 "a\\\\b\\r\\n\\t\\x1b[2J\\x85\\u2028\\u202a\\u2069");
    }

    void aFloodStaysBoundedAndTheLiveViewComesBack() {
        // A device ignoring the baud rate floods the live view with the traffic view on.
        start(false);
        m_tool->connect();
        const sim::Words measurement{11,  22,  33, 44, 600, 501, 502, 503,
                                     504, 505, 2,  30, 0,   0,   0,   0};
        (*m_tool)->setMeasurementOverride(measurement);
        logText();
        named<QCheckBox>("Traffic")->click();
        constexpr std::size_t kFloodRequests = 60;
        std::size_t floodEnds = 0;
        std::size_t flooded = 0;
        const double before = residentMegabytes();
        double peak = before;
        int shownAfter = 0;
        m_tool->run([&] {
            if (!floodEnds && m_tool->requests() > 3) {
                (*m_tool)->setFlood(true);
                floodEnds = m_tool->requests() + kFloodRequests;
            } else if (floodEnds && !flooded) {
                peak = std::max(peak, residentMegabytes());
                if (m_tool->requests() >= floodEnds) {
                    (*m_tool)->setFlood(false);
                    flooded = (*m_tool)->floodedBytes();
                }
            } else if (flooded && rx_flag == 1 && graphrefresh == 0 &&
                       std::equal(measurement.begin(), measurement.end(), pp) &&
                       ++shownAfter == 3) {
                click(CTRL_STOP, false);
            }
        });
        QCOMPARE(shownAfter, 3);
        // The rest waited in the device and went with the flushes.
        QVERIFY2(flooded / kFloodRequests < 512 * 1024, qPrintable(QString::number(flooded)));
        QVERIFY(peak - before < 100.0);
        qsizetype longest = 0;
        for (const linklog::Entry& entry : m_log->entries())
            longest = std::max(longest, entry.text.size());
        QVERIFY2(longest < logpanel::kShownBytes * 3 + 80, qPrintable(QString::number(longest)));
    }

    void logKeepsItsLastEntriesAndSavesOnlyToAFile() {
        start(false, 3);
        m_tool->connect();
        // Open while more entries come than it keeps: the view keeps as many lines, and no
        // undo history of those it dropped.
        logText();
        for (int i = 0; i < 4; ++i)
            click(CTRL_GET);
        auto* view = named<QPlainTextEdit>("Log entries");
        QCOMPARE(logText().split('\n').size(), 3);
        QCOMPARE(view->blockCount(), 3);
        QVERIFY(!view->isUndoRedoEnabled());
        QTemporaryDir dir;
        // Neither a missing folder nor a FIFO takes it, and each failure is logged once.
        const QString fifo = dir.filePath("fifo");
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        for (const QString& path : {dir.filePath("no/such/dir/log.txt"), fifo}) {
            answerFileDialog(path);
            named<QPushButton>("Save log")->click();
            QVERIFY(statusText().startsWith("Log not saved: " + path + ": "));
            QCOMPARE(m_log->entries().back().text, statusText());
            QVERIFY((m_log->entries().end() - 2)->text != statusText());
        }
        QVERIFY(statusText().endsWith(": a FIFO, not a regular file"));
    }

private:
    // With `discover`, port 1's sensor is found as a USB adapter beside two built-in ports.
    void start(bool discover, std::size_t capacity = linklog::LinkLog::kDefaultCapacity) {
        m_tool.reset();
        m_present = {kBuiltIn1, kBuiltIn0};
        m_tool = std::make_unique<ToolWithSensor>([this, discover, capacity] {
            if (discover) {
                m_present.append(adapter(qEnvironmentVariable("NALVO_COM1")));
                unsetenv("NALVO_COM1");
            }
            m_log = std::make_unique<linklog::LinkLog>(capacity);
            logpanel::installLogPanel(*m_log);
            linkstate::installStateIndicator(*m_log);
            portlist::installPortList([this] { return m_present; },
                                      [this](QWidget*) { return m_named; });
        });
    }

    static QString state() { return named<QLabel>("Link state")->text(); }

    // As the operator sees them (a display disabled, a lamp drawn unlike a current one) and a
    // screen reader hears them; nullopt for a mix.
    static std::optional<Shown> shownAs() {
        auto* lamp = control<platform::Lamp>(CTRL_LAMP_BIT0);
        platform::Lamp current;
        current.resize(lamp->size());
        current.setOn(lamp->isOn());
        current.setOnColor(lamp->onColor());
        const QPoint middle = lamp->rect().center();
        const bool drawnAsCurrent =
            lamp->grab().toImage().pixel(middle) == current.grab().toImage().pixel(middle);
        const bool enabled = control(CTRL_RAW_1)->isEnabled();
        const QString said = QAccessible::queryAccessibleInterface(control(CTRL_RAW_1))
                                 ->text(QAccessible::Description);
        const QString value = QString::number(shown(CTRL_RAW_1));
        if (enabled && drawnAsCurrent && said == value)
            return Shown::Current;
        if (!enabled && !drawnAsCurrent && said.startsWith(value + ", not current: "))
            return Shown::Stale;
        if (enabled && !drawnAsCurrent && said == value + ", doubtful: from a malformed reply")
            return Shown::Doubtful;
        return std::nullopt;
    }

    // What the opened log shows once it shows every entry: its blocks' texts as they are
    // (toPlainText would turn separators into line feeds and no-break spaces into spaces).
    static QString logText() {
        named<QToolButton>("Log")->setChecked(true);
        logpanel::showHeldLines();
        QStringList lines;
        for (QTextBlock block = named<QPlainTextEdit>("Log entries")->document()->firstBlock();
             block.isValid(); block = block.next())
            lines << block.text();
        return lines.join('\n');
    }

    QList<portlist::PortInfo> m_present;
    QString m_named;
    std::unique_ptr<linklog::LinkLog> m_log;
    std::unique_ptr<ToolWithSensor> m_tool;
};

QTEST_MAIN(LinkTools)
#include "tst_link_tools.moc"
