// The Backups... button beside Compare and the window it opens: the EEPROM backups kept, any of
// them loaded into the panel as unsent values or compared with the panel. Nothing of it talks to
// the sensor.
#pragma once

#include "BackupsWindow.h"
#include "ParameterSet.h"

#include <linklog/LinkLog.h>

#include <QPointer>

#include <functional>

class QPushButton;

namespace paramguard {

class BackupList : public QObject {
public:
    // `load` puts a set into the panel as loaded from a file; `compare` opens Compare with a
    // parameter file.
    BackupList(QWidget* widget, QWidget* after, linklog::LinkLog& log,
               std::function<void(const ParameterSet&)> load,
               std::function<void(const QString& path)> compare);

private:
    void open();
    void load(const backups::Backup& backup);

    QWidget* const m_widget;
    linklog::LinkLog& m_log;
    const std::function<void(const ParameterSet&)> m_load;
    const std::function<void(const QString&)> m_compare;
    QPushButton* m_button;
    QPointer<BackupsWindow> m_window;
};

} // namespace paramguard
