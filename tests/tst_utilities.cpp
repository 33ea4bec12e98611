// The seam's formatting, file and clock operations, on their own.
#include <platform/overrides.h>
#include <platform/util.h>

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

#include <array>
#include <csignal>
#include <cstdint>
#include <fstream>
#include <vector>

class Utilities : public QObject {
    Q_OBJECT

private slots:
    void fmtTakesTheLowByteOfEachInt_data();
    void fmtTakesTheLowByteOfEachInt();
    void fmtRefusesOtherFormats_data();
    void fmtRefusesOtherFormats();
    void fileToArrayReadsUnsignedIntegers_data();
    void fileToArrayReadsUnsignedIntegers();
    void arrayToFileRoundTripsEveryValue();
    void arrayToFileKeepsTheOldFileWhenItCannotWrite();
    void fileToArrayFailsOnAMissingFile();

private:
    QTemporaryDir m_dir;
    QString writeFile(const QByteArray& content);
};

QString Utilities::writeFile(const QByteArray& content) {
    static int count = 0;
    const QString path = m_dir.filePath(QStringLiteral("f%1.dat").arg(++count));
    std::ofstream(path.toStdString(), std::ios::binary) << content.toStdString();
    return path;
}

void Utilities::fmtTakesTheLowByteOfEachInt_data() {
    QTest::addColumn<std::vector<int>>("ints");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("letters") << std::vector<int>{'A', 'b', 'C'} << QByteArray("AbC");
    QTest::newRow("high bytes ignored") << std::vector<int>{0x1241, 0xFF42} << QByteArray("AB");
    QTest::newRow("stops at zero") << std::vector<int>{'x', 'y', 0, 'z'} << QByteArray("xy");
    QTest::newRow("zero in the low byte only")
        << std::vector<int>{'x', 0x100, 'z'} << QByteArray("x");
    std::vector<int> full(32, 'q');
    QTest::newRow("32 characters") << full << QByteArray(32, 'q');
}

void Utilities::fmtTakesTheLowByteOfEachInt() {
    QFETCH(std::vector<int>, ints);
    QFETCH(QByteArray, text);
    std::vector<int> words(32, 0);
    std::copy(ints.begin(), ints.end(), words.begin());
    std::array<char, 65> target;
    target.fill('#');
    QCOMPARE(Fmt(target.data(), "%64c<%32i", words.data()), text.size());
    QCOMPARE(QByteArray(target.data()), text);
}

void Utilities::fmtRefusesOtherFormats_data() {
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("no source") << QByteArray("%64c");
    QTest::newRow("wrong letters") << QByteArray("%64i<%32c");
    QTest::newRow("no count") << QByteArray("%c<%i");
    QTest::newRow("trailing text") << QByteArray("%64c<%32i junk");
}

void Utilities::fmtRefusesOtherFormats() {
    QFETCH(QByteArray, format);
    std::array<int, 32> words{};
    std::array<char, 65> target{};
    QVERIFY(Fmt(target.data(), format.constData(), words.data()) < 0);
}

void Utilities::fileToArrayReadsUnsignedIntegers_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("result");
    QTest::addColumn<std::vector<std::uint32_t>>("values");
    QTest::newRow("one a line") << QByteArray(" 500\n 500\n   0\n") << 3
                                << std::vector<std::uint32_t>{500, 500, 0};
    QTest::newRow("mixed separators")
        << QByteArray("1,2;3\t4 5\r\n6") << 6 << std::vector<std::uint32_t>{1, 2, 3, 4, 5, 6};
    QTest::newRow("wide values") << QByteArray("65535 70000 4294967295") << 3
                                 << std::vector<std::uint32_t>{65535, 70000, 4294967295u};
    QTest::newRow("beyond 32 bits")
        << QByteArray("4294967296") << -3 << std::vector<std::uint32_t>{};
    QTest::newRow("stops at the element count")
        << QByteArray("1 2 3 4 5 6 7 8 9 x") << 8
        << std::vector<std::uint32_t>{1, 2, 3, 4, 5, 6, 7, 8};
    QTest::newRow("empty file") << QByteArray() << 0 << std::vector<std::uint32_t>{};
    QTest::newRow("negative number") << QByteArray("1 -2 3") << -3 << std::vector<std::uint32_t>{};
    QTest::newRow("decimal point") << QByteArray("1 2.5") << -3 << std::vector<std::uint32_t>{};
    QTest::newRow("words") << QByteArray("power 500") << -3 << std::vector<std::uint32_t>{};
    QTest::newRow("binary") << QByteArray("\x01\x02\xff", 3) << -3 << std::vector<std::uint32_t>{};
}

void Utilities::fileToArrayReadsUnsignedIntegers() {
    QFETCH(QByteArray, content);
    QFETCH(int, result);
    QFETCH(std::vector<std::uint32_t>, values);
    std::array<std::uint32_t, 8> array;
    array.fill(0xDEADBEEF);
    const QByteArray path = writeFile(content).toLocal8Bit();
    QCOMPARE(FileToArray(path.constData(), array.data(), kTypeUnsignedInt, 8, 1, 0, 0, 1), result);
    if (result < 0)
        return;
    for (size_t i = 0; i < array.size(); ++i)
        QCOMPARE(array[i], i < values.size() ? values[i] : 0u);
}

void Utilities::arrayToFileRoundTripsEveryValue() {
    // Every 16-bit value, also those wider than the field, reads back unchanged.
    std::vector<std::uint32_t> written(65536);
    for (std::uint32_t i = 0; i < written.size(); ++i)
        written[i] = i;
    const QByteArray path = m_dir.filePath(QStringLiteral("all.dat")).toLocal8Bit();
    QCOMPARE(
        ArrayToFile(path.constData(), written.data(), kTypeUnsignedInt, 65536, 1, 0, 0, 0, 4, 1, 0),
        0);
    std::vector<std::uint32_t> read(65536, 7);
    QCOMPARE(FileToArray(path.constData(), read.data(), kTypeUnsignedInt, 65536, 1, 0, 0, 1),
             65536);
    QCOMPARE(read, written);

    QFile file(QString::fromLocal8Bit(path));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readLine(), QByteArray("   0\n"));
}

void Utilities::arrayToFileKeepsTheOldFileWhenItCannotWrite() {
    const QString path = writeFile("1 2 3\n");
    // A file-size limit makes the write fail half-way, for root too.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit tight = previous;
    tight.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &tight);
    const std::vector<std::uint32_t> values(1000, 12345);
    const int result = ArrayToFile(path.toLocal8Bit().constData(), values.data(), kTypeUnsignedInt,
                                   1000, 1, 0, 0, 0, 4, 1, 0);
    setrlimit(RLIMIT_FSIZE, &previous);

    QVERIFY(result < 0);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("1 2 3\n"));
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files).filter(QStringLiteral(".dat")).size(),
             QDir(m_dir.path()).entryList(QDir::Files).size());

    const QByteArray inMissingDir = m_dir.filePath(QStringLiteral("no/such/dir.dat")).toLocal8Bit();
    QVERIFY(ArrayToFile(inMissingDir.constData(), values.data(), kTypeUnsignedInt, 2, 1, 0, 0, 0, 4,
                        1, 0) < 0);
}

void Utilities::fileToArrayFailsOnAMissingFile() {
    std::array<std::uint32_t, 4> array{};
    const QByteArray path = m_dir.filePath(QStringLiteral("missing.dat")).toLocal8Bit();
    QVERIFY(FileToArray(path.constData(), array.data(), kTypeUnsignedInt, 4, 1, 0, 0, 1) < 0);
}

QTEST_GUILESS_MAIN(Utilities)
#include "tst_utilities.moc"
