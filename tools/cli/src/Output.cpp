#include "Output.h"

#include <QJsonDocument>

#include <cstdio>

namespace cli {

namespace {

constexpr int kNameWidth = 18;
constexpr int kValueWidth = 7;

QString cell(const std::optional<int>& value) {
    return (value ? QString::number(*value) : QStringLiteral("-")).rightJustified(kValueWidth);
}

QJsonValue jsonCell(const std::optional<int>& value) {
    return value ? QJsonValue(*value) : QJsonValue();
}

} // namespace

QJsonArray wordsJson(const Words& words, const paramguard::ListedSet& names) {
    QJsonArray array;
    for (std::size_t i = 0; i < words.size(); ++i)
        array.append(QJsonObject{{QStringLiteral("word"), int(i)},
                                 {QStringLiteral("name"), names.words.at(i).name},
                                 {QStringLiteral("value"), words[i]}});
    return array;
}

QString wordsTable(const Words& words, const paramguard::ListedSet& names) {
    QString table;
    for (std::size_t i = 0; i < words.size(); ++i)
        table += QStringLiteral("%1  %2 %3\n")
                     .arg(i, 2)
                     .arg(names.words.at(i).name, -kNameWidth)
                     .arg(words[i], kValueWidth);
    return table;
}

std::vector<int> differingWords(const paramguard::ListedSet& set) {
    std::vector<int> differing;
    for (std::size_t i = 0; i < set.words.size(); ++i) {
        const paramguard::ListedWord& word = set.words[i];
        std::optional<int> first;
        bool differs = false;
        for (const std::optional<int>& value : {word.ram, word.eeprom, word.file}) {
            if (!value)
                continue;
            differs = differs || (first && *first != *value);
            first = first ? first : value;
        }
        if (differs)
            differing.push_back(int(i));
    }
    return differing;
}

QJsonArray comparisonJson(const Compared& compared) {
    const std::vector<int> differing = differingWords(compared.set);
    QJsonArray array;
    for (std::size_t i = 0; i < compared.set.words.size(); ++i) {
        const paramguard::ListedWord& word = compared.set.words[i];
        QJsonObject row{{QStringLiteral("word"), int(i)},
                        {QStringLiteral("name"), word.name},
                        {QStringLiteral("ram"), jsonCell(word.ram)},
                        {QStringLiteral("eeprom"), jsonCell(word.eeprom)}};
        if (compared.withFile)
            row.insert(QStringLiteral("file"), jsonCell(word.file));
        row.insert(QStringLiteral("differs"),
                   std::find(differing.begin(), differing.end(), int(i)) != differing.end());
        array.append(row);
    }
    return array;
}

QString comparisonTable(const Compared& compared) {
    const std::vector<int> differing = differingWords(compared.set);
    QString table =
        QStringLiteral("%1  %2 %3 %4%5\n")
            .arg(QString(), 2)
            .arg(QString(), -kNameWidth)
            .arg(QStringLiteral("RAM"), kValueWidth)
            .arg(QStringLiteral("EEPROM"), kValueWidth)
            .arg(compared.withFile ? QStringLiteral(" %1").arg(QStringLiteral("file"), kValueWidth)
                                   : QString());
    for (std::size_t i = 0; i < compared.set.words.size(); ++i) {
        const paramguard::ListedWord& word = compared.set.words[i];
        const bool differs =
            std::find(differing.begin(), differing.end(), int(i)) != differing.end();
        table += QStringLiteral("%1  %2 %3 %4%5%6\n")
                     .arg(i, 2)
                     .arg(word.name, -kNameWidth)
                     .arg(cell(word.ram), cell(word.eeprom))
                     .arg(compared.withFile ? QStringLiteral(" ") + cell(word.file) : QString())
                     .arg(differs ? QStringLiteral("  ≠") : QString());
    }
    return table;
}

void printOut(const QString& text) {
    std::fputs(text.toUtf8().constData(), stdout);
    std::fflush(stdout);
}

void printError(const QString& message) {
    std::fprintf(stderr, "nalvo-service: %s\n", message.toUtf8().constData());
    std::fflush(stderr);
}

QString jsonText(const QJsonObject& object) {
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented));
}

} // namespace cli
