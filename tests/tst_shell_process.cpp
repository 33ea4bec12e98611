// The real executable on a real X server (CTest runs this under xvfb-run): its window comes
// only after the connect sequence, the close box ends it with 0, and it ends with -1 when it
// cannot start.
#include <sim/SimulatedSensor.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// After Qt: Xlib defines Status and Bool as macros.
#include <X11/Xlib.h>

using namespace std::chrono_literals;

namespace {

// The one beside the tests, or the one NALVO_EXECUTABLE names (an installed tool).
QString realExecutable() {
    const QString named = qEnvironmentVariable("NALVO_EXECUTABLE");
    return named.isEmpty() ? QCoreApplication::applicationDirPath() + "/Nalvo-ZUridozU10" : named;
}

// The tool on the X server, or on none; port 1 on the given device.
void start(QProcess& tool, const QString& program, bool display, const QString& device) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("NALVO_COM1"), device);
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    if (!display)
        env.remove(QStringLiteral("DISPLAY"));
    tool.setProcessEnvironment(env);
    tool.start(program);
}

// Waits until the tool's window is mapped (its title may name the device); its id, or 0.
unsigned long waitForWindow() {
    QProcess search;
    search.start(QStringLiteral("xdotool"), {"search", "--sync", "--onlyvisible", "--name",
                                             "^T-KOR-ZUL Sensor Service( - .*)?$"});
    if (!search.waitForFinished(30000))
        search.kill();
    return search.readAllStandardOutput().split('\n').value(0).toULong();
}

// What the close box does: the window manager sends WM_DELETE_WINDOW.
void pressCloseBox(unsigned long window) {
    Display* connection = XOpenDisplay(nullptr);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(connection, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(connection, "WM_DELETE_WINDOW", False));
    XSendEvent(connection, window, False, NoEventMask, &event);
    XCloseDisplay(connection);
}

} // namespace

class ShellProcess : public QObject {
    Q_OBJECT

private slots:
    void windowComesAfterTheConnectAndTheCloseBoxEndsWithZero() {
        // Replies come late, so that a window shown before the connect sequence had ended would
        // be seen while the sensor still had replies to send.
        sim::SimulatedSensor sensor;
        QVERIFY(sensor.start());
        sensor.setLateReplyDelay(300ms);
        sensor.setFault(sim::Fault::LateReply);
        QProcess tool;
        start(tool, realExecutable(), true, QString::fromStdString(sensor.devicePath()));
        const unsigned long window = waitForWindow();
        QVERIFY2(window != 0, tool.readAllStandardError().constData());
        QCOMPARE(sensor.repliesSent(), std::size_t{3});
        pressCloseBox(window);
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tool.exitCode(), 0);
    }

    void cannotStartEndsWithMinusOne_data() {
        // What lies where the panel file should: nothing, a directory or the real one. What the
        // loader refuses is tst_panel's.
        QTest::addColumn<QString>("panelFile");
        QTest::addColumn<bool>("display");
        QTest::newRow("no panel file") << QString() << true;
        QTest::newRow("unreadable panel file") << QStringLiteral("dir") << true;
        QTest::newRow("no display") << QStringLiteral("real") << false;
    }

    void cannotStartEndsWithMinusOne() {
        QFETCH(QString, panelFile);
        QFETCH(bool, display);
        QTemporaryDir dir;
        const QString copy = dir.filePath(QStringLiteral("Nalvo-ZUridozU10"));
        QVERIFY(QFile::copy(realExecutable(), copy));
        const QString panelPath = dir.filePath(QStringLiteral("Nalvo-ZUridozU10.uir"));
        if (panelFile == QLatin1String("dir"))
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Nalvo-ZUridozU10.uir")));
        else if (panelFile == QLatin1String("real"))
            QVERIFY(QFile::copy(realExecutable() + QStringLiteral(".uir"), panelPath));
        QProcess tool;
        start(tool, copy, display, QStringLiteral("/dev/nalvo-no-such-port"));
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tool.exitCode(), 255);
        // Without a display it says why, in one line.
        const QString said = QString::fromLocal8Bit(tool.readAllStandardError()).trimmed();
        if (!display)
            QVERIFY2(!said.contains(QLatin1Char('\n')) && said.contains(QLatin1String("display")),
                     qPrintable(said));
    }
};

QTEST_GUILESS_MAIN(ShellProcess)
#include "tst_shell_process.moc"
