#include <platform/util.h>

#include <QSaveFile>

#include <cstdint>
#include <fstream>

namespace {

constexpr int kFileError = -1;
constexpr int kBadArgument = -2;
constexpr int kNotAnUnsignedInteger = -3;

bool isSeparator(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',' || c == ';';
}

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

    // Written beside the target and renamed over it, so an existing file is never left
    // half-written. Unbuffered, because a buffered QSaveFile commits a short write (disk full,
    // file-size limit) as if it had succeeded.
    QSaveFile file(QString::fromLocal8Bit(fileName));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        file.write(text) != text.size() || !file.commit())
        return kFileError;
    return 0;
}

int FileToArray(const char* fileName, void* array, int dataType, int numberOfElements,
                int numberOfGroups, int, int, int) {
    if (!fileName || !array || dataType != kTypeUnsignedInt || numberOfElements < 0 ||
        numberOfGroups != 1)
        return kBadArgument;
    auto* values = static_cast<std::uint32_t*>(array);
    std::fill(values, values + numberOfElements, 0u);

    std::ifstream file(fileName, std::ios::binary);
    if (!file)
        return kFileError;
    int count = 0;
    bool inValue = false;
    std::uint32_t value = 0;
    char c = 0;
    while (count < numberOfElements && file.get(c)) {
        if (isSeparator(c)) {
            if (inValue)
                values[count++] = value;
            inValue = false;
            value = 0;
        } else if (c >= '0' && c <= '9') {
            inValue = true;
            value = value * 10u + static_cast<std::uint32_t>(c - '0');
        } else {
            return kNotAnUnsignedInteger;
        }
    }
    if (file.bad())
        return kFileError;
    if (inValue && count < numberOfElements)
        values[count++] = value;
    return count;
}
