// Saving the parameter set to a parameter file and loading it back, through the File target
// of Send and Get, with the file dialog answered by the test.
#include "PanelDriver.h"
#include "SensorLink.h"

#include <app/Nalvo-ZUridozU10.h>
#include <app/panel_ids.h>
#include <com232/com232.h>
#include <gui/gui.h>
#include <platform/overrides.h>
#include <platform/ui.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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
    void loadTakesLowSixteenBitsAndClamps_data();
    void loadTakesLowSixteenBitsAndClamps();
    void fileThatCannotBeLoadedChangesNothing_data();
    void fileThatCannotBeLoadedChangesNothing();
    void cancelledDialogsChangeNothing();
    void saveThatCannotBeWrittenSaysSo();

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

void ParameterFile::loadTakesLowSixteenBitsAndClamps_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("variable");
    QTest::addColumn<int>("shown");
    QTest::newRow("70000 loads as 4464") << 4 << QByteArray("70000") << 4464 << 4464;
    QTest::newRow("reference 2000 becomes 512") << 2 << QByteArray("2000") << 512 << 512;
    QTest::newRow("free word above 9999") << 15 << QByteArray("65535") << 65535 << -1;
}

void ParameterFile::loadTakesLowSixteenBitsAndClamps() {
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
    // No one may create files in /proc, root included.
    for (const QString& path : {QStringLiteral("/proc/ZULpara.dat"),
                                m_dir->filePath(QStringLiteral("no/such/folder/ZULpara.dat"))}) {
        answerDialogWith(path);
        clickControl(CTRL_SEND);
        dispatchPending();
        QCOMPARE(statusText(), QStringLiteral("Error writing parameter file!"));
    }
}

QTEST_MAIN(ParameterFile)
#include "tst_parameter_file.moc"
