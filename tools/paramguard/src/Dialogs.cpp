#include "Dialogs.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <memory>
#include <tuple>

namespace paramguard {

namespace {

DiscardAnswer g_discardAnswer;
EepromConfirm g_eepromAnswer;

// The question, and its button that discards.
std::pair<QMessageBox*, QAbstractButton*> discardQuestion(QWidget* parent, Replacing by,
                                                          int unsentCount) {
    auto* box = new QMessageBox(
        QMessageBox::Question, QStringLiteral("Unsent changes"),
        unsentCount == 1
            ? QStringLiteral("1 value changed on the panel has not been sent.")
            : QStringLiteral("%1 values changed on the panel have not been sent.").arg(unsentCount),
        QMessageBox::NoButton, parent);
    QString consequence, discard;
    switch (by) {
    case Replacing::Get:
        consequence = QStringLiteral("Get replaces them with the values it reads.");
        discard = QStringLiteral("&Discard and get");
        break;
    case Replacing::PortChange:
        consequence = QStringLiteral(
            "Connecting to the port reads the sensor's parameter set, which replaces them.");
        discard = QStringLiteral("&Discard and connect");
        break;
    case Replacing::Close:
        consequence = QStringLiteral("They are lost when the tool closes.");
        discard = QStringLiteral("&Discard and close");
        break;
    }
    box->setInformativeText(consequence);
    QPushButton* discardButton = box->addButton(discard, QMessageBox::DestructiveRole);
    box->addButton(QMessageBox::Cancel);
    box->setDefaultButton(QMessageBox::Cancel);
    return {box, discardButton};
}

QTableWidgetItem* cell(const QString& text, bool differs) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    if (differs) {
        QFont font = item->font();
        font.setBold(true);
        item->setFont(font);
    }
    return item;
}

QString readTime(const QDateTime& at) {
    return at.date() == QDate::currentDate() ? at.toString(QStringLiteral("HH:mm:ss"))
                                             : at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString eepromIntroduction(const EepromQuestion& question) {
    QString text = QStringLiteral("These values will be stored in the sensor's EEPROM. ");
    if (question.readAt.isValid())
        text += QStringLiteral("Rows marked \u2260 differ from the EEPROM as %1 at %2.")
                    .arg(question.written ? QStringLiteral("written") : QStringLiteral("read"),
                         readTime(question.readAt));
    else
        text += QStringLiteral("The EEPROM has not been read since the tool started: read it to "
                               "see which values change.");
    if (question.backupProblem.isEmpty())
        text += QStringLiteral("\nThe EEPROM's values before the write are kept in %1")
                    .arg(QDir::toNativeSeparators(question.backupPath));
    else
        text += QStringLiteral("\nNo backup of the EEPROM was made: %1. Write without one only if "
                               "its values are known.")
                    .arg(question.backupProblem);
    return text;
}

void fillEepromTable(QTableWidget* table, const EepromQuestion& question) {
    table->setRowCount(static_cast<int>(question.rows.size()));
    for (int row = 0; row < table->rowCount(); ++row) {
        const EepromRow& word = question.rows[row];
        const bool differs = word.inEeprom && *word.inEeprom != word.value;
        table->setItem(row, 0, cell(word.name, differs));
        table->setItem(
            row, 1,
            cell((differs ? QStringLiteral("\u2260 ") : QString()) + QString::number(word.value),
                 differs));
        table->setItem(
            row, 2,
            cell(word.inEeprom ? QString::number(*word.inEeprom) : QStringLiteral("-"), differs));
    }
    table->resizeColumnsToContents();
}

} // namespace

void setDiscardAnswer(DiscardAnswer answer) {
    g_discardAnswer = std::move(answer);
}

void setEepromAnswer(EepromConfirm answer) {
    g_eepromAnswer = std::move(answer);
}

bool askDiscard(QWidget* parent, Replacing by, int unsentCount) {
    if (g_discardAnswer)
        return g_discardAnswer(by, unsentCount);
    const auto [box, discard] = discardQuestion(parent, by, unsentCount);
    const std::unique_ptr<QMessageBox> owned(box);
    box->exec();
    return box->clickedButton() == discard;
}

void askDiscardLater(QWidget* parent, Replacing by, int unsentCount,
                     std::function<void(bool discard)> answered) {
    if (g_discardAnswer) {
        answered(g_discardAnswer(by, unsentCount));
        return;
    }
    // Named apart rather than bound: the lambda below captures them, which clang 14 does not
    // allow for structured bindings.
    QMessageBox* box = nullptr;
    QAbstractButton* discard = nullptr;
    std::tie(box, discard) = discardQuestion(parent, by, unsentCount);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(box, &QMessageBox::finished, box,
                     [box, discard, answered = std::move(answered)] {
                         answered(box->clickedButton() == discard);
                     });
    box->open();
}

EepromAnswer askEepromWrite(QWidget* parent, EepromQuestion question,
                            const std::function<EepromQuestion()>& readEeprom) {
    if (g_eepromAnswer) {
        EepromAnswer answer = g_eepromAnswer(question);
        while (answer.readFirst)
            answer = g_eepromAnswer(question = readEeprom());
        return answer;
    }
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Write to EEPROM"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* introduction = new QLabel(&dialog);
    introduction->setObjectName(QStringLiteral("eepromIntroduction"));
    introduction->setWordWrap(true);
    layout->addWidget(introduction);
    auto* table = new QTableWidget(0, 3, &dialog);
    table->setHorizontalHeaderLabels(
        {QStringLiteral("Parameter"), QStringLiteral("To write"), QStringLiteral("In EEPROM")});
    table->verticalHeader()->hide();
    table->setAccessibleName(QStringLiteral("Values to write"));
    // Tab leaves the table for the buttons; the arrow keys move within it.
    table->setTabKeyNavigation(false);
    layout->addWidget(table);
    auto* stopAsking =
        new QCheckBox(QStringLiteral("&Do not ask again until the tool is closed"), &dialog);
    layout->addWidget(stopAsking);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, &dialog);
    QPushButton* read =
        buttons->addButton(QStringLiteral("&Read EEPROM again"), QDialogButtonBox::ActionRole);
    read->setToolTip(QStringLiteral("Reads the sensor's EEPROM again, keeps it as a backup and "
                                    "shows which values the write changes"));
    buttons->addButton(QStringLiteral("&Write to EEPROM"), QDialogButtonBox::AcceptRole);
    buttons->button(QDialogButtonBox::Cancel)->setDefault(true);
    const auto showQuestion = [&] {
        introduction->setText(eepromIntroduction(question));
        introduction->setAccessibleDescription(introduction->text());
        fillEepromTable(table, question);
        // Once there is a backup, reading again brings nothing new.
        read->setVisible(!question.backupProblem.isEmpty());
    };
    showQuestion();
    QObject::connect(read, &QPushButton::clicked, &dialog, [&] {
        // The read waits for the sensor while events go on: nothing is pressed meanwhile.
        buttons->setEnabled(false);
        question = readEeprom();
        buttons->setEnabled(true);
        showQuestion();
    });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    const bool write = dialog.exec() == QDialog::Accepted;
    return {write, write && stopAsking->isChecked(), false};
}

} // namespace paramguard
