// A file the tool writes: a regular file, or a new one, reached through any symlinks to
// regular files. A directory, FIFO, device or socket is refused before anything is opened, and
// the open itself cannot block, should one take the name's place meanwhile.
#pragma once

#include <QByteArrayView>
#include <QString>

#ifndef Q_OS_UNIX
#include <QFile>
#endif

namespace safefile {

// Why nothing may be written at path: "a FIFO, not a regular file" and the like. Empty for a
// regular file and for a name nothing stands for yet.
QString refusal(const QString& path);
// The same for the name itself, not what it leads to: a symlink counts as not a regular file.
// What may be renamed over.
QString nameRefusal(const QString& path);

class OutputFile {
public:
    enum class Creation {
        // An existing file is emptied once it is known to be a regular file.
        Replace,
        // Fails where anything stands at the name already.
        NewOnly,
    };

    OutputFile() = default;
    ~OutputFile() { close(); }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // False with the reason in error(). Every failure below leaves the file closed.
    bool open(const QString& path, Creation creation = Creation::Replace);
    // Appends the record whole or not at all: a write that stops part-way (a full disk, a
    // file-size limit) is cut back to the end of the record before, and error() names the
    // system's cause.
    bool write(QByteArrayView record);
    // Onto the disk, before a rename makes the file count.
    bool sync();
    // False when the name no longer leads to the open file: deleted, moved, or another file
    // put in its place.
    bool stillAtPath();
    void close();

    bool isOpen() const;
    QString path() const { return m_path; }
    QString error() const { return m_error; }

private:
    // Closes the file with the system's text for the error.
    bool fail(int systemError);

    QString m_path;
    QString m_error;
#ifdef Q_OS_UNIX
    int m_fd = -1;
    unsigned long long m_device = 0;
    unsigned long long m_inode = 0;
    long long m_end = 0;
#else
    QFile m_file;
#endif
};

} // namespace safefile
