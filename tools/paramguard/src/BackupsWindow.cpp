#include "BackupsWindow.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace paramguard {

BackupsWindow::BackupsWindow(QWidget* panel)
    : QDialog(panel), m_where(new QLabel(this)), m_list(new QTreeWidget(this)),
      m_load(new QPushButton(QStringLiteral("&Load into panel"), this)),
      m_compare(new QPushButton(QStringLiteral("&Compare"), this)) {
    setObjectName(QStringLiteral("backupsWindow"));
    setWindowTitle(QStringLiteral("EEPROM backups"));
    auto* layout = new QVBoxLayout(this);
    m_where->setObjectName(QStringLiteral("backupsWhere"));
    m_where->setWordWrap(true);
    m_where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_where);
    auto* caption = new QLabel(QStringLiteral("&Backups, newest first:"), this);
    caption->setBuddy(m_list);
    layout->addWidget(caption);
    m_list->setObjectName(QStringLiteral("backupsList"));
    m_list->setAccessibleName(QStringLiteral("Backups"));
    m_list->setHeaderLabels(
        {QStringLiteral("Time"), QStringLiteral("Device"), QStringLiteral("Firmware")});
    m_list->setRootIsDecorated(false);
    m_list->setAllColumnsShowFocus(true);
    layout->addWidget(m_list);
    connect(m_list, &QTreeWidget::currentItemChanged, this, &BackupsWindow::updateButtons);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    m_load->setObjectName(QStringLiteral("loadBackup"));
    m_load->setToolTip(
        QStringLiteral("Shows the backup's values on the panel, as values not sent yet"));
    m_load->setDefault(true);
    m_compare->setObjectName(QStringLiteral("compareBackup"));
    m_compare->setToolTip(QStringLiteral("Opens Compare with the backup as its file"));
    buttons->addButton(m_load, QDialogButtonBox::ActionRole);
    buttons->addButton(m_compare, QDialogButtonBox::ActionRole);
    connect(m_load, &QPushButton::clicked, this, [this] { emit load(*chosen()); });
    connect(m_compare, &QPushButton::clicked, this, [this] { emit compare(*chosen()); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(560, 420);
}

void BackupsWindow::showBackups(std::vector<backups::Backup> backups) {
    m_backups = std::move(backups);
    const QString where = QDir::toNativeSeparators(backups::directory());
    m_where->setText(m_backups.empty()
                         ? QStringLiteral("No backups yet. They are kept in %1").arg(where)
                         : QStringLiteral("Kept in %1").arg(where));
    m_list->clear();
    for (const backups::Backup& backup : m_backups)
        m_list->addTopLevelItem(
            new QTreeWidgetItem({backup.at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                                 backup.device, backup.firmware}));
    m_list->setCurrentItem(m_list->topLevelItem(0));
    for (int column = 0; column < m_list->columnCount(); ++column)
        m_list->resizeColumnToContents(column);
    updateButtons();
}

const backups::Backup* BackupsWindow::chosen() const {
    const int row = m_list->indexOfTopLevelItem(m_list->currentItem());
    return row < 0 ? nullptr : &m_backups[static_cast<std::size_t>(row)];
}

void BackupsWindow::updateButtons() {
    m_load->setEnabled(chosen() != nullptr);
    m_compare->setEnabled(chosen() != nullptr);
}

} // namespace paramguard
