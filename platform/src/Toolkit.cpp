// Starting and stopping the toolkit: the Qt application object behind every panel.
#include <platform/util.h>

#include <QApplication>

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {

// Not destroyed at exit when CloseToolkit was not called: Qt's own globals may be gone by then.
QApplication* g_application = nullptr;
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

int InitToolkit(int& argc, char** argv) {
#ifdef Q_OS_UNIX
    // A file-size limit makes a write fail, which the program reports, instead of ending it.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    if (QApplication::instance())
        return 0;
    QCoreApplication::setApplicationName(QStringLiteral("Nalvo-ZUridozU10"));
    const QtMessageHandler previous = qInstallMessageHandler(startUpMessages);
    g_application = new QApplication(argc, argv);
    qInstallMessageHandler(previous);
    return 0;
}

void CloseToolkit() {
    delete g_application;
    g_application = nullptr;
}
