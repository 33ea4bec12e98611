#include "CompareWindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace paramguard {

namespace {
const char* const kColumnNames[kColumns] = {"Parameter", "Panel", "RAM", "EEPROM", "File"};
const QString kDiffers = QStringLiteral("\u2260 ");
} // namespace

CompareWindow::CompareWindow(QWidget* panel)
    : QDialog(panel), m_table(new QTableWidget(kWords, kColumns, this)) {
    setObjectName(QStringLiteral("compareWindow"));
    setWindowTitle(QStringLiteral("Compare parameter sets"));
    auto* layout = new QVBoxLayout(this);
    m_table->setObjectName(QStringLiteral("compareTable"));
    m_table->setAccessibleName(QStringLiteral("Parameter sets compared"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the table for the buttons; the arrow keys move within it.
    m_table->setTabKeyNavigation(false);
    m_table->verticalHeader()->hide();
    for (int column = 0; column < kColumns; ++column)
        m_table->setHorizontalHeaderItem(column,
                                         new QTableWidgetItem(QLatin1String(kColumnNames[column])));
    for (int row = 0; row < kWords; ++row)
        m_table->setItem(row, 0, new QTableWidgetItem(QLatin1String(kParameters[row].name)));
    layout->addWidget(
        new QLabel(QStringLiteral("Values marked \u2260 differ from the panel's."), this));
    m_table->resizeColumnToContents(0);
    m_table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_table);

    auto* buttons = new QHBoxLayout;
    auto* again = new QPushButton(QStringLiteral("Compare &again"), this);
    connect(again, &QPushButton::clicked, this, &CompareWindow::compareAgain);
    auto* file = new QPushButton(QStringLiteral("Add &file..."), this);
    file->setObjectName(QStringLiteral("addFile"));
    connect(file, &QPushButton::clicked, this, &CompareWindow::addFile);
    buttons->addWidget(again);
    buttons->addWidget(file);
    buttons->addStretch();
    for (const Column column : {kRamColumn, kEepromColumn, kFileColumn}) {
        auto* take = new QPushButton(
            QStringLiteral("%1 into panel").arg(QLatin1String(kColumnNames[column])), this);
        take->setObjectName(QStringLiteral("take%1").arg(QLatin1String(kColumnNames[column])));
        take->setToolTip(QStringLiteral("Shows this column on the panel, as values not sent yet"));
        take->setEnabled(false);
        connect(take, &QPushButton::clicked, this, [this, column] { emit takeIntoPanel(column); });
        buttons->addWidget(take);
        m_take[column] = take;
    }
    layout->addLayout(buttons);
    resize(660, 640);
}

void CompareWindow::showColumn(Column column, const SetRead& read) {
    m_sets[column] = read.words;
    if (m_take[column])
        m_take[column]->setEnabled(read.words.has_value());
    if (m_table->rowSpan(0, column) > 1)
        m_table->setSpan(0, column, 1, 1);
    for (int row = 0; row < kWords; ++row)
        m_table->setItem(
            row, column,
            new QTableWidgetItem(read.words ? QString::number((*read.words)[row]) : QString()));
    if (!read.words) {
        // The column says why it is empty, over its whole height.
        m_table->item(0, column)->setText(read.problem);
        m_table->setSpan(0, column, kWords, 1);
    }
    markDifferences();
}

void CompareWindow::markDifferences() {
    const std::optional<ParameterSet>& panel = m_sets[kPanelColumn];
    for (int column = kRamColumn; column < kColumns; ++column) {
        if (!m_sets[column] || !panel)
            continue;
        for (int row = 0; row < kWords; ++row) {
            QTableWidgetItem* item = m_table->item(row, column);
            const bool differs = (*m_sets[column])[row] != (*panel)[row];
            item->setText((differs ? kDiffers : QString()) +
                          QString::number((*m_sets[column])[row]));
            QFont font = item->font();
            font.setBold(differs);
            item->setFont(font);
            item->setBackground(differs ? QBrush(QColor(0xff, 0xe0, 0xb2)) : QBrush());
        }
    }
}

} // namespace paramguard
