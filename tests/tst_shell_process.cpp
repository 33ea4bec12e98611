// The real executable: its exit codes, and that it opens no window when it cannot start.
#include "XServer.h"

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

QProcessEnvironment environmentFor(const QString& display) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    if (display.isEmpty())
        env.remove(QStringLiteral("DISPLAY"));
    else
        env.insert(QStringLiteral("DISPLAY"), display);
    // A port that is not there: the tool starts at once and shows why on its status line.
    env.insert(QStringLiteral("NALVO_COM1"), QStringLiteral("/dev/nalvo-no-such-port"));
    return env;
}

} // namespace

class ShellProcess : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void closeBoxEndsTheToolWithZero();
    void panelFileThatCannotBeLoadedEndsWithMinusOne_data();
    void panelFileThatCannotBeLoadedEndsWithMinusOne();
    void noDisplayEndsWithMinusOneAndOneLine();

private:
    XServer m_x;
};

void ShellProcess::initTestCase() {
    QVERIFY2(m_x.start(), "Xvfb does not start");
}

void ShellProcess::closeBoxEndsTheToolWithZero() {
    QProcess tool;
    tool.setProcessEnvironment(environmentFor(m_x.display()));
    tool.start(realExecutable());
    const unsigned long window = m_x.waitForWindow(kTitle, 30s);
    QVERIFY2(window != 0, tool.readAllStandardError().constData());
    m_x.pressCloseBox(window);
    QVERIFY(tool.waitForFinished(30000));
    QVERIFY2(tool.exitStatus() == QProcess::NormalExit, tool.readAllStandardError().constData());
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

    const int windowsBefore = m_x.mappedWindows();
    QProcess tool;
    tool.setProcessEnvironment(environmentFor(m_x.display()));
    tool.start(copy);
    QVERIFY(tool.waitForFinished(30000));
    QVERIFY2(tool.exitStatus() == QProcess::NormalExit, tool.readAllStandardError().constData());
    QCOMPARE(tool.exitCode(), 255);
    QCOMPARE(m_x.mappedWindows(), windowsBefore);
}

void ShellProcess::noDisplayEndsWithMinusOneAndOneLine() {
    QProcess tool;
    tool.setProcessEnvironment(environmentFor(QString()));
    tool.start(realExecutable());
    QVERIFY(tool.waitForFinished(30000));
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tool.exitCode(), 255);
    const QString said = QString::fromLocal8Bit(tool.readAllStandardError()).trimmed();
    QCOMPARE(said.count(QLatin1Char('\n')), 0);
    QVERIFY2(said.contains(QLatin1String("display")), qPrintable(said));
}

QTEST_GUILESS_MAIN(ShellProcess)
#include "tst_shell_process.moc"
