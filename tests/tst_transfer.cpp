// Get and Send against the simulated sensor's RAM and EEPROM and a parameter file, the
// target radio buttons, through the real panel; the file dialog answered by the test.
#include "SensorLink.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

using namespace testing;
using sim::Fault;
using sim::Words;

namespace {

const Words kStored{1001, 901, 2000, 99, 3, 1, 7, 2, 6, 101, 701, 401, 12, 13, 14, 65535};
const Words kStoredShown{500, 901, 512, 99, 3, 1, 7, 2, 6, 101, 701, 401, 12, 13, 14, 65535};

std::vector<int> valuesIn(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    std::vector<int> values;
    for (const QByteArray& token : file.readAll().simplified().split(' '))
        if (!token.isEmpty())
            values.push_back(token.toInt());
    return values;
}

void write(const QString& path, const QByteArray& content) {
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(content);
}

// Sixteen values, all 0 but one.
QByteArray sixteen(int position, const QByteArray& value) {
    QByteArrayList words(PNUM, "0");
    words[position] = value;
    return words.join('\n') + '\n';
}

} // namespace

class Transfer : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_tool = std::make_unique<ToolWithSensor>();
        m_tool->connect();
        m_asked.clear();
        m_dir = std::make_unique<QTemporaryDir>();
    }

    void cleanup() { m_tool.reset(); }
    void getAndSendMoveTheWholeSet_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("sendOrder");
        QTest::addColumn<int>("getOrder");
        QTest::newRow("RAM") << CTRL_RAM << 1 << 2;
        QTest::newRow("EEPROM") << CTRL_EEPROM << 3 << 4;
    }

    void getAndSendMoveTheWholeSet() {
        QFETCH(int, button);
        QFETCH(int, sendOrder);
        QFETCH(int, getOrder);
        click(button);
        typeInto(CTRL_REFERENCE, 333);
        free13 = 4242;
        rx_flag = 5;
        // The press alone sends; the release adds nothing, and nothing is awaited.
        QTest::mousePress(control(CTRL_SEND), Qt::LeftButton);
        dispatchPending();
        QVERIFY((*m_tool)->waitForFrames(1, 5s));
        QTest::mouseRelease(control(CTRL_SEND), Qt::LeftButton);
        dispatchPending();
        const Words sent = sim::decodeWords((*m_tool)->receivedFrames()[0]);
        QCOMPARE(sent, shownWords());
        QCOMPARE(sent[2] + sent[13], 333 + 4242);
        QCOMPARE(sendOrder == 1 ? (*m_tool)->ram() : (*m_tool)->eeprom(), sent);
        QCOMPARE(statusText(), QStringLiteral("Line Ok!"));
        QCOMPARE(rx_flag, 5);

        // Out-of-range words read are replaced in the variables as well as on the panel; the
        // read itself leaves the status text as it was.
        (*m_tool)->setRam(kStored);
        (*m_tool)->setEeprom(kStored);
        inputs = 1;
        click(CTRL_GET);
        QCOMPARE(ordersSent(m_tool->sensor()), (std::vector<int>{sendOrder, getOrder}));
        QCOMPARE(shownWords(), kStoredShown);
        CopyVarsToPP();
        QCOMPARE(std::to_array(pp), kStoredShown);
        QVERIFY(!control(CTRL_TOLERANCE)->isEnabled());
        QCOMPARE(shown(CTRL_LAMP_BIT0), 1);
        QCOMPARE(statusText(), QStringLiteral("Line Ok!"));

        // Without an answer the wait runs out, and the panel shows the variables again: an edit
        // never sent gives way.
        (*m_tool)->setFault(Fault::Silent);
        QStringList shownMeanwhile;
        platform::setTimerSource([&shownMeanwhile, now = 0.0]() mutable {
            shownMeanwhile << statusText();
            return now += 0.5;
        });
        typeInto(CTRL_POWER0, 777);
        inputs = 2;
        click(CTRL_GET);
        QVERIFY(shownMeanwhile.contains(QStringLiteral("Waiting for parameter-frame ...")));
        QCOMPARE(statusText(), QStringLiteral("Timeout-RS-232..."));
        QCOMPARE(shown(CTRL_POWER0), 500);
        QCOMPARE(shown(CTRL_LAMP_BIT1), 1);

        // On a port that is not open, a Send fails (with the system's text for both targets),
        // and a Get waits without saying so.
        CloseCom(com);
        click(CTRL_SEND);
        QCOMPARE(statusText(), QStringLiteral("Error writing para to RAM"));
        shownMeanwhile.clear();
        click(CTRL_GET);
        QVERIFY(!shownMeanwhile.contains(QStringLiteral("Waiting for parameter-frame ...")));
        QCOMPARE(statusText(), QStringLiteral("Timeout-RS-232..."));
    }

    void targetRadioButtonsStayInStep_data() {
        QTest::addColumn<int>("from"); // the button selected first
        QTest::addColumn<int>("clicked");
        QTest::addColumn<int>("target");
        // With the rows of tst_ways_of_acting's target test, every move between the targets.
        QTest::newRow("RAM again stays on") << CTRL_RAM << CTRL_RAM << RAM;
        QTest::newRow("File chosen") << CTRL_RAM << CTRL_FILE << DATFILE;
        QTest::newRow("File switched off") << CTRL_FILE << CTRL_FILE << RAM;
        QTest::newRow("RAM chosen from File") << CTRL_FILE << CTRL_RAM << RAM;
        QTest::newRow("EEPROM chosen from File") << CTRL_FILE << CTRL_EEPROM << EEPROM;
    }

    // The one button of the target on, and only the EEPROM stops a run.
    void targetRadioButtonsStayInStep() {
        QFETCH(int, from);
        QFETCH(int, clicked);
        QFETCH(int, target);
        if (from != CTRL_RAM)
            click(from);
        stop_flag = 0;
        click(clicked);
        QCOMPARE(::target, target);
        QCOMPARE((QList<int>{shown(CTRL_RAM), shown(CTRL_EEPROM), shown(CTRL_FILE)}),
                 (QList<int>{target == RAM, target == EEPROM, target == DATFILE}));
        QCOMPARE(stop_flag, int(target == EEPROM));
    }

    void fileSaveThenLoadRestoresAllSixteenWords() {
        chooseFileTarget();
        const Words panel{1000,  0, 1023, 7, 65535, 0,     40000, 3,
                          12345, 0, 1023, 9, 65535, 10000, 0,     1};
        showWords(panel);
        const QString path = m_dir->filePath(QStringLiteral("ZULpara.dat"));
        answerDialogWith(path);
        click(CTRL_SEND);
        QCOMPARE(statusText(), QStringLiteral("Transmit..."));
        std::vector<int> inFile = valuesIn(path);
        QCOMPARE(inFile.size(), size_t(80));
        QCOMPARE(std::vector<int>(inFile.begin(), inFile.begin() + PNUM),
                 std::vector<int>(panel.begin(), panel.end()));
        QVERIFY(std::all_of(inFile.begin() + PNUM, inFile.end(), [](int v) { return v == 0; }));

        showWords(Words{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1});
        click(CTRL_GET);
        QCOMPARE(shownWords(), panel);
        QCOMPARE(statusText(), QString::fromLatin1(szStatus));

        // Cancelled dialogs change nothing.
        answerDialogWith(QString());
        SetCtrlVal(panelHandle, CTRL_STATUS, "as it was");
        click(CTRL_GET);
        QCOMPARE(statusText(), QStringLiteral("as it was"));
        QCOMPARE(shown(CTRL_REFERENCE), 1023);
        QFile::remove(path);
        click(CTRL_SEND);
        QCOMPARE(statusText(), QStringLiteral("Transmit..."));
        QVERIFY(!QFile::exists(path));
        // Neither way talks to the sensor; both dialogs start in the program's directory.
        QVERIFY((*m_tool)->receivedFrames().empty());
        QCOMPARE(m_asked.size(), size_t(4));
        for (const auto& request : m_asked) {
            QCOMPARE(request.defaultDirectory, std::string(proj_dir));
            QCOMPARE(request.defaultFileSpec, std::string("ZULpara.dat"));
            QCOMPARE(request.fileTypeList, std::string("*.dat"));
        }
        QCOMPARE(m_asked[0].title, std::string("T-KOR-ZUL Parameter File:"));
        QCOMPARE(m_asked[0].buttonLabel, kButtonOk);
        QCOMPARE(m_asked[1].title, std::string("T-KOR-Series Parameter File"));
        QCOMPARE(m_asked[1].buttonLabel, kButtonLoad);
    }

    void whatAFileLoads_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("reference"); // as loaded, or -1: the file is refused
        const auto loads = [](const QByteArray& name, const QByteArray& content, int reference) {
            QTest::newRow(name.constData()) << QStringLiteral("file") << content << reference;
        };
        const auto refused = [](const char* name, const QByteArray& content, const char* kind) {
            QTest::newRow(name) << QString::fromLatin1(kind) << content << -1;
        };
        const QByteArray set = sixteen(2, "333");
        loads("sixteen values", set, 333);
        loads("a value out of range as its default", sixteen(2, "2000"), 512);
        // Whatever follows the sixteenth value is ignored.
        for (const QByteArray after : {"70000", "4294967296", "ten", "-1", "1.5"})
            loads("then " + after, set + after + '\n', 333);
        loads("then 2^64 + 5 last of 80",
              set + QByteArray("0\n").repeated(63) + "18446744073709551621\n", 333);
        loads("then binary bytes", set + QByteArray("\x00\xff\x80garbage", 10), 333);
        refused("missing", {}, "missing");
        refused("a directory", {}, "directory");
        refused("a FIFO with values", {}, "fifo");
        refused("a symlink to it", {}, "link to fifo");
        refused("a device", {}, "device");
        refused("fifteen values", sixteen(0, "5").left(30), "file");
        refused("a word", sixteen(3, "ten"), "file");
        refused("a negative value", sixteen(3, "-1"), "file");
        refused("a fraction", sixteen(3, "1.5"), "file");
        refused("a value above 16 bits", sixteen(4, "65536"), "file");
        refused("letters after the sixteenth value's digits", sixteen(15, "7x"), "file");
        refused("2^64 + 5", sixteen(4, "18446744073709551621"), "file");
    }

    void whatAFileLoads() {
        QFETCH(QString, kind);
        QFETCH(QByteArray, content);
        QFETCH(int, reference);
        chooseFileTarget();
        QString path = m_dir->filePath(QStringLiteral("ZULpara.dat"));
        // A FIFO that holds a whole parameter set, with a writer that stays.
        QFile fifo(m_dir->filePath(QStringLiteral("fifo")));
        if (kind.contains(QLatin1String("fifo"))) {
            QCOMPARE(mkfifo(fifo.fileName().toLocal8Bit().constData(), 0600), 0);
            QVERIFY(fifo.open(QIODevice::ReadWrite | QIODevice::Unbuffered));
            fifo.write(sixteen(0, "5"));
        }
        if (kind == QLatin1String("directory"))
            QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("ZULpara.dat")));
        else if (kind == QLatin1String("file"))
            write(path, content);
        else if (kind == QLatin1String("device"))
            path = QStringLiteral("/dev/zero");
        else if (kind == QLatin1String("fifo"))
            path = fifo.fileName();
        else if (kind == QLatin1String("link to fifo"))
            QVERIFY(QFile::link(fifo.fileName(), path));
        SetCtrlVal(panelHandle, CTRL_POWER0, 777);
        const Words before = shownWords();
        answerDialogWith(path);
        click(CTRL_GET);
        if (reference >= 0) {
            QCOMPARE(statusText(), QString::fromLatin1(szStatus));
            QCOMPARE(shown(CTRL_REFERENCE), reference);
            QCOMPARE(::reference, reference);
        } else {
            QCOMPARE(statusText(), QStringLiteral("Error reading parameter file!"));
            QCOMPARE(shownWords(), before);
            QCOMPARE(shown(CTRL_POWER0), 777);
        }
    }

    void fileSaveGoesOnlyToRegularFiles() {
        // No one may create files in /proc, root included. What else the writer refuses, and how
        // it writes through a link, is tst_safe_file's.
        chooseFileTarget();
        const QString fifo = m_dir->filePath(QStringLiteral("fifo"));
        QCOMPARE(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
        for (const QString& path :
             {QStringLiteral("/proc/ZULpara.dat"),
              m_dir->filePath(QStringLiteral("no/such/folder/ZULpara.dat")), fifo}) {
            answerDialogWith(path);
            click(CTRL_SEND);
            QCOMPARE(statusText(), QStringLiteral("Error writing parameter file!"));
        }
    }

    void dialogStartsWhereOneCanWriteAndKeepsNoHistory() {
        // The real dialog, in a home of its own, so that whatever it kept would show up there.
        const QByteArray home = qgetenv("HOME");
        const auto restoreHome = qScopeGuard([&home] { qputenv("HOME", home); });
        qunsetenv("XDG_CONFIG_HOME");
        qputenv("HOME", QFile::encodeName(m_dir->path()));
        const QString documents = m_dir->filePath(QStringLiteral("Documents"));
        QVERIFY(QDir().mkdir(documents));
        QString startedIn;
        QTimer::singleShot(0, [&startedIn] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            startedIn = dialog->directory().path();
            dialog->selectFile(QStringLiteral("foo.txt"));
            QMetaObject::invokeMethod(dialog, "accept"); // what its accept button does
        });
        char chosen[kMaxPathnameLen] = {};
        QCOMPARE(FileSelectPopup("/no/such/directory", "ZULpara.dat", "*.dat", "T", kButtonOk, 0, 1,
                                 1, 1, chosen),
                 kNewFileSelected);
        QCOMPARE(startedIn, documents);
        QCOMPARE(QString::fromLocal8Bit(chosen), documents + QStringLiteral("/foo.txt.dat"));
        QCOMPARE(
            QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{QStringLiteral("Documents")});
    }

private:
    void chooseFileTarget() {
        click(CTRL_FILE);
        QCOMPARE(target, DATFILE);
    }

    // The dialog answers with this path, or is cancelled when it is empty.
    void answerDialogWith(const QString& path) {
        platform::setFileSelectAnswer(
            [this, path](const platform::FileSelectRequest& request, std::string& chosen) {
                m_asked.push_back(request);
                if (path.isEmpty())
                    return 0;
                chosen = path.toStdString();
                return QFile::exists(path) ? kExistingFileSelected : kNewFileSelected;
            });
    }

    std::unique_ptr<ToolWithSensor> m_tool;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::vector<platform::FileSelectRequest> m_asked;
};

QTEST_MAIN(Transfer)
#include "tst_transfer.moc"
