// What the serial port reaches beneath QSerialPort, all of it here, written for Qt 6.4 on
// Linux: the notifier through which QSerialPort watches the device (a child object of its
// own), which a port disables while a frame cannot be complete yet; and the device's wake
// threshold (termios VMIN, with no inter-byte timer), so that a wait for input returns once
// a frame's missing bytes are there rather than for each byte. Together they let the
// user-interface thread sleep through a frame.
//
// The plain way reaches neither: the port then reads on QSerialPort's readyRead as Qt gives
// it. It is taken where the build found another Qt version than the one this was written for
// (CMake says so at configure time), and where setPlainSerial() asks for it.
#pragma once

class QSerialPort;
class QSocketNotifier;

namespace platform {

// Whether ports opened from now on take the plain way.
bool plainSerialChosen();

class PortInternals {
public:
    explicit PortInternals(QSerialPort& port) : m_port(port) {}

    // Taken when the port opens.
    void choosePlain(bool plain) { m_plain = plain; }

    // nullptr on the plain way, or where Qt keeps no such notifier.
    QSocketNotifier* readNotifier() const;
    // For the open port's device; 0 wakes for any byte. False on the plain way, or where the
    // device or the platform cannot do it.
    bool setWakeThreshold(int bytes);

private:
    QSerialPort& m_port;
    bool m_plain = true;
};

} // namespace platform
