#include "Dialogs.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <memory>

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
    const auto [box, discard] = discardQuestion(parent, by, unsentCount);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(box, &QMessageBox::finished, box,
                     [box, discard, answered = std::move(answered)] {
                         answered(box->clickedButton() == discard);
                     });
    box->open();
}

EepromAnswer askEepromWrite(QWidget* parent, const std::vector<EepromRow>& rows) {
    if (g_eepromAnswer)
        return g_eepromAnswer(rows);
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Write to EEPROM"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(
        QStringLiteral("These values will be stored in the sensor's EEPROM. Rows marked \u2260 "
                       "differ from the values last read from the sensor."),
        &dialog));
    auto* table = new QTableWidget(static_cast<int>(rows.size()), 3, &dialog);
    table->setHorizontalHeaderLabels(
        {QStringLiteral("Parameter"), QStringLiteral("To write"), QStringLiteral("Last read")});
    table->verticalHeader()->hide();
    table->setAccessibleName(QStringLiteral("Values to write"));
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        const EepromRow& word = rows[row];
        const bool differs = word.lastRead && *word.lastRead != word.value;
        table->setItem(row, 0, cell(word.name, differs));
        table->setItem(
            row, 1,
            cell((differs ? QStringLiteral("\u2260 ") : QString()) + QString::number(word.value),
                 differs));
        table->setItem(
            row, 2,
            cell(word.lastRead ? QString::number(*word.lastRead) : QStringLiteral("-"), differs));
    }
    table->resizeColumnsToContents();
    layout->addWidget(table);
    auto* stopAsking =
        new QCheckBox(QStringLiteral("&Do not ask again until the tool is closed"), &dialog);
    layout->addWidget(stopAsking);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, &dialog);
    buttons->addButton(QStringLiteral("&Write to EEPROM"), QDialogButtonBox::AcceptRole);
    buttons->button(QDialogButtonBox::Cancel)->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    const bool write = dialog.exec() == QDialog::Accepted;
    return {write, write && stopAsking->isChecked()};
}

} // namespace paramguard
