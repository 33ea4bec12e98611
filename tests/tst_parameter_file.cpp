// Saving the parameter set to a parameter file and loading it back, through the File target
// of Send and Get, with the file dialog answered by the test.
#include "PanelDriver.h"
#include "SensorLink.h"

#include <app/Nalvo-ZUridozU10.h>
#include <com232/com232.h>
#include <gui/gui.h>
#include <platform/overrides.h>
#include <platform/ui.h>
#include <shared/ControlIds.h>

#include <QDir>
#include <QFileInfo>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace testing;

namespace {

unsigned short* const kPacketOrder[PNUM] = {
    &power0,  &power1,  &reference, &tolerance, &hwMode, &polarity, &anaMode, &evalMode,
    &average, &teachAB, &teachCD,   &teachTHD,  &free12, &free13,   &free14,  &free15};

std::vector<int> variables() {
    std::vector<int> values;
    for (unsigned short* v : kPacketOrder)
        values.push_back(*v);
    return values;
}

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

QByteArray sixteen(int position, const QByteArray& value) {
    QByteArrayList words(PNUM, "0");
    words[position] = value;
    return words.join('\n') + '\n';
}

} // namespace

class ParameterFile : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void saveThenLoadRestoresAllSixteenWords();
    void loadClamps_data();
    void loadClamps();
    void fileThatCannotBeLoadedChangesNothing_data();
    void fileThatCannotBeLoadedChangesNothing();
    void cancelledDialogsChangeNothing();
    void saveThatCannotBeWrittenSaysSo();
    void saveThroughASymlinkUpdatesItsTarget();
    void fileSizeLimitIsAnErrorNotTheEnd();

private:
    // The dialog answers with this path, or is cancelled when it is empty.
    void answerDialogWith(const QString& path);

    std::unique_ptr<ToolWithSensor> m_tool;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::vector<platform::FileSelectRequest> m_asked;
};

void ParameterFile::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_tool = std::make_unique<ToolWithSensor>();
    m_tool->connect();
    clickControl(CTRL_FILE);
    dispatchPending();
    QCOMPARE(target, DATFILE);
    m_asked.clear();
}

void ParameterFile::cleanup() {
    platform::setFileSelectAnswer({});
    m_tool.reset();
}

void ParameterFile::answerDialogWith(const QString& path) {
    platform::setFileSelectAnswer(
        [this, path](const platform::FileSelectRequest& request, std::string& chosen) {
            m_asked.push_back(request);
            if (path.isEmpty())
                return 0;
            chosen = path.toStdString();
            return QFile::exists(path) ? kExistingFileSelected : kNewFileSelected;
        });
}

void ParameterFile::saveThenLoadRestoresAllSixteenWords() {
    const std::vector<int> panel{1000, 0, 1023, 7, 65535, 0, 40000, 3, 12345, 0, 1023, 9};
    const int ids[] = {CTRL_POWER0,  CTRL_POWER1,   CTRL_REFERENCE, CTRL_TOLERANCE,
                       CTRL_HW_MODE, CTRL_POLARITY, CTRL_ANA_MODE,  CTRL_EVAL_MODE,
                       CTRL_AVERAGE, CTRL_TEACH_AB, CTRL_TEACH_CD,  CTRL_TEACH_THD};
    for (size_t i = 0; i < panel.size(); ++i)
        SetCtrlVal(panelHandle, ids[i], panel[i]);
    free12 = 65535;
    free13 = 10000;
    free14 = 0;
    free15 = 1;
    const QString path = m_dir->filePath(QStringLiteral("ZULpara.dat"));
    answerDialogWith(path);

    clickControl(CTRL_SEND);
    dispatchPending();
    QCOMPARE(statusText(), QStringLiteral("Transmit..."));
    const std::vector<int> saved = variables();
    std::vector<int> inFile = valuesIn(path);
    QCOMPARE(inFile.size(), size_t(80));
    QCOMPARE(std::vector<int>(inFile.begin(), inFile.begin() + PNUM), saved);
    QVERIFY(std::all_of(inFile.begin() + PNUM, inFile.end(), [](int v) { return v == 0; }));
    QCOMPARE(saved[7], 3); // evalMode before average in the file, as in the packet
    QCOMPARE(saved[8], 12345);

    for (unsigned short* v : kPacketOrder)
        *v = 1;
    const QString statusBefore = statusText();
    clickControl(CTRL_GET);
    dispatchPending();
    QCOMPARE(variables(), saved);
    QCOMPARE(intValue(CTRL_AVERAGE), 12345);
    QCOMPARE(intValue(CTRL_HW_MODE), 65535);
    QCOMPARE(statusText(), QString::fromLatin1(szStatus));
    QCOMPARE(statusBefore, QStringLiteral("Transmit..."));

    // Neither way talks to the sensor.
    QVERIFY((*m_tool)->receivedFrames().empty());
    QCOMPARE(m_asked.size(), size_t(2));
    char projectDir[kMaxPathnameLen];
    GetProjectDir(projectDir);
    for (const auto& request : m_asked) {
        QCOMPARE(request.defaultDirectory, std::string(projectDir));
        QCOMPARE(request.defaultFileSpec, std::string("ZULpara.dat"));
        QCOMPARE(request.fileTypeList, std::string("*.dat"));
    }
    QCOMPARE(m_asked[0].title, std::string("T-KOR-ZUL Parameter File:"));
    QCOMPARE(m_asked[0].buttonLabel, kButtonOk);
    QCOMPARE(m_asked[1].title, std::string("T-KOR-Series Parameter File"));
    QCOMPARE(m_asked[1].buttonLabel, kButtonLoad);
}

void ParameterFile::loadClamps_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("variable");
    QTest::addColumn<int>("shown");
    QTest::newRow("reference 2000 becomes 512") << 2 << QByteArray("2000") << 512 << 512;
    QTest::newRow("free word above 9999") << 15 << QByteArray("65535") << 65535 << -1;
}

void ParameterFile::loadClamps() {
    QFETCH(int, position);
    QFETCH(QByteArray, value);
    QFETCH(int, variable);
    QFETCH(int, shown);
    const QString path = m_dir->filePath(QStringLiteral("one.dat"));
    write(path, sixteen(position, value));
    answerDialogWith(path);
    clickControl(CTRL_GET);
    dispatchPending();
    QCOMPARE(int(*kPacketOrder[position]), variable);
    const int ids[] = {CTRL_POWER0, CTRL_POWER1, CTRL_REFERENCE, CTRL_TOLERANCE, CTRL_HW_MODE};
    if (shown >= 0)
        QCOMPARE(intValue(ids[position]), shown);
}

void ParameterFile::fileThatCannotBeLoadedChangesNothing_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("missing") << "missing" << QByteArray();
    QTest::newRow("a directory") << "directory" << QByteArray();
    QTest::newRow("a FIFO") << "fifo" << QByteArray();
    QTest::newRow("a symlink to a FIFO") << "link to fifo" << QByteArray();
    QTest::newRow("a device") << "device" << QByteArray();
    QTest::newRow("a word above 16 bits") << "file" << sixteen(4, "65536");
    QTest::newRow("a word of 2^64 + 5") << "file" << sixteen(4, "18446744073709551621");
    QTest::newRow("fifteen values") << "file" << sixteen(0, "5").left(30);
    QTest::newRow("a word") << "file" << sixteen(3, "ten");
    QTest::newRow("a negative value") << "file" << sixteen(3, "-1");
    QTest::newRow("a fraction") << "file" << sixteen(3, "1.5");
}

void ParameterFile::fileThatCannotBeLoadedChangesNothing() {
    QFETCH(QString, kind);
    QFETCH(QByteArray, content);
    QString path = m_dir->filePath(QStringLiteral("bad.dat"));
    if (kind == QLatin1String("directory"))
        QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("bad.dat")));
    else if (kind == QLatin1String("file"))
        write(path, content);
    else if (kind == QLatin1String("device"))
        path = QStringLiteral("/dev/zero");
    else if (kind.contains(QLatin1String("fifo")))
        QCOMPARE(mkfifo(m_dir->filePath(QStringLiteral("fifo")).toLocal8Bit().constData(), 0600),
                 0);
    // A FIFO that holds a whole parameter set, with a writer that stays.
    QFile writer(m_dir->filePath(QStringLiteral("fifo")));
    if (kind.contains(QLatin1String("fifo"))) {
        QVERIFY(writer.open(QIODevice::ReadWrite | QIODevice::Unbuffered));
        writer.write(sixteen(0, "5"));
    }
    if (kind == QLatin1String("fifo"))
        path = writer.fileName();
    else if (kind == QLatin1String("link to fifo"))
        QVERIFY(QFile::link(writer.fileName(), path));
    SetCtrlVal(panelHandle, CTRL_POWER0, 777);
    const std::vector<int> before = variables();
    answerDialogWith(path);
    clickControl(CTRL_GET);
    dispatchPending();
    QCOMPARE(statusText(), QStringLiteral("Error reading parameter file!"));
    QCOMPARE(variables(), before);
    QCOMPARE(intValue(CTRL_POWER0), 777);
}

void ParameterFile::cancelledDialogsChangeNothing() {
    answerDialogWith(QString());
    SetCtrlVal(panelHandle, CTRL_STATUS, "as it was");
    SetCtrlVal(panelHandle, CTRL_POWER0, 777);
    const std::vector<int> before = variables();
    clickControl(CTRL_GET);
    dispatchPending();
    QCOMPARE(statusText(), QStringLiteral("as it was"));
    QCOMPARE(variables(), before);
    QCOMPARE(intValue(CTRL_POWER0), 777);

    clickControl(CTRL_SEND);
    dispatchPending();
    QCOMPARE(statusText(), QStringLiteral("Transmit..."));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList());
    QCOMPARE(m_asked.size(), size_t(2));
}

void ParameterFile::saveThatCannotBeWrittenSaysSo() {
    // No one may create files in /proc, root included. A FIFO, or a symlink to one, stays
    // what it is.
    const QString fifo = m_dir->filePath(QStringLiteral("fifo"));
    QCOMPARE(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    const QString link = m_dir->filePath(QStringLiteral("link.dat"));
    QVERIFY(QFile::link(fifo, link));
    for (const QString& path :
         {QStringLiteral("/proc/ZULpara.dat"),
          m_dir->filePath(QStringLiteral("no/such/folder/ZULpara.dat")), fifo, link}) {
        answerDialogWith(path);
        clickControl(CTRL_SEND);
        dispatchPending();
        QCOMPARE(statusText(), QStringLiteral("Error writing parameter file!"));
    }
    struct stat info {};
    QCOMPARE(lstat(fifo.toLocal8Bit().constData(), &info), 0);
    QVERIFY(S_ISFIFO(info.st_mode));
    QVERIFY(QFileInfo(link).isSymLink());
}

void ParameterFile::saveThroughASymlinkUpdatesItsTarget() {
    const QString target = m_dir->filePath(QStringLiteral("real.dat"));
    write(target, "old\n");
    const QString link = m_dir->filePath(QStringLiteral("link.dat"));
    QVERIFY(QFile::link(target, link));
    SetCtrlVal(panelHandle, CTRL_POWER0, 321);
    answerDialogWith(link);
    clickControl(CTRL_SEND);
    dispatchPending();
    QCOMPARE(statusText(), QStringLiteral("Transmit..."));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(valuesIn(target).front(), 321);
}

void ParameterFile::fileSizeLimitIsAnErrorNotTheEnd() {
    // The tool's own start-up is what protects it, so the save runs in a child that starts
    // the toolkit and then meets a tight limit.
    const QString path = m_dir->filePath(QStringLiteral("limited.dat"));
    write(path, "1 2 3\n");
    const pid_t child = fork();
    if (child == 0) {
        static int argc = 1;
        static char name[] = "child";
        static char* argv[] = {name, nullptr};
        InitToolkit(argc, argv);
        const rlimit tight{100, 100};
        setrlimit(RLIMIT_FSIZE, &tight);
        const std::vector<std::uint32_t> values(80, 65535);
        const int result = ArrayToFile(path.toLocal8Bit().constData(), values.data(),
                                       kTypeUnsignedInt, 80, 1, 0, 0, 0, 4, 1, 0);
        _exit(result < 0 ? 0 : 1);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY2(WIFEXITED(status), "the save killed the process");
    QCOMPARE(WEXITSTATUS(status), 0);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("1 2 3\n"));
}

QTEST_MAIN(ParameterFile)
#include "tst_parameter_file.moc"
