// The panel, the sensor's RAM and EEPROM and a parameter file side by side, one row a word,
// each value that differs from the panel's marked; any column but the panel's can be taken
// into the panel.
#pragma once

#include "SetReads.h"

#include <QDialog>

#include <functional>

class QPushButton;
class QTableWidget;

namespace paramguard {

enum Column { kPanelColumn = 1, kRamColumn, kEepromColumn, kFileColumn, kColumns };

class CompareWindow : public QDialog {
    Q_OBJECT
public:
    explicit CompareWindow(QWidget* panel);

    void showColumn(Column column, const SetRead& read);
    std::optional<ParameterSet> column(Column column) const { return m_sets[column]; }
    // The parameter file the file column was read from.
    void setFile(const QString& path) { m_file = path; }
    const QString& file() const { return m_file; }

signals:
    void compareAgain();
    void addFile();
    void takeIntoPanel(paramguard::Column column);

private:
    void markDifferences();

    QTableWidget* m_table;
    std::array<std::optional<ParameterSet>, kColumns> m_sets;
    std::array<QPushButton*, kColumns> m_take{};
    QString m_file;
};

} // namespace paramguard
