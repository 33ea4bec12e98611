// The Compare command: its button beside Send, its window, and the reads behind it, which
// leave the program's state as they found it.
#pragma once

#include "CompareWindow.h"

#include <exchanges/ExchangeWatch.h>

#include <linklog/LinkLog.h>

#include <QPointer>

class QPushButton;

namespace paramguard {

class Comparison : public QObject {
public:
    // `eepromRead` hears of every set read from the EEPROM; `take` puts a column into the panel
    // as values the operator chose.
    Comparison(int panel, QWidget* widget, linklog::LinkLog& log,
               exchanges::ExchangeWatch& exchanges,
               std::function<void(const ParameterSet&)> eepromRead,
               std::function<void(const ParameterSet&)> take);

    QPushButton* button() const { return m_button; }
    // Shows the window with the panel beside a parameter file, without asking the sensor.
    void compareWithFile(const QString& path);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateButton();
    void postCompare();
    void compare();
    void addFile();
    void showFile(const QString& path);
    void take(Column column);
    CompareWindow* window();

    const int m_panel;
    QWidget* const m_widget;
    linklog::LinkLog& m_log;
    exchanges::ExchangeWatch& m_exchanges;
    const std::function<void(const ParameterSet&)> m_eepromRead;
    const std::function<void(const ParameterSet&)> m_take;
    QPushButton* m_button;
    QPointer<QWidget> m_get;
    QPointer<CompareWindow> m_window;
    QString m_file;
    // Pressed while another exchange waited: compares once it has ended.
    bool m_queued = false;
};

} // namespace paramguard
