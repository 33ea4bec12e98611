#include <platform/util.h>

#include <safefile/OutputFile.h>
#include <safefile/WholeFile.h>

#include <QFile>

#include <array>
#include <cstdint>
#include <limits>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

constexpr int kFileError = -1;
constexpr int kBadArgument = -2;
constexpr int kNotAnUnsignedInteger = -3;

bool isSeparator(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',' || c == ';';
}

// A FIFO would block the open until someone writes to it, and a device may never end: only
// regular files hold values, by the same rule as every file the tool writes.
bool existsAsOtherThanRegularFile(const char* fileName) {
    return !safefile::refusal(QFile::decodeName(fileName)).isEmpty();
}

// A file open for reading. On Unix non-blocking all the same, should the name be made a FIFO
// after the check above.
class InputFile {
public:
    explicit InputFile(const char* fileName) {
#ifdef Q_OS_UNIX
        m_fd = ::open(fileName, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
#else
        m_file.setFileName(QString::fromLocal8Bit(fileName));
        m_file.open(QIODevice::ReadOnly);
#endif
    }
    ~InputFile() {
#ifdef Q_OS_UNIX
        if (m_fd >= 0)
            ::close(m_fd);
#endif
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool isOpen() const {
#ifdef Q_OS_UNIX
        return m_fd >= 0;
#else
        return m_file.isOpen();
#endif
    }

    // Bytes read, 0 at the end, negative on an error.
    qint64 read(char* data, qint64 size) {
#ifdef Q_OS_UNIX
        return ::read(m_fd, data, static_cast<size_t>(size));
#else
        return m_file.read(data, size);
#endif
    }

private:
#ifdef Q_OS_UNIX
    int m_fd = -1;
#else
    QFile m_file;
#endif
};

// Parses unsigned integers of at most 32 bits, one character at a time.
class ValueReader {
public:
    ValueReader(std::uint32_t* values, int count) : m_values(values), m_count(count) {}

    bool full() const { return m_read == m_count; }
    int read() const { return m_read; }

    // False when the character cannot be part of the file.
    bool take(char c) {
        if (isSeparator(c)) {
            finishValue();
            return true;
        }
        if (c < '0' || c > '9')
            return false;
        m_inValue = true;
        m_value = m_value * 10u + static_cast<std::uint64_t>(c - '0');
        return m_value <= std::numeric_limits<std::uint32_t>::max();
    }

    void finishValue() {
        if (m_inValue && !full())
            m_values[m_read++] = static_cast<std::uint32_t>(m_value);
        m_inValue = false;
        m_value = 0;
    }

private:
    std::uint32_t* m_values;
    int m_count;
    int m_read = 0;
    bool m_inValue = false;
    std::uint64_t m_value = 0;
};

} // namespace

int ArrayToFile(const char* fileName, const void* array, int dataType, int numberOfElements,
                int numberOfGroups, int, int, int, int fieldWidth, int, int) {
    if (!fileName || !array || dataType != kTypeUnsignedInt || numberOfElements < 0 ||
        numberOfGroups != 1)
        return kBadArgument;
    const auto* values = static_cast<const std::uint32_t*>(array);
    QByteArray text;
    for (int i = 0; i < numberOfElements; ++i)
        text += QByteArray::number(values[i]).rightJustified(fieldWidth, ' ') + '\n';
    // Replaced whole, so an existing file is never left half-written.
    QString why;
    return safefile::saveWhole(QFile::decodeName(fileName), text, why) ? 0 : kFileError;
}

int FileToArray(const char* fileName, void* array, int dataType, int numberOfElements,
                int numberOfGroups, int, int, int) {
    if (!fileName || !array || dataType != kTypeUnsignedInt || numberOfElements < 0 ||
        numberOfGroups != 1)
        return kBadArgument;
    auto* values = static_cast<std::uint32_t*>(array);
    std::fill(values, values + numberOfElements, 0u);

    if (existsAsOtherThanRegularFile(fileName))
        return kFileError;
    InputFile file(fileName);
    if (!file.isOpen())
        return kFileError;
    int result = 0;
    ValueReader reader(values, numberOfElements);
    std::array<char, 4096> chunk{};
    while (result == 0 && !reader.full()) {
        const qint64 got = file.read(chunk.data(), static_cast<qint64>(chunk.size()));
        if (got < 0)
            result = kFileError;
        if (got <= 0)
            break;
        for (qint64 i = 0; i < got && !reader.full() && result == 0; ++i)
            if (!reader.take(chunk[static_cast<size_t>(i)]))
                result = kNotAnUnsignedInteger;
    }
    if (result < 0)
        return result;
    reader.finishValue();
    return reader.read();
}
