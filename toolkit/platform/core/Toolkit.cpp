// Starting and stopping the toolkit, and the object that holds the seam's state meanwhile.
#include "Toolkit.h"

#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {

Toolkit* g_toolkit = nullptr;
// Qt's message handler is a plain function: what Qt said first while starting is kept here.
QString g_firstComplaint;

// Qt ends the process with abort() when no windowing system can be reached; the tool
// instead leaves with -1 and one line that says why.
void startUpMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtFatalMsg) {
        if (g_firstComplaint.isEmpty() && type != QtDebugMsg && type != QtInfoMsg)
            g_firstComplaint = message.section(QLatin1Char('\n'), 0, 0);
        return;
    }
    QString reason =
        g_firstComplaint.isEmpty() ? message.section(QLatin1Char('\n'), 0, 0) : g_firstComplaint;
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        reason = QStringLiteral("no display to connect to (DISPLAY is not set)");
    std::fprintf(stderr, "%s: cannot start the user interface: %s\n",
                 qPrintable(QCoreApplication::applicationName()), qPrintable(reason));
    std::fflush(stderr);
    std::_Exit(-1);
}

} // namespace

Toolkit::Toolkit(std::unique_ptr<QApplication> application)
    : m_application(std::move(application)) {}

Toolkit::~Toolkit() {
    while (!m_parts.empty()) {
        // Out of the list before it goes: what its destruction runs finds it gone.
        std::unique_ptr<ToolkitPart> newest = std::move(m_parts.back());
        m_parts.pop_back();
    }
}

void Toolkit::addPart(std::unique_ptr<ToolkitPart> part) {
    m_parts.push_back(std::move(part));
}

Toolkit* Toolkit::current() {
    return g_toolkit;
}

bool Toolkit::start(int& argc, char** argv) {
    if (g_toolkit)
        return false;
    std::unique_ptr<QApplication> application;
    if (!QCoreApplication::instance()) {
        // Qt's own event loop rather than glib's. Glib signals its wake-up descriptor for every
        // event posted and every change to the descriptors it watches, a dozen system calls in
        // each frame of a live view, and its loop costs more to go round. Nothing here needs
        // glib's loop: the dialogs are Qt's own, none native.
        if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
            qputenv("QT_NO_GLIB", "1");
        QCoreApplication::setApplicationName(QStringLiteral("Nalvo-ZUridozU10"));
        const QtMessageHandler previous = qInstallMessageHandler(startUpMessages);
        application = std::make_unique<QApplication>(argc, argv);
        qInstallMessageHandler(previous);
    }
    g_toolkit = new Toolkit(std::move(application));
    return true;
}

void Toolkit::stop() {
    delete g_toolkit;
    g_toolkit = nullptr;
}

} // namespace platform
