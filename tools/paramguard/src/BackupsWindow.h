// The EEPROM backups kept, newest first, with their time, device and firmware; the one chosen
// can be loaded into the panel or compared with it.
#pragma once

#include <backups/Backups.h>

#include <QDialog>

#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace paramguard {

class BackupsWindow : public QDialog {
    Q_OBJECT
public:
    explicit BackupsWindow(QWidget* panel);

    void showBackups(std::vector<backups::Backup> backups);

signals:
    void load(const backups::Backup& backup);
    void compare(const backups::Backup& backup);

private:
    const backups::Backup* chosen() const;
    void updateButtons();

    std::vector<backups::Backup> m_backups;
    QLabel* m_where;
    QTreeWidget* m_list;
    QPushButton* m_load;
    QPushButton* m_compare;
};

} // namespace paramguard
