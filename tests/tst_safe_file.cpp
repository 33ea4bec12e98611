// What the tool's writers may write onto, and what a failed write leaves: every kind of thing a
// name can stand for, written row by row and replaced whole.
#include <safefile/OutputFile.h>
#include <safefile/WholeFile.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// What a name stands for, link by link: "link > fifo", "file: old".
QString node(const QString& path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return QStringLiteral("nothing");
    if (S_ISLNK(info.st_mode))
        return QStringLiteral("link > ") + node(QFileInfo(path).symLinkTarget());
    if (S_ISREG(info.st_mode)) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return QStringLiteral("file: ") + QString::fromLatin1(file.readAll());
    }
    return S_ISFIFO(info.st_mode)   ? QStringLiteral("fifo")
           : S_ISCHR(info.st_mode)  ? QStringLiteral("device")
           : S_ISDIR(info.st_mode)  ? QStringLiteral("directory")
           : S_ISSOCK(info.st_mode) ? QStringLiteral("socket")
                                    : QStringLiteral("other");
}

void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// A writer puts "new" where path leads; true when it did.
using Writer = std::function<bool(const QString& path, QString& why)>;

bool writeRows(const QString& path, QString& why) {
    safefile::OutputFile file;
    const bool written = file.open(path) && file.write("ne") && file.write("w");
    why = file.error();
    return written;
}

bool replaceWhole(const QString& path, QString& why) {
    return safefile::saveWhole(path, "new", why);
}

} // namespace

class SafeFile : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // As the tool does, so that a file-size limit fails the write rather than the process.
        std::signal(SIGXFSZ, SIG_IGN);
    }

    void onlyRegularFilesAreWritten_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("refusedAs");
        const auto row = [](const char* name, const char* kind, const char* refusedAs = "") {
            QTest::newRow(name) << QString(kind) << QString(refusedAs);
        };
        row("regular file", "file");
        row("new file", "nothing");
        row("symlink to a regular file", "link > file");
        row("symlink to a new file", "link > nothing");
        row("symlink to a FIFO", "link > fifo", "a FIFO");
        row("symlink to a device node", "link > pty", "a device");
        row("FIFO with no reader", "fifo", "a FIFO");
        row("pseudo-terminal", "pty", "a device");
        row("directory", "directory", "a directory");
        row("socket", "socket", "a socket");
    }

    void onlyRegularFilesAreWritten() {
        QFETCH(QString, kind);
        QFETCH(QString, refusedAs);
        const QString refused =
            refusedAs.isEmpty() ? QString() : refusedAs + QStringLiteral(", not a regular file");
        for (const Writer& writer : {Writer(writeRows), Writer(replaceWhole)}) {
            QTemporaryDir dir;
            const QString path = make(dir, kind);
            const QString before = node(path);
            QString why;
            // An open that blocks ends the test here rather than hanging it.
            alarm(10);
            const bool written = writer(path, why);
            alarm(0);
            QCOMPARE(why, refused);
            QCOMPARE(written, refused.isEmpty());
            if (written)
                QCOMPARE(node(path),
                         QString(before).replace(QRegularExpression("(file: old|nothing)$"),
                                                 QStringLiteral("file: new")));
            else
                QCOMPARE(node(path), before);
            // Nothing reached the terminal's other end.
            char got = 0;
            QVERIFY(m_ptyMaster < 0 || ::read(m_ptyMaster, &got, 1) <= 0);
            // No temporary file is left beside it.
            const QDir::Filters all = QDir::AllEntries | QDir::Hidden | QDir::System;
            QCOMPARE(QDir(dir.path()).entryList(all).filter(QStringLiteral(".tmp")), QStringList());
            if (m_ptyMaster >= 0)
                ::close(std::exchange(m_ptyMaster, -1));
        }
    }

    void whatTakesTheNameMeanwhileIsNotReplaced() {
        // Between the check of the name and the rename over it, another program acts.
        for (const auto& [kind, refusedAs] :
             {std::pair{"fifo", "a FIFO"}, std::pair{"link > pty", "a symbolic link"}}) {
            QTemporaryDir dir;
            const QString path = dir.filePath(QStringLiteral("target"));
            writeFile(path, "old");
            QString before;
            const QString madeAs = QString::fromLatin1(kind);
            safefile::setBeforeReplacing([&](const QString& target) {
                QFile::remove(target);
                const QString made = make(dir, madeAs);
                if (made != target)
                    QFile::rename(made, target);
                before = node(target);
            });
            QString why;
            const bool saved = safefile::saveWhole(path, "new", why);
            safefile::setBeforeReplacing({});
            QVERIFY(!saved);
            QCOMPARE(why, refusedAs + QStringLiteral(", not a regular file"));
            QCOMPARE(node(path), before);
            const QDir::Filters all =
                QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
            QCOMPARE(QDir(dir.path()).entryList(all), QStringList{"target"});
        }
    }

    void aFailedWriteKeepsWholeFilesAndRows() {
        QTemporaryDir dir;
        const QString whole = dir.filePath(QStringLiteral("whole"));
        const QString rows = dir.filePath(QStringLiteral("rows"));
        writeFile(whole, "old");
        rlimit before{};
        getrlimit(RLIMIT_FSIZE, &before);
        const rlimit tight{10, before.rlim_max};
        setrlimit(RLIMIT_FSIZE, &tight);
        QString why;
        const bool saved = safefile::saveWhole(whole, "twelve bytes", why);
        safefile::OutputFile file;
        const bool opened = file.open(rows);
        const bool first = file.write("row one\n");
        const bool second = file.write("row two\n");
        setrlimit(RLIMIT_FSIZE, &before);
        QVERIFY(!saved);
        QCOMPARE(why, QStringLiteral("File too large"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"rows", "whole"}));
        QCOMPARE(node(whole), QStringLiteral("file: old"));
        QVERIFY(opened && first && !second);
        QCOMPARE(file.error(), QStringLiteral("File too large"));
        QVERIFY(!file.isOpen());
        QCOMPARE(node(rows), QStringLiteral("file: row one\n"));
    }

private:
    // What the test writes onto, made in dir; returns the name to write to.
    QString make(const QTemporaryDir& dir, const QString& kind) {
        const QString path = dir.filePath(QStringLiteral("target"));
        const QString linked = dir.filePath(QStringLiteral("linked"));
        const QByteArray name = QFile::encodeName(path);
        if (kind == QLatin1String("file"))
            writeFile(path, "old");
        else if (kind == QLatin1String("fifo"))
            mkfifo(name.constData(), 0600);
        else if (kind == QLatin1String("directory"))
            QDir(dir.path()).mkdir(QStringLiteral("target"));
        else if (kind == QLatin1String("socket"))
            bindSocket(name);
        // A device of the test's own: a writer that took one such as /dev/null would replace it.
        else if (kind == QLatin1String("pty"))
            return openPty();
        else if (kind.startsWith(QLatin1String("link > "))) {
            QFile::link(make(dir, kind.mid(7)), linked);
            return linked;
        }
        return path;
    }

    static void bindSocket(const QByteArray& name) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, name.constData(), sizeof address.sun_path);
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
    }

    QString openPty() {
        if (m_ptyMaster >= 0)
            ::close(m_ptyMaster);
        m_ptyMaster = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_ptyMaster < 0 || grantpt(m_ptyMaster) != 0 || unlockpt(m_ptyMaster) != 0)
            qFatal("no pseudo-terminal");
        return QString::fromLatin1(ptsname(m_ptyMaster));
    }

    int m_ptyMaster = -1;
};

QTEST_GUILESS_MAIN(SafeFile)
#include "tst_safe_file.moc"
