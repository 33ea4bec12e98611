#include <report/ServiceReport.h>

#include <linklog/Escaped.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>

#include <array>
#include <optional>

namespace report {

namespace {

const QUrl kChart(QStringLiteral("report:chart"));
// The chart's width in the document's pixels: about the text's width on A4 within the 2 cm
// margins a printed text document keeps.
constexpr int kChartWidth = 620;

QString text(const QString& outside) {
    return linklog::escaped(outside).toHtmlEscaped();
}

QString row(const QString& label, const QString& value) {
    return QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>").arg(label, value);
}

// The columns Compare read, as the table shows them: a value that differs from the panel's
// marked as Compare marks it.
QString parameterTable(const paramguard::ListedSet& set) {
    using Read = std::optional<int> paramguard::ListedWord::*;
    const std::array<std::pair<const char*, Read>, 3> columns{
        {{"RAM", &paramguard::ListedWord::ram},
         {"EEPROM", &paramguard::ListedWord::eeprom},
         {"File", &paramguard::ListedWord::file}}};
    std::array<bool, 3> shown{};
    for (const paramguard::ListedWord& word : set.words)
        for (std::size_t c = 0; c < columns.size(); ++c)
            shown[c] = shown[c] || (word.*columns[c].second).has_value();

    QString html = QStringLiteral(
        "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\"><tr><th>Parameter</th>"
        "<th>Panel</th>");
    for (std::size_t c = 0; c < columns.size(); ++c)
        if (shown[c])
            html += QStringLiteral("<th>%1</th>").arg(QLatin1String(columns[c].first));
    html += QStringLiteral("</tr>");
    for (const paramguard::ListedWord& word : set.words) {
        html += QStringLiteral("<tr><td>%1</td><td align=\"right\">%2</td>")
                    .arg(word.name.toHtmlEscaped())
                    .arg(word.panel);
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (!shown[c])
                continue;
            const std::optional<int>& value = word.*columns[c].second;
            html +=
                QStringLiteral("<td align=\"right\">%1</td>")
                    .arg(!value                 ? QString()
                         : *value == word.panel ? QString::number(*value)
                                                : QStringLiteral("<b>\u2260 %1</b>").arg(*value));
        }
        html += QStringLiteral("</tr>");
    }
    html += QStringLiteral("</table>");
    if (shown[2] && !set.file.isEmpty())
        html += QStringLiteral("<p>File: %1</p>").arg(text(set.file));
    if (shown[0] || shown[1] || shown[2])
        html += QStringLiteral("<p>Values marked \u2260 differ from the panel's.</p>");
    return html;
}

} // namespace

QString reportHtml(const ServiceReport& report) {
    QString html = QStringLiteral("<h1>Service report</h1><table cellpadding=\"2\">");
    html += row(QStringLiteral("Date"),
                report.at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss t")).toHtmlEscaped());
    html += row(QStringLiteral("Port"), text(report.port));
    html +=
        row(QStringLiteral("Firmware"),
            report.firmware.isEmpty() ? QStringLiteral("<i>not read</i>") : text(report.firmware));
    html += QStringLiteral("</table><h2>Parameter set</h2>") + parameterTable(report.parameters);
    html += QStringLiteral("<h2>%1</h2>").arg(text(report.chartTitle));
    if (!report.chart.isNull())
        html += QStringLiteral("<p><img src=\"%1\" width=\"%2\"></p>")
                    .arg(kChart.toString())
                    .arg(kChartWidth);
    html += QStringLiteral("<h2>Note</h2><p>%1</p>")
                .arg(report.note.isEmpty() ? QStringLiteral("<i>none</i>")
                                           : report.note.toHtmlEscaped().replace(
                                                 QLatin1Char('\n'), QStringLiteral("<br>")));
    return html;
}

QByteArray reportPdf(const ServiceReport& report) {
    QTextDocument document;
    document.addResource(QTextDocument::ImageResource, kChart, report.chart);
    document.setHtml(reportHtml(report));

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setCreator(QCoreApplication::applicationName());
    writer.setTitle(QStringLiteral("Service report"));
    writer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    document.print(&writer);
    return buffer.data();
}

} // namespace report
