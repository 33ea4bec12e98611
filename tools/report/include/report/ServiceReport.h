// A service report of one sensor: when and where it was connected, its firmware, its parameter
// set beside what Compare read, the chart the live view showed and the technician's note, as a
// PDF whose texts a search or a copy finds.
#pragma once

#include <paramguard/ListedSet.h>

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QString>

namespace report {

struct ServiceReport {
    QDateTime at;
    QString port;     // the port and its device
    QString firmware; // empty while the sensor has not answered the query
    paramguard::ListedSet parameters;
    QString chartTitle;
    QImage chart; // at print resolution
    QString note;
};

// The report as a text document's HTML; every text from outside the tool escaped.
QString reportHtml(const ServiceReport& report);
// An A4 document, its pages as many as the report needs.
QByteArray reportPdf(const ServiceReport& report);

} // namespace report
