// The real executable: its window comes only after the connect sequence, and its exit codes.
#include "XServer.h"

#include <sim/SimulatedSensor.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace testing;
using namespace std::chrono_literals;

namespace {

const QString kTitle = QStringLiteral("T-KOR-ZUL Sensor Service");

QString realExecutable() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Nalvo-ZUridozU10");
}

// Runs a copy of the tool, or the tool, to its end; "" as the display means none.
int exitCodeOf(const QString& program, const QString& display, QString* said = nullptr) {
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("DISPLAY"), display);
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("NALVO_COM1"), QStringLiteral("/dev/nalvo-no-such-port"));
    tool.setProcessEnvironment(env);
    tool.start(program);
    if (!tool.waitForFinished(30000) || tool.exitStatus() != QProcess::NormalExit)
        return -1000;
    if (said)
        *said = QString::fromLocal8Bit(tool.readAllStandardError()).trimmed();
    return tool.exitCode();
}

} // namespace

class ShellProcess : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(m_x.start(), "Xvfb does not start"); }
    void windowComesAfterTheConnectAndTheCloseBoxEndsWithZero();
    void panelFileThatCannotBeLoadedEndsWithMinusOne_data();
    void panelFileThatCannotBeLoadedEndsWithMinusOne();
    void noDisplayEndsWithMinusOneAndOneLine();

private:
    XServer m_x;
};

void ShellProcess::windowComesAfterTheConnectAndTheCloseBoxEndsWithZero() {
    // Replies come late, so that a window shown before the connect sequence had ended would
    // be seen while the sensor still had replies to send.
    sim::SimulatedSensor sensor;
    QVERIFY(sensor.start());
    sensor.setLateReplyDelay(300ms);
    sensor.setFault(sim::Fault::LateReply);
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("DISPLAY"), m_x.display());
    env.insert(QStringLiteral("NALVO_COM1"), QString::fromStdString(sensor.devicePath()));
    tool.setProcessEnvironment(env);
    tool.start(realExecutable());
    const unsigned long window = m_x.waitForWindow(kTitle, 30s);
    QVERIFY2(window != 0, tool.readAllStandardError().constData());
    QCOMPARE(sensor.repliesSent(), std::size_t{3});
    m_x.pressCloseBox(window);
    QVERIFY(tool.waitForFinished(30000));
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tool.exitCode(), 0);
}

void ShellProcess::panelFileThatCannotBeLoadedEndsWithMinusOne_data() {
    QTest::addColumn<QString>("panelFile"); // "" none, "dir" a directory, else its content
    QTest::newRow("absent") << QString();
    QTest::newRow("not a panel") << QStringLiteral("garbage");
    QTest::newRow("unreadable") << QStringLiteral("dir");
}

void ShellProcess::panelFileThatCannotBeLoadedEndsWithMinusOne() {
    QFETCH(QString, panelFile);
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("Nalvo-ZUridozU10"));
    QVERIFY(QFile::copy(realExecutable(), copy));
    const QString panelPath = dir.filePath(QStringLiteral("Nalvo-ZUridozU10.uir"));
    if (panelFile == QLatin1String("dir")) {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Nalvo-ZUridozU10.uir")));
    } else if (!panelFile.isEmpty()) {
        QFile file(panelPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(panelFile.toUtf8());
    }
    QCOMPARE(exitCodeOf(copy, m_x.display()), 255);
}

void ShellProcess::noDisplayEndsWithMinusOneAndOneLine() {
    QString said;
    QCOMPARE(exitCodeOf(realExecutable(), QString(), &said), 255);
    QCOMPARE(said.count(QLatin1Char('\n')), 0);
    QVERIFY2(said.contains(QLatin1String("display")), qPrintable(said));
}

QTEST_GUILESS_MAIN(ShellProcess)
#include "tst_shell_process.moc"
