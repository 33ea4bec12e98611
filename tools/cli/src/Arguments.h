// The command line's words, read into one request, and the exit statuses it promises.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace cli {

enum ExitStatus {
    kSuccess = 0,
    kDifference = 1,
    kUsage = 2,
    kLine = 3,
    kPortNotOpened = 4,
    kFileProblem = 5,
};

enum class Command { Ports, Info, Read, Write, Compare, Record, Teach };
enum class Place { Ram, Eeprom };
enum class Teach { Reference, Button };

struct Request {
    Command command = Command::Info;
    // A port number as the window numbers ports, or a device path.
    QString port = QStringLiteral("1");
    bool json = false;
    Place place = Place::Ram;
    // write's and compare's parameter file; read's and record's output.
    QString file;
    QString output;
    bool verify = false;
    bool yes = false;
    bool noBackup = false;
    double seconds = 0;
    Teach teach = Teach::Reference;
};

struct Arguments {
    std::optional<Request> request;
    bool help = false;
    bool version = false;
    // Why the words make no request: one line.
    QString usageError;
};

// The words after the program's name.
Arguments readArguments(const QStringList& words);

// The port number of a port given as a number; 0 for a device path.
int portNumber(const QString& port);

QString usageText();

} // namespace cli
