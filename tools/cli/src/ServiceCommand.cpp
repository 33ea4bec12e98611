#include <cli/ServiceCommand.h>

#include "Arguments.h"
#include "Output.h"
#include "Session.h"

#include <linklog/Escaped.h>
#include <portlist/PortList.h>

#include <QJsonArray>

#include <memory>
#include <unistd.h>

namespace cli {

namespace {

std::unique_ptr<Session> session;

// Qt's own warnings would break the one line a failure prints.
void quietQt(QtMsgType, const QMessageLogContext&, const QString&) {}

int listPorts(const Request& request) {
    QJsonArray ports;
    QString text;
    for (const portlist::ListedPort& port : portlist::listedPorts()) {
        ports.append(QJsonObject{{QStringLiteral("number"), port.number},
                                 {QStringLiteral("device"), port.info.device},
                                 {QStringLiteral("description"), port.info.description},
                                 {QStringLiteral("serialNumber"), port.info.serialNumber}});
        QStringList fields{QString::number(port.number), port.info.device, port.info.description,
                           port.info.serialNumber};
        for (QString& field : fields)
            field = linklog::escaped(field);
        text += fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    printOut(request.json ? jsonText({{QStringLiteral("command"), QStringLiteral("ports")},
                                      {QStringLiteral("ports"), ports},
                                      {QStringLiteral("exitStatus"), kSuccess}})
                          : text);
    return kSuccess;
}

} // namespace

std::optional<int> prepare(int argc, char** argv) {
    QStringList words;
    for (int i = 1; i < argc; ++i)
        words.append(QString::fromLocal8Bit(argv[i]));
    const Arguments arguments = readArguments(words);
    if (arguments.help) {
        printOut(usageText());
        return kSuccess;
    }
    if (arguments.version) {
        printOut(QStringLiteral("nalvo-service %1\n").arg(QStringLiteral(NALVO_VERSION)));
        return kSuccess;
    }
    if (!arguments.request) {
        printError(arguments.usageError + QStringLiteral(" (nalvo-service --help tells more)"));
        if (words.contains(QStringLiteral("--json")))
            printOut(jsonText({{QStringLiteral("error"), arguments.usageError},
                               {QStringLiteral("exitStatus"), kUsage}}));
        return kUsage;
    }
    const Request& request = *arguments.request;
    if (request.command == Command::Write && request.place == Place::Eeprom && !request.yes &&
        !isatty(STDIN_FILENO)) {
        printError(QStringLiteral("write eeprom asks before writing: give --yes when no one "
                                  "answers on a terminal"));
        return kUsage;
    }
    if (request.command == Command::Ports)
        return listPorts(request);
    session = std::make_unique<Session>(request);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietQt);
    return std::nullopt;
}

void attach(linklog::LinkLog& log) {
    session->attach(log);
}

int port() {
    return session->port();
}

void start() {
    session->start();
}

int failedToStart(const char* why) {
    printError(QString::fromLocal8Bit(why));
    return kFileProblem;
}

int exitStatus() {
    return session->status();
}

} // namespace cli
