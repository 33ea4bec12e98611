#include "Arguments.h"

#include <platform/serial.h>

#include <QCommandLineParser>

#include <cmath>
#include <map>

namespace cli {

namespace {

const std::map<QString, Command> kCommands{
    {QStringLiteral("ports"), Command::Ports},     {QStringLiteral("info"), Command::Info},
    {QStringLiteral("read"), Command::Read},       {QStringLiteral("write"), Command::Write},
    {QStringLiteral("compare"), Command::Compare}, {QStringLiteral("record"), Command::Record},
    {QStringLiteral("teach"), Command::Teach},
};

// The operands each command takes: at least, at most.
struct Operands {
    int least;
    int most;
};

Operands operandsOf(Command command) {
    switch (command) {
    case Command::Read:
    case Command::Teach:
        return {1, 1};
    case Command::Write:
        return {2, 2};
    case Command::Compare:
        return {0, 1};
    default:
        return {0, 0};
    }
}

QString option(const QString& name) {
    return QStringLiteral("--") + name;
}

Arguments failed(const QString& why) {
    Arguments arguments;
    arguments.usageError = why;
    return arguments;
}

// The options a command takes beyond --port and --json.
QStringList ownOptions(Command command) {
    switch (command) {
    case Command::Read:
        return {QStringLiteral("output")};
    case Command::Write:
        return {QStringLiteral("verify"), QStringLiteral("yes"), QStringLiteral("no-backup")};
    case Command::Record:
        return {QStringLiteral("seconds"), QStringLiteral("output")};
    default:
        return {};
    }
}

} // namespace

int portNumber(const QString& port) {
    bool isNumber = false;
    const int number = port.toInt(&isNumber);
    return isNumber ? number : 0;
}

Arguments readArguments(const QStringList& words) {
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    parser.addOptions({
        {{QStringLiteral("p"), QStringLiteral("port")}, {}, QStringLiteral("port")},
        {QStringLiteral("json"), {}},
        {{QStringLiteral("o"), QStringLiteral("output")}, {}, QStringLiteral("file")},
        {QStringLiteral("verify"), {}},
        {QStringLiteral("yes"), {}},
        {QStringLiteral("no-backup"), {}},
        {QStringLiteral("seconds"), {}, QStringLiteral("n")},
        {{QStringLiteral("h"), QStringLiteral("help")}, {}},
        {{QStringLiteral("V"), QStringLiteral("version")}, {}},
    });
    if (!parser.parse(QStringList{QStringLiteral("nalvo-service")} + words))
        return failed(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        Arguments arguments;
        arguments.help = true;
        return arguments;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        Arguments arguments;
        arguments.version = true;
        return arguments;
    }
    QStringList operands = parser.positionalArguments();
    if (operands.isEmpty())
        return failed(QStringLiteral("no command given"));
    const QString name = operands.takeFirst();
    const auto found = kCommands.find(name);
    if (found == kCommands.end())
        return failed(QStringLiteral("unknown command: %1").arg(name));
    Request request;
    request.command = found->second;
    const Operands allowed = operandsOf(request.command);
    if (operands.size() < allowed.least)
        return failed(QStringLiteral("%1: too few operands").arg(name));
    if (operands.size() > allowed.most)
        return failed(QStringLiteral("%1: unexpected operand: %2").arg(name, operands.last()));
    const QStringList own = ownOptions(request.command);
    for (const QString& given : parser.optionNames()) {
        const QString longName = given == QLatin1String("o")   ? QStringLiteral("output")
                                 : given == QLatin1String("p") ? QStringLiteral("port")
                                                               : given;
        if (longName != QLatin1String("port") && longName != QLatin1String("json") &&
            !own.contains(longName))
            return failed(QStringLiteral("%1 does not take %2").arg(name, option(longName)));
    }

    if (parser.isSet(QStringLiteral("port"))) {
        request.port = parser.value(QStringLiteral("port"));
        const int number = portNumber(request.port);
        const bool path = request.port.contains(QLatin1Char('/'));
        if (!path && (number < 1 || number > kMaxComPort))
            return failed(QStringLiteral("--port takes a port number from 1 to %1 or a device "
                                         "path, not \"%2\"")
                              .arg(kMaxComPort)
                              .arg(request.port));
    }
    request.json = parser.isSet(QStringLiteral("json"));
    request.output = parser.value(QStringLiteral("output"));
    request.verify = parser.isSet(QStringLiteral("verify"));
    request.yes = parser.isSet(QStringLiteral("yes"));
    request.noBackup = parser.isSet(QStringLiteral("no-backup"));

    switch (request.command) {
    case Command::Read:
    case Command::Write: {
        const QString place = operands.first();
        if (place != QLatin1String("ram") && place != QLatin1String("eeprom"))
            return failed(QStringLiteral("%1 takes ram or eeprom, not \"%2\"").arg(name, place));
        request.place = place == QLatin1String("ram") ? Place::Ram : Place::Eeprom;
        if (request.command == Command::Write)
            request.file = operands.at(1);
        break;
    }
    case Command::Compare:
        request.file = operands.value(0);
        break;
    case Command::Teach: {
        const QString kind = operands.first();
        if (kind != QLatin1String("reference") && kind != QLatin1String("button"))
            return failed(QStringLiteral("teach takes reference or button, not \"%1\"").arg(kind));
        request.teach = kind == QLatin1String("reference") ? Teach::Reference : Teach::Button;
        break;
    }
    case Command::Record: {
        bool isNumber = false;
        request.seconds = parser.value(QStringLiteral("seconds")).toDouble(&isNumber);
        if (!parser.isSet(QStringLiteral("seconds")))
            return failed(QStringLiteral("record needs --seconds"));
        if (!isNumber || !std::isfinite(request.seconds) || request.seconds <= 0)
            return failed(QStringLiteral("--seconds takes a positive number, not \"%1\"")
                              .arg(parser.value(QStringLiteral("seconds"))));
        if (request.output.isEmpty())
            return failed(QStringLiteral("record needs -o FILE.csv"));
        break;
    }
    default:
        break;
    }
    Arguments arguments;
    arguments.request = request;
    return arguments;
}

QString usageText() {
    return QStringLiteral(
        "Usage: nalvo-service [--port PORT] [--json] COMMAND [ARGUMENTS]\n"
        "\n"
        "Service work on a T-KOR-ZUL sensor without the window: each command opens the port and\n"
        "connects as the window does (line check, parameter read, firmware query), then acts.\n"
        "\n"
        "Commands:\n"
        "  ports                              the ports as the window's drop-down lists them\n"
        "  info                               connect, and show the firmware text\n"
        "  read ram|eeprom [-o FILE]          the parameter set, or written as a parameter file\n"
        "  write ram|eeprom FILE [--verify] [--yes] [--no-backup]\n"
        "                                     write the file's set; --verify reads it back;\n"
        "                                     EEPROM: needs --yes or an answer on the terminal,\n"
        "                                     and keeps a backup of the EEPROM's set first\n"
        "  compare [FILE]                     RAM, EEPROM and a parameter file side by side\n"
        "  record --seconds N -o FILE.csv     the live view's measurements for N seconds\n"
        "  teach reference|button             teach a new reference value, or Button teach\n"
        "\n"
        "Options:\n"
        "  -p, --port PORT    port number (as the window numbers them; NALVO_COM<n> names\n"
        "                     port n's device) or a device path; default 1\n"
        "      --json         machine-readable output\n"
        "  -h, --help         this text\n"
        "  -V, --version      the version\n"
        "\n"
        "Exit status: 0 success, 1 a difference found, 2 usage, 3 no or a wrong answer on the\n"
        "line, 4 the port cannot be opened, 5 a file cannot be read or written.\n");
}

} // namespace cli
