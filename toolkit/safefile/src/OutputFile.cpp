#include <safefile/OutputFile.h>

#include <QFile>

#include <system_error>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QFileInfo>
#endif

namespace safefile {

namespace {

QString systemText(int systemError) {
    return QString::fromStdString(std::generic_category().message(systemError));
}

#ifdef Q_OS_UNIX
// Writing onto a device sends the bytes down its line, a FIFO without a reader holds the
// writer, and replacing either would put a file where the node was.
QString kindRefused(mode_t mode) {
    if (S_ISDIR(mode))
        return QStringLiteral("a directory, not a regular file");
    if (S_ISFIFO(mode))
        return QStringLiteral("a FIFO, not a regular file");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device, not a regular file");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket, not a regular file");
    if (S_ISLNK(mode))
        return QStringLiteral("a symbolic link, not a regular file");
    return QStringLiteral("not a regular file");
}

QString statRefusal(const QString& path, int (*statCall)(const char*, struct stat*)) {
    struct stat info {};
    if (statCall(QFile::encodeName(path).constData(), &info) == 0 && !S_ISREG(info.st_mode))
        return kindRefused(info.st_mode);
    return {};
}
#endif

} // namespace

QString refusal(const QString& path) {
#ifdef Q_OS_UNIX
    return statRefusal(path, ::stat);
#else
    const QFileInfo info(path);
    if (!info.exists() || info.isFile())
        return {};
    return info.isDir() ? QStringLiteral("a directory, not a regular file")
                        : QStringLiteral("not a regular file");
#endif
}

QString nameRefusal(const QString& path) {
#ifdef Q_OS_UNIX
    return statRefusal(path, ::lstat);
#else
    return QFileInfo(path).isSymLink() ? QStringLiteral("a symbolic link, not a regular file")
                                       : refusal(path);
#endif
}

#ifdef Q_OS_UNIX

bool OutputFile::open(const QString& path, Creation creation) {
    close();
    m_path = path;
    m_error = refusal(path);
    if (!m_error.isEmpty())
        return false;
    // Non-blocking, should a FIFO have taken the name since: its open fails at once without a
    // reader, and with one the check below refuses it. Emptied only once known to be a file.
    const int flags = O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC |
                      (creation == Creation::NewOnly ? O_EXCL : 0);
    m_fd = ::open(QFile::encodeName(path).constData(), flags, 0666);
    if (m_fd < 0)
        return fail(errno);
    struct stat opened {};
    if (::fstat(m_fd, &opened) != 0)
        return fail(errno);
    if (!S_ISREG(opened.st_mode)) {
        close();
        m_error = kindRefused(opened.st_mode);
        return false;
    }
    if (creation == Creation::Replace && ::ftruncate(m_fd, 0) != 0)
        return fail(errno);
    m_device = opened.st_dev;
    m_inode = opened.st_ino;
    m_end = 0;
    return true;
}

bool OutputFile::write(QByteArrayView record) {
    const char* data = record.data();
    qsizetype left = record.size();
    while (left > 0) {
        const ssize_t written = ::write(m_fd, data, static_cast<size_t>(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            // A part of the record may have gone out before the error: cut it off. The file is
            // closed after it, so nothing is written behind the cut.
            const int cause = written < 0 ? errno : EIO;
            [[maybe_unused]] const int cutBack = ::ftruncate(m_fd, m_end);
            return fail(cause);
        }
        data += written;
        left -= written;
    }
    m_end += record.size();
    return true;
}

bool OutputFile::sync() {
    return ::fsync(m_fd) == 0 || fail(errno);
}

bool OutputFile::stillAtPath() {
    struct stat now {};
    if (::stat(QFile::encodeName(m_path).constData(), &now) != 0) {
        m_error = errno == ENOENT ? QStringLiteral("deleted or moved away") : systemText(errno);
        return false;
    }
    if (now.st_dev != m_device || now.st_ino != m_inode) {
        m_error = QStringLiteral("another file has taken its place");
        return false;
    }
    return true;
}

void OutputFile::close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool OutputFile::isOpen() const {
    return m_fd >= 0;
}

#else

bool OutputFile::open(const QString& path, Creation creation) {
    close();
    m_path = path;
    m_error = refusal(path);
    if (!m_error.isEmpty())
        return false;
    m_file.setFileName(path);
    const QIODevice::OpenMode mode =
        QIODevice::WriteOnly | QIODevice::Unbuffered |
        (creation == Creation::NewOnly ? QIODevice::NewOnly : QIODevice::Truncate);
    if (m_file.open(mode))
        return true;
    m_error = m_file.errorString();
    return false;
}

bool OutputFile::write(QByteArrayView record) {
    const qint64 end = m_file.pos();
    if (m_file.write(record.data(), record.size()) == record.size())
        return true;
    m_error = m_file.errorString();
    m_file.resize(end);
    close();
    return false;
}

bool OutputFile::sync() {
    return m_file.flush();
}

bool OutputFile::stillAtPath() {
    if (QFileInfo::exists(m_path))
        return true;
    m_error = QStringLiteral("deleted or moved away");
    return false;
}

void OutputFile::close() {
    m_file.close();
}

bool OutputFile::isOpen() const {
    return m_file.isOpen();
}

#endif

bool OutputFile::fail(int systemError) {
    m_error = systemText(systemError);
    close();
    return false;
}

} // namespace safefile
