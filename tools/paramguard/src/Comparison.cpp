#include "Comparison.h"

#include "UnsentMarks.h"

#include <door/door.h>
#include <platform/attach.h>
#include <platform/follow.h>

#include <QEvent>
#include <QFile>
#include <QPushButton>

namespace paramguard {

Comparison::Comparison(int panel, QWidget* widget, linklog::LinkLog& log,
                       exchanges::ExchangeWatch& exchanges,
                       std::function<void(const ParameterSet&)> eepromRead,
                       std::function<void(const ParameterSet&)> take)
    : QObject(widget), m_panel(panel), m_widget(widget), m_log(log), m_exchanges(exchanges),
      m_eepromRead(std::move(eepromRead)), m_take(std::move(take)),
      m_button(new QPushButton(QStringLiteral("Compare"), widget)),
      m_get(platform::controlWidget(panel, CTRL_GET)) {
    m_button->setObjectName(QStringLiteral("compareButton"));
    m_button->setShortcut(QKeySequence(QStringLiteral("Ctrl+D")));
    m_button->setToolTip(QStringLiteral(
        "Compare the panel with the sensor's RAM and EEPROM and a parameter file (Ctrl+D)"));
    m_button->setAccessibleName(QStringLiteral("Compare"));
    QWidget* send = platform::controlWidget(panel, CTRL_SEND);
    m_button->setMinimumSize(send->minimumSize());
    m_button->setSizePolicy(send->sizePolicy());
    insertAfter(send, m_button);
    QWidget::setTabOrder(send, m_button);
    connect(m_button, &QPushButton::clicked, this, &Comparison::postCompare);
    // Compare talks to the sensor as Get does, so it is there when Get is, and never while
    // another exchange waits for the sensor.
    m_get->installEventFilter(this);
    connect(&m_exchanges, &exchanges::ExchangeWatch::busyChanged, this, [this](bool busy) {
        updateButton();
        if (!busy && std::exchange(m_queued, false))
            postCompare();
    });
}

bool Comparison::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::EnabledChange)
        updateButton();
    return false;
}

void Comparison::updateButton() {
    m_button->setEnabled(m_get && m_get->isEnabled() && !m_exchanges.busy());
}

void Comparison::postCompare() {
    // Run where callbacks run: the reads wait for the sensor as a callback does.
    platform::postCall([self = QPointer<Comparison>(this)] {
        if (self)
            self->compare();
    });
}

void Comparison::compare() {
    // Pressed before the exchange began, and dispatched while it waits.
    if (m_exchanges.busy()) {
        m_queued = true;
        return;
    }
    if (!m_button->isEnabled())
        return;
    const exchanges::ExchangeWatch::ToolRead reading(m_exchanges);
    CompareWindow* shown = window();
    shown->show();
    shown->raise();
    shown->showColumn(kPanelColumn, {panelSet(m_panel), {}});
    for (const auto& [column, readOrder] :
         {std::pair{kRamColumn, ORDER_READ_RAM}, std::pair{kEepromColumn, ORDER_READ_EEPROM}}) {
        const SetRead read = readSensorSet(readOrder);
        if (!read.words)
            m_log.append(
                linklog::EntryKind::Error,
                QStringLiteral("Compare: %1: %2")
                    .arg(column == kRamColumn ? QStringLiteral("RAM") : QStringLiteral("EEPROM"),
                         read.problem));
        else if (column == kEepromColumn)
            m_eepromRead(*read.words);
        // The window may have been closed for good while the sensor was asked.
        if (m_window)
            m_window->showColumn(column, read);
    }
    if (m_window && !m_file.isEmpty())
        m_window->showColumn(kFileColumn, readParameterFile(m_file));
}

void Comparison::addFile() {
    // The window stays open during a live view: its dialog must let the run go on.
    platform::chooseFileToOpen(window(), QFile::decodeName(door::programDirectory()),
                               QStringLiteral("ZULpara.dat"), QStringLiteral("*.dat"),
                               QStringLiteral("Parameter file to compare"),
                               [self = QPointer(this)](const QString& path) {
                                   if (self && !path.isEmpty())
                                       self->showFile(path);
                               });
}

void Comparison::showFile(const QString& path) {
    m_file = path;
    const SetRead read = readParameterFile(m_file);
    if (!read.words)
        m_log.append(linklog::EntryKind::Error, QStringLiteral("Compare: %1").arg(read.problem));
    window()->setFile(m_file);
    window()->showColumn(kFileColumn, read);
}

void Comparison::compareWithFile(const QString& path) {
    CompareWindow* shown = window();
    shown->showColumn(kPanelColumn, {panelSet(m_panel), {}});
    showFile(path);
    shown->show();
    shown->raise();
    shown->activateWindow();
}

void Comparison::take(Column column) {
    const std::optional<ParameterSet> words = window()->column(column);
    if (!words)
        return;
    m_take(*words);
    window()->showColumn(kPanelColumn, {panelSet(m_panel), {}});
    m_log.append(linklog::EntryKind::Note,
                 QStringLiteral("Compare: values taken into the panel, not sent yet"));
}

CompareWindow* Comparison::window() {
    if (!m_window) {
        m_window = new CompareWindow(m_widget);
        connect(m_window, &CompareWindow::compareAgain, this, &Comparison::postCompare);
        connect(m_window, &CompareWindow::addFile, this, &Comparison::addFile);
        connect(m_window, &CompareWindow::takeIntoPanel, this, &Comparison::take);
    }
    return m_window;
}

} // namespace paramguard
