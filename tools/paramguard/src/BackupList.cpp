#include "BackupList.h"

#include "UnsentMarks.h"

#include <QPushButton>

#include <algorithm>

namespace paramguard {

BackupList::BackupList(QWidget* widget, QWidget* after, linklog::LinkLog& log,
                       std::function<void(const ParameterSet&)> load,
                       std::function<void(const QString& path)> compare)
    : QObject(widget), m_widget(widget), m_log(log), m_load(std::move(load)),
      m_compare(std::move(compare)),
      m_button(new QPushButton(QStringLiteral("Backups..."), widget)) {
    m_button->setObjectName(QStringLiteral("backupsButton"));
    // No shortcut: Ctrl+B, the one the name suggests, is Button teach's.
    m_button->setToolTip(QStringLiteral(
        "The EEPROM's sets kept before each write to it: load one into the panel or compare it"));
    m_button->setAccessibleName(QStringLiteral("Backups..."));
    m_button->setMinimumSize(after->minimumSize());
    m_button->setSizePolicy(after->sizePolicy());
    insertAfter(after, m_button);
    QWidget::setTabOrder(after, m_button);
    connect(m_button, &QPushButton::clicked, this, &BackupList::open);
}

void BackupList::open() {
    if (!m_window) {
        m_window = new BackupsWindow(m_widget);
        connect(m_window, &BackupsWindow::load, this, &BackupList::load);
        connect(m_window, &BackupsWindow::compare, this,
                [this](const backups::Backup& backup) { m_compare(backup.path); });
    }
    // Read anew each time: the command line may have added some meanwhile.
    m_window->showBackups(backups::list());
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void BackupList::load(const backups::Backup& backup) {
    ParameterSet words{};
    std::copy(backup.words.begin(), backup.words.end(), words.begin());
    m_load(words);
    m_log.append(linklog::EntryKind::Note,
                 QStringLiteral("Backup %1 loaded into the panel, not sent yet").arg(backup.path));
}

} // namespace paramguard
