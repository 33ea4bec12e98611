#include "PortRing.h"

#include "ListedPorts.h"

#include <door/door.h>
#include <exchanges/ExchangeWatch.h>
#include <platform/attach.h>
#include <platform/linkevents.h>
#include <platform/serial.h>
#include <platform/ui.h>

#include <QAbstractItemView>
#include <QBoxLayout>
#include <QEvent>
#include <QInputDialog>

namespace portlist {

namespace {

QString itemText(int number, const PortInfo& info, PortState state) {
    QString text = QStringLiteral("COM%1  %2").arg(number).arg(info.device);
    if (!info.description.isEmpty())
        text += QStringLiteral("  %1").arg(info.description);
    if (!info.serialNumber.isEmpty())
        text += QStringLiteral(" (%1)").arg(info.serialNumber);
    if (state == PortState::Gone)
        text += QStringLiteral("  [gone]");
    else if (state == PortState::Back)
        text += QStringLiteral("  [back: choose to reconnect]");
    return text;
}

QString askForPath(QWidget* parent) {
    QInputDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Connect to a device"));
    dialog.setLabelText(QStringLiteral("Device path (a /dev/serial/by-id link, a terminal), or a "
                                       "device server's tcp://HOST:PORT or rfc2217://HOST:PORT:"));
    dialog.setTextValue(QStringLiteral("/dev/"));
    return dialog.exec() == QDialog::Accepted ? dialog.textValue().trimmed() : QString();
}

} // namespace

PortRing::PortRing(int panel, QComboBox* ring, PortSource source, DevicePathAsker asker)
    : QObject(ring), m_panel(panel), m_ring(ring), m_nameButton(new QToolButton),
      m_exchanges(exchanges::ExchangeWatch::of(panel, platform::panelWidget(panel))),
      m_source(source ? std::move(source) : presentPorts),
      m_asker(asker ? std::move(asker) : askForPath) {
    m_nameButton->setText(QStringLiteral("…"));
    m_nameButton->setAccessibleName(QStringLiteral("Connect to a device by path"));
    m_nameButton->setToolTip(
        QStringLiteral("Connect to a device by its path, such as a /dev/serial/by-id link; it "
                       "becomes the next port number"));
    if (auto* layout = qobject_cast<QBoxLayout*>(ring->parentWidget()->layout()))
        layout->insertWidget(layout->indexOf(ring) + 1, m_nameButton);
    // Tab reaches it where it stands, right after the drop-down.
    QWidget::setTabOrder(ring, m_nameButton);
    connect(m_nameButton, &QToolButton::clicked, this, &PortRing::nameDevice);
    // Its connect would run inside the exchange that waits, and take its reply.
    connect(&m_exchanges, &exchanges::ExchangeWatch::busyChanged, this, &PortRing::updateButton);
    // The list is read again whenever it opens; the button follows the drop-down's dimming.
    ring->view()->parentWidget()->installEventFilter(this);
    ring->installEventFilter(this);
    // The hook outlives a discarded panel.
    platform::onPortEvent([self = QPointer<PortRing>(this)](const platform::PortEvent& event) {
        if (self)
            self->onPortEvent(event);
    });
    refresh();
}

void PortRing::onPortEvent(const platform::PortEvent& event) {
    if (event.kind == platform::PortEventKind::Opened)
        m_numbers.opened(event.port);
    else if (event.kind == platform::PortEventKind::Gone)
        m_numbers.lost(event.port);
    else
        return;
    list();
}

void PortRing::refresh() {
    m_numbers.update(withoutEnvironmentDevices(m_source()), fromEnvironment);
    list();
}

void PortRing::list() {
    if (!m_ring)
        return;
    const int inUse = portInUse();
    // The machine's ports by number, then the device servers' ports used since the start.
    std::map<std::pair<bool, int>, QString> items;
    for (const PortEntry& entry : m_numbers.entries(inUse))
        platform::setPortDevice(entry.number, entry.info.device);
    for (const PortEntry& entry : listedEntries(m_numbers, inUse))
        items[{platform::isNetworkPort(entry.info.device), entry.number}] =
            itemText(entry.number, entry.info, entry.state);
    const QSignalBlocker quiet(m_ring);
    m_ring->clear();
    for (const auto& [key, text] : items) {
        const int number = key.second;
        m_ring->addItem(text);
        m_ring->setItemData(m_ring->count() - 1, number, platform::kRingValueRole);
        if (number == inUse)
            m_ring->setCurrentIndex(m_ring->count() - 1);
    }
    // The list is as wide as its longest entry, which may be wider than the drop-down.
    constexpr int kScrollBarRoom = 24;
    m_ring->view()->setMinimumWidth(m_ring->view()->sizeHintForColumn(0) + kScrollBarRoom);
}

int PortRing::portInUse() {
    const int port = door::portInUse();
    return port > 0 ? port : kStartUpPort;
}

void PortRing::nameDevice() {
    const QString device = m_asker(m_ring->window());
    if (device.isEmpty())
        return;
    const int number = m_numbers.name(device, fromEnvironment);
    if (number == 0)
        return;
    platform::setPortDevice(number, device);
    list();
    m_ring->setCurrentIndex(m_ring->findData(number, platform::kRingValueRole));
    // Connected as a port chosen from the list is.
    platform::raiseControlEvent(m_panel, CTRL_PORT, kEventCommit);
}

void PortRing::updateButton() {
    m_nameButton->setEnabled(m_ring && m_ring->isEnabled() && !m_exchanges.busy());
}

bool PortRing::eventFilter(QObject* watched, QEvent* event) {
    // The event's type first: the events of the drop-down's own destruction come through here
    // too, when it is no longer a QComboBox to compare with.
    const QEvent::Type type = event->type();
    if (type == QEvent::EnabledChange && watched == m_ring)
        updateButton();
    else if (type == QEvent::Show && watched != m_ring) {
        const int listed = m_ring->count();
        refresh();
        // The list opened at the size it had: open it again to fit.
        if (m_ring->count() != listed)
            QMetaObject::invokeMethod(m_ring, &QComboBox::showPopup, Qt::QueuedConnection);
    }
    return false;
}

void installPortList(PortSource source, DevicePathAsker asker) {
    platform::onPanelLoaded([source, asker](int panel, QWidget*) {
        if (auto* ring = qobject_cast<QComboBox*>(platform::controlWidget(panel, CTRL_PORT)))
            new PortRing(panel, ring, source, asker);
    });
}

} // namespace portlist
