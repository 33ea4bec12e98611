// The port drop-down of one panel: its items are the ports the machine has, read again each
// time its list opens, and a button beside it connects to a device named by path, greyed with
// the drop-down and while an exchange with the sensor waits.
#pragma once

#include "PortNumbers.h"

#include <platform/linkevents.h>
#include <portlist/PortList.h>

#include <QComboBox>
#include <QPointer>
#include <QToolButton>

namespace exchanges {
class ExchangeWatch;
}

namespace portlist {

class PortRing : public QObject {
    Q_OBJECT

public:
    PortRing(int panel, QComboBox* ring, PortSource source, DevicePathAsker asker);

    // Reads the ports present and lists them, without touching the port in use.
    void refresh();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onPortEvent(const platform::PortEvent& event);
    void list();
    void nameDevice();
    void updateButton();
    // The number the program uses, or the start-up port before it has chosen one.
    static int portInUse();

    int m_panel;
    QPointer<QComboBox> m_ring;
    QToolButton* m_nameButton;
    exchanges::ExchangeWatch& m_exchanges;
    PortSource m_source;
    DevicePathAsker m_asker;
    PortNumbers m_numbers;
};

} // namespace portlist
