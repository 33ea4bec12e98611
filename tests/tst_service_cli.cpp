// The command line against the simulated sensor: each command puts on the line exactly what the
// window's action puts there, says its outcome in its exit status and its JSON, and ends bad
// input with its status and a one-line cause, having written nothing after a failed read.
#include "SensorLink.h"

#include <extras/extras.h>
#include <livetools/LiveTools.h>
#include <paramguard/ParameterGuard.h>

#include "CsvRecording.h"

#include <QAbstractButton>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <QRegularExpression>

#include <fcntl.h>
#include <map>
#include <sys/file.h>
#include <unistd.h>

using namespace testing;
using sim::Words;

namespace {

const Words kRam{600, 700, 400, 90, 0, 1, 2, 1, 3, 110, 710, 410, 12, 13, 14, 15};
const Words kEeprom{600, 700, 401, 90, 0, 0, 2, 1, 3, 110, 710, 410, 12, 13, 14, 16};
// A set with a word of all ones, which no frame may lose.
const Words kFileSet{500, 500, 700, 100, 0, 1, 0, 0, 0, 100, 700, 400, 0, 0, 0, 65535};

struct Outcome {
    int status = -1;
    QJsonObject json;
    QString error;
    std::vector<sim::Frame> frames;
};

QString writeSetFile(const QTemporaryDir& dir, const QString& name, const QString& text) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text.toUtf8());
    return path;
}

QString setText(const Words& words) {
    QString text;
    for (const auto word : words)
        text += QString::number(word) + QLatin1Char('\n');
    return text;
}

// The command line, its port on the sensor's device unless the words name one.
// The command's standard input is `terminal` when one is given.
Outcome runCommand(sim::SimulatedSensor& sensor, QStringList words, const QString& dataHome,
                   const QString& portOne = {}, int terminal = -1) {
    if (!words.contains(QStringLiteral("--port")))
        words << QStringLiteral("--port") << QString::fromStdString(sensor.devicePath());
    QProcess command;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    // The window's port 1 of an earlier test is no business of the command's.
    env.remove(QStringLiteral("NALVO_COM1"));
    if (!portOne.isEmpty())
        env.insert(QStringLiteral("NALVO_COM1"), portOne);
    command.setProcessEnvironment(env);
    if (terminal >= 0)
        command.setChildProcessModifier([terminal] { ::dup2(terminal, STDIN_FILENO); });
    command.start(QCoreApplication::applicationDirPath() + QStringLiteral("/nalvo-service"),
                  words << QStringLiteral("--json"));
    command.closeWriteChannel();
    Outcome outcome;
    if (!command.waitForFinished(30000)) {
        command.kill();
        return outcome;
    }
    sensor.waitForRequestsIn(5s);
    outcome.status = command.exitCode();
    outcome.json = QJsonDocument::fromJson(command.readAllStandardOutput()).object();
    outcome.error = QString::fromUtf8(command.readAllStandardError());
    outcome.frames = sensor.receivedFrames();
    return outcome;
}

QList<int> ordersOf(const std::vector<sim::Frame>& frames) {
    QList<int> orders;
    for (const sim::Frame& frame : frames)
        orders.push_back(sim::orderOf(frame));
    return orders;
}

Words wordsOf(const QJsonArray& parameters, const QString& key = QStringLiteral("value")) {
    Words words{};
    for (int i = 0; i < parameters.size() && i < int(words.size()); ++i)
        words[std::size_t(i)] = static_cast<std::uint16_t>(parameters[i].toObject()[key].toInt());
    return words;
}

} // namespace

class ServiceCli : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(m_sensor.start());
        m_sensor.clearReceivedFrames();
        m_sensor.setFault(sim::Fault::None);
        m_sensor.setSilentOrders({});
        m_sensor.setRam(kRam);
        m_sensor.setEeprom(kEeprom);
        m_setFile = writeSetFile(m_dir, QStringLiteral("set.dat"), setText(kFileSet));
    }

    void cleanup() { m_sensor.stop(); }

    // Each command's frames, the connect sequence included, byte for byte those of the window
    // doing the same on a sensor in the same state.
    void eachCommandSendsWhatTheWindowSends_data() {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<int>("status");
        QTest::addColumn<QList<int>>("orders");
        const QString set = QStringLiteral("SET");
        QTest::newRow("info") << QStringList{"info"} << 0 << QList<int>{5, 2, 7};
        QTest::newRow("read ram") << QStringList{"read", "ram"} << 0 << QList<int>{5, 2, 7};
        QTest::newRow("read eeprom")
            << QStringList{"read", "eeprom"} << 0 << QList<int>{5, 2, 7, 4};
        QTest::newRow("write ram --verify")
            << QStringList{"write", "ram", set, "--verify"} << 0 << QList<int>{5, 2, 7, 1, 2};
        QTest::newRow("write eeprom --verify")
            << QStringList{"write", "eeprom", set, "--verify", "--yes"} << 0
            << QList<int>{5, 2, 7, 4, 3, 4};
        QTest::newRow("compare") << QStringList{"compare", set} << 1 << QList<int>{5, 2, 7, 2, 4};
        QTest::newRow("teach reference")
            << QStringList{"teach", "reference"} << 0 << QList<int>{5, 2, 7, 6, 2};
        QTest::newRow("teach button")
            << QStringList{"teach", "button"} << 0 << QList<int>{5, 2, 7, 5, 2};
    }

    void eachCommandSendsWhatTheWindowSends() {
        QFETCH(QStringList, words);
        QFETCH(int, status);
        QFETCH(QList<int>, orders);
        words.replaceInStrings(QStringLiteral("SET"), m_setFile);
        const Outcome command = runCommand(m_sensor, words, m_dir.path());
        QCOMPARE(command.status, status);
        QCOMPARE(command.json[QStringLiteral("exitStatus")].toInt(), status);
        QCOMPARE(ordersOf(command.frames), orders);

        // What the command says is what the sensor holds.
        const QString name = words.first();
        if (name == QLatin1String("read"))
            QCOMPARE(wordsOf(command.json["parameters"].toArray()),
                     words[1] == QLatin1String("ram") ? kRam : kEeprom);
        if (name == QLatin1String("write")) {
            QCOMPARE(words[1] == QLatin1String("ram") ? m_sensor.ram() : m_sensor.eeprom(),
                     kFileSet);
            QCOMPARE(command.json["verified"].toBool(), true);
        }
        if (name == QLatin1String("compare")) {
            const QJsonArray rows = command.json["parameters"].toArray();
            QCOMPARE(wordsOf(rows, QStringLiteral("ram")), kRam);
            QCOMPARE(wordsOf(rows, QStringLiteral("eeprom")), kEeprom);
            QCOMPARE(wordsOf(rows, QStringLiteral("file")), kFileSet);
            for (const auto& [row, differs] :
                 {std::pair{2, true}, std::pair{1, true}, std::pair{4, false}})
                QCOMPARE(rows[row].toObject()["differs"].toBool(), differs);
        }
        if (name == QLatin1String("info"))
            QCOMPARE(command.json["firmware"].toString(),
                     QStringLiteral("T-KOR-ZUL simulated sensor 1.0"));

        // The window, on a sensor as this one was.
        ToolWithSensor tool([] { AttachServiceTools(); });
        tool->setRam(kRam);
        tool->setEeprom(kEeprom);
        const QString file = m_setFile;
        platform::setFileSelectAnswer(
            [file](const platform::FileSelectRequest&, std::string& chosen) {
                chosen = file.toStdString();
                return 1;
            });
        paramguard::setEepromAnswer([](const auto&) {
            return paramguard::EepromAnswer{true, false};
        });
        paramguard::setDiscardAnswer([](paramguard::Replacing, int) { return true; });
        InitRS232(com);
        if (name == QLatin1String("read") && words[1] == QLatin1String("eeprom")) {
            click(CTRL_EEPROM);
            click(CTRL_GET);
        } else if (name == QLatin1String("write")) {
            click(CTRL_FILE);
            click(CTRL_GET);
            click(words[1] == QLatin1String("ram") ? CTRL_RAM : CTRL_EEPROM);
            click(CTRL_SEND);
            click(CTRL_GET);
        } else if (name == QLatin1String("compare")) {
            panelChild<QAbstractButton>("compareButton")->click();
            QVERIFY(waitUntil([&] { return tool.requests() == command.frames.size(); }));
            panelChild<QAbstractButton>("addFile")->click();
        } else if (name == QLatin1String("teach")) {
            click(words[1] == QLatin1String("reference") ? CTRL_TEACH : CTRL_BUTTON_TEACH);
        }
        QVERIFY(waitUntil([&] { return tool.requests() >= command.frames.size(); }));
        QVERIFY(tool->waitForRequestsIn(5s));
        QCOMPARE(tool->receivedFrames(), command.frames);
        paramguard::setEepromAnswer({});
        paramguard::setDiscardAnswer({});
    }

    // Bad input ends in its exit status and a one-line cause, never in a hang, and nothing is
    // written to the sensor after a failed read: the sensor has only the frames listed.
    void badInputEndsInItsStatusAndCause_data() {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QString>("sensorFault"); // also "locked", "port 1 elsewhere"
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QList<int>>("orders");
        const auto bad = [](const char* name, const QStringList& words, int status,
                            const char* cause, const QList<int>& orders = {},
                            const char* fault = "") {
            QTest::newRow(name) << words << QString(fault) << status << QString(cause) << orders;
        };
        const QList<int> connect{5, 2, 7};
        const char* seconds = "--seconds takes a positive number";
        bad("unknown command", {"flash"}, 2, "unknown command: flash");
        bad("seconds not a number", {"record", "--seconds", "ten", "-o", "r.csv"}, 2, seconds);
        bad("seconds not positive", {"record", "--seconds", "0", "-o", "r.csv"}, 2, seconds);
        bad("eeprom write unconfirmed", {"write", "eeprom", "SET"}, 2, "give --yes");
        bad("option of another command", {"info", "--verify"}, 2, "info does not take --verify");
        // Port 1 is another device: the path takes the next number.
        bad("missing port", {"info", "--port", "/dev/nalvo-no-such-port"}, 4,
            "cannot open COM2 (/dev/nalvo-no-such-port)", {}, "port 1 elsewhere");
        bad("port in use by the window", {"write", "ram", "SET"}, 4, "cannot open COM1", {},
            "locked");
        bad("silent sensor", {"write", "ram", "SET"}, 3, "line check failed: Timeout-RS-232...",
            {5}, "silent");
        bad("wrong echo", {"write", "eeprom", "SET", "--yes"}, 3,
            "line check failed: read error - not sync byte 0xAA!", {5}, "wrong echo");
        bad("a write the sensor does not keep", {"write", "ram", "SET", "--verify"}, 1,
            "RAM: 14 word(s) read back differ", {5, 2, 7, 1, 2}, "writes lost");
        const char* noBackup = "no backup of the EEPROM, nothing written";
        bad("no backup: the EEPROM silent", {"write", "eeprom", "SET", "--yes"}, 3, noBackup,
            {5, 2, 7, 4}, "silent eeprom");
        bad("no backup: its folder cannot be made", {"write", "eeprom", "SET", "--yes"}, 5,
            noBackup, {5, 2, 7, 4}, "data home a file");
        bad("written without a backup when told",
            {"write", "eeprom", "SET", "--yes", "--no-backup"}, 0, "", {5, 2, 7, 4, 3},
            "silent eeprom");
        bad("file with fifteen words", {"write", "ram", "SHORT"}, 5, "not a parameter file",
            connect);
        bad("word above 65535", {"write", "eeprom", "BIG", "--yes"}, 5, "not a parameter file",
            connect);
        bad("no such file", {"write", "ram", "NONE"}, 5, "cannot read", connect);
        bad("a value the panel cannot hold", {"write", "ram", "RANGE"}, 5,
            "Reference 2000 is outside what the panel takes (it would hold 512)", connect);
        bad("unwritable output", {"read", "ram", "-o", "/nonexistent/dir/set.dat"}, 5,
            "cannot write /nonexistent/dir/set.dat", connect);
        bad("unwritable recording", {"record", "--seconds", "1", "-o", "/nonexistent/dir/r.csv"}, 5,
            "/nonexistent/dir/r.csv", connect);
    }

    void badInputEndsInItsStatusAndCause() {
        QFETCH(QStringList, words);
        QFETCH(QString, sensorFault);
        QFETCH(int, status);
        QFETCH(QString, cause);
        QFETCH(QList<int>, orders);
        Words range = kFileSet;
        range[2] = 2000;
        QString big = setText(kFileSet);
        big.replace(QStringLiteral("65535"), QStringLiteral("65536"));
        const std::map<QString, QString> files{
            {QStringLiteral("SET"), m_setFile},
            {QStringLiteral("SHORT"),
             writeSetFile(m_dir, "short.dat", setText(kFileSet).section('\n', 0, 14))},
            {QStringLiteral("BIG"), writeSetFile(m_dir, "big.dat", big)},
            {QStringLiteral("RANGE"), writeSetFile(m_dir, "range.dat", setText(range))},
            {QStringLiteral("NONE"), m_dir.filePath("none.dat")},
        };
        for (const auto& [key, path] : files)
            words.replaceInStrings(QRegularExpression(QStringLiteral("^%1$").arg(key)), path);
        const std::map<QString, sim::Fault> faults{
            {QStringLiteral("silent"), sim::Fault::Silent},
            {QStringLiteral("wrong echo"), sim::Fault::WrongEcho},
            {QStringLiteral("writes lost"), sim::Fault::WritesLost}};
        const auto fault = faults.find(sensorFault);
        m_sensor.setFault(fault == faults.end() ? sim::Fault::None : fault->second);
        if (sensorFault == QLatin1String("silent eeprom"))
            m_sensor.setSilentOrders({4});
        // The window holds the port as the seam locks it.
        const int held = sensorFault == QLatin1String("locked")
                             ? ::open(m_sensor.devicePath().c_str(), O_RDONLY | O_NOCTTY)
                             : -1;
        if (held >= 0)
            QCOMPARE(::flock(held, LOCK_EX | LOCK_NB), 0);
        const QString dataHome =
            sensorFault == QLatin1String("data home a file") ? m_setFile : m_dir.path();
        const Outcome command = runCommand(m_sensor, words, dataHome,
                                           sensorFault == QLatin1String("port 1 elsewhere")
                                               ? QStringLiteral("/dev/null")
                                               : QString());
        if (held >= 0)
            ::close(held);
        QCOMPARE(command.status, status);
        const QString said = command.error.trimmed();
        QVERIFY2(said.contains(cause) && !said.contains(QLatin1Char('\n')), qPrintable(said));
        QCOMPARE(ordersOf(command.frames), orders);
        if (status != 2)
            QCOMPARE(command.json["error"].toString(), said.section(QStringLiteral(": "), 1));
    }

    // The live view's frames in the window's recording format, one row a frame shown, each
    // request carrying the panel's set; the ports as the drop-down numbers them.
    void recordingAndPortsAreTheWindows() {
        const QString csv = m_dir.filePath(QStringLiteral("run.csv"));
        const Outcome command =
            runCommand(m_sensor, {"record", "--seconds", "0.5", "-o", csv}, m_dir.path());
        QCOMPARE(command.status, 0);
        const int frames = command.json["frames"].toInt();
        QVERIFY(frames > 0);
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines =
            QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.first(), livetools::csvHeaderRow());
        QCOMPARE(lines.size() - 1, frames);
        const std::vector<sim::Frame> run(command.frames.begin() + 3, command.frames.end());
        QVERIFY(int(run.size()) - frames == 0 || int(run.size()) - frames == 1);
        for (const sim::Frame& request : run) {
            QCOMPARE(sim::orderOf(request), 8);
            QCOMPARE(sim::decodeWords(request), kRam);
        }

        qputenv("NALVO_COM3", QByteArray::fromStdString(m_sensor.devicePath()));
        const Outcome ports = runCommand(m_sensor, {"ports"}, m_dir.path());
        qunsetenv("NALVO_COM3");
        QCOMPARE(ports.status, 0);
        std::map<int, QString> listed;
        for (const QJsonValue port : ports.json["ports"].toArray())
            listed[port["number"].toInt()] = port["device"].toString();
        QCOMPARE(listed[3], QString::fromStdString(m_sensor.devicePath()));
        QVERIFY(listed.count(1));

        QProcess help;
        help.start(QCoreApplication::applicationDirPath() + QStringLiteral("/nalvo-service"),
                   {QStringLiteral("--help")});
        QVERIFY(help.waitForFinished(30000));
        QCOMPARE(help.exitCode(), 0);
        const QString usage = QString::fromUtf8(help.readAllStandardOutput());
        for (const char* command : {"ports", "info", "read ram|eeprom", "write ram|eeprom",
                                    "compare", "record --seconds", "teach reference|button"})
            QVERIFY2(usage.contains(QLatin1String(command)), command);
    }

    // Without --yes, an EEPROM write asks on the terminal, after the backup's read, listing what
    // changes: only a "y" writes.
    void eepromWriteIsAskedOnATerminal_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("status");
        QTest::addColumn<QList<int>>("orders");
        QTest::newRow("yes") << QByteArray("y\n") << 0 << QList<int>{5, 2, 7, 4, 3};
        QTest::newRow("no") << QByteArray("n\n") << 2 << QList<int>{5, 2, 7, 4};
        QTest::newRow("just Return") << QByteArray("\n") << 2 << QList<int>{5, 2, 7, 4};
    }

    void eepromWriteIsAskedOnATerminal() {
        QFETCH(QByteArray, answer);
        QFETCH(int, status);
        QFETCH(QList<int>, orders);
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
        const int terminal = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
        QVERIFY(terminal >= 0);
        QCOMPARE(::write(master, answer.constData(), answer.size()), answer.size());
        const Outcome command =
            runCommand(m_sensor, {"write", "eeprom", m_setFile}, m_dir.path(), {}, terminal);
        ::close(terminal);
        ::close(master);
        QCOMPARE(command.status, status);
        QCOMPARE(ordersOf(command.frames), orders);
        QVERIFY2(command.error.contains(QLatin1String("Reference: 401 -> 700")) &&
                     command.error.contains(QLatin1String("Write the set to the EEPROM of COM1")),
                 qPrintable(command.error));
        QCOMPARE(m_sensor.eeprom(), status == 0 ? kFileSet : kEeprom);
    }

private:
    sim::SimulatedSensor m_sensor;
    QTemporaryDir m_dir;
    QString m_setFile;
};

QTEST_MAIN(ServiceCli)
#include "tst_service_cli.moc"
