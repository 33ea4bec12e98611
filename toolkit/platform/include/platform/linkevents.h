// What the seam tells the service tools about the link: each port's opens (and why one
// failed), the bytes that cross the line, a device that has gone, and the texts the program
// shows. Also the port map's hand for devices found on the machine or named by the operator.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace platform {

// Skipped: bytes that came ahead of a reply's header once its request had left the line,
// dropped so that the reply is read from its start. Unanswered: the program waited for the reply
// to the port's last request and went on to show its outcome (set a control) without having
// read any, so its time ran out; a wait the operator ends (Stop) is not reported. Advice: how
// the line behaves and what would make it better (in the cause), once.
enum class PortEventKind {
    Opened,
    OpenFailed,
    Gone,
    Sent,
    Received,
    Dropped,
    Skipped,
    Unanswered,
    Advice
};

struct PortEvent {
    PortEventKind kind;
    int port;
    QString device;
    // Sent, Received (what the read took), Dropped and Skipped (bytes no read will see).
    QByteArray bytes;
    // Received: how many the read asked for.
    int expected = 0;
    // OpenFailed and Gone: why, as far as the system says; Advice: the advice.
    QString cause;
    // Received: a frame that does not begin with its request's sync and order words.
    bool malformed = false;
};

using PortHook = std::function<void(const PortEvent& event)>;
using TextHook = std::function<void(int panel, int control, const QString& text)>;

// Hooks are kept until CloseToolkit.
void onPortEvent(PortHook hook);
// Runs whenever the program sets a control's text.
void onTextSet(TextHook hook);

// The device port n stands for unless NALVO_COM<n> names one; an empty name forgets it.
void setPortDevice(int number, const QString& device);
// NALVO_COM<n> when set, else the device set above, else the platform's default.
QString deviceForPort(int number);
// True when NALVO_COM<n> names port n's device.
bool portDeviceFromEnvironment(int number);
// True for a device server's port, tcp://HOST:PORT or rfc2217://HOST:PORT, rather than a device.
bool isNetworkPort(const QString& device);

// Queues a control event as if the operator had raised it.
void raiseControlEvent(int panel, int control, int event);

} // namespace platform
