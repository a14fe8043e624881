#include "extras/ReportDocument.h"

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <stdexcept>

#include "ui/Text.h"

namespace dravel::extras {
namespace {

constexpr char kStyle[] =
    "body { font-family: 'Liberation Sans', Arial, sans-serif; font-size: 10pt; }"
    "h1 { font-size: 16pt; } h2 { font-size: 13pt; margin-top: 14px; }"
    "h3 { font-size: 10pt; margin-bottom: 0; }"
    "th { background-color: #e0e0e0; text-align: left; }";

QString esc(const std::string& utf8) {
    return ui::toQString(utf8).toHtmlEscaped();
}

QString row(std::initializer_list<QString> cells, const char* tag = "td") {
    QString html = QStringLiteral("<tr>");
    for (const QString& cell : cells) html += QStringLiteral("<%1>%2</%1>").arg(tag, cell);
    return html + QStringLiteral("</tr>");
}

QString tableStart() {
    return QStringLiteral(
        "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">");
}

QString panels(const config::SettingsReport& report) {
    QString html = QStringLiteral("<h2>Zusammenfassung</h2>");
    for (const auto& panel : report.panels) {
        QStringList lines;
        for (const std::string& line : panel.lines) lines << esc(line);
        html += QStringLiteral("<h3>%1</h3><p>%2</p>").arg(esc(panel.title), lines.join("<br>"));
    }
    return html;
}

QString deactivations(const config::DeactivationPlan& plan) {
    QString html = QStringLiteral("<h2>Nächste Funktionsproben</h2>");
    for (const std::string& note : plan.notes) html += QStringLiteral("<p>%1</p>").arg(esc(note));
    if (plan.windows.empty()) return html;
    html += tableStart() + row({"Wochentag", "Beginn", "Ende", "Hinweis"}, "th");
    for (const auto& w : plan.windows)
        html += row({esc(w.weekday), esc(config::formatGermanDateTime(w.start)),
                     esc(config::formatGermanDateTime(w.end)), esc(w.note)});
    return html + QStringLiteral("</table>");
}

QString conditions(const config::SettingsReport& report) {
    QString html =
        QStringLiteral("<h2>Bedingungsliste (%1 Einträge)</h2>").arg(report.conditions.size());
    if (report.conditions.empty()) return html + QStringLiteral("<p>Die Liste ist leer.</p>");
    html +=
        tableStart() + row({"Nr.", "Pin", "Art", "Kennung", "Beschreibung", "Audiodatei"}, "th");
    int number = 0;
    for (const auto& c : report.conditions)
        html += row({QString::number(++number), esc(c.pin), esc(c.kind), esc(c.code),
                     esc(c.description), esc(c.audioPath)});
    return html + QStringLiteral("</table>");
}

QString findings(const config::SettingsReport& report) {
    QString html = QStringLiteral("<h2>Prüfung der Bedingungsliste</h2>");
    if (report.findings.empty()) return html + QStringLiteral("<p>Keine Auffälligkeiten</p>");
    html += tableStart() + row({"Zeile", "Kennung", "Auffälligkeit"}, "th");
    for (const auto& f : report.findings)
        html += row({f.row == 0 ? QStringLiteral("–") : QString::number(f.row), esc(f.code),
                     esc(f.problem)});
    return html + QStringLiteral("</table>");
}

QString wiringRows(const config::WiringReport& report) {
    QString html =
        tableStart() + row({"Prüfschritt", "Bemerkung", "Verwendung", "Ergebnis", "Erfasst"}, "th");
    for (const auto& r : report.rows)
        html += row({esc(r.caption), esc(r.remark), esc(r.use), esc(r.result), esc(r.recorded)});
    return html + QStringLiteral("</table>");
}

// Both reports: the same style, heading and first lines.
QString reportStart(const QString& title, const std::string& created,
                    const std::string& programDirectory) {
    return QStringLiteral("<html><head><style>%1</style></head><body>").arg(kStyle) +
           QStringLiteral("<h1>%1</h1>").arg(title) +
           QStringLiteral("<p>Erstellt am %1<br>Programmverzeichnis: %2")
               .arg(esc(created), esc(programDirectory));
}

void printHtml(const QString& html, QPagedPaintDevice& device) {
    // The document adds a margin of 2 cm of its own on every side.
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(5, 0, 0, 0), QPageLayout::Millimeter));
    QTextDocument document;
    document.setHtml(html);
    document.print(&device);
}

void writePdf(const QString& html, const QString& title, const QString& path) {
    // QPdfWriter reports no failure of its own, so the file is tried first.
    if (!QFile(path).open(QIODevice::WriteOnly))
        throw std::runtime_error("In " + ui::toStdString(path) + " kann nicht geschrieben werden");
    QPdfWriter writer(path);
    writer.setResolution(300);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Dravel"));
    printHtml(html, writer);
}

}  // namespace

QString reportHtml(const config::SettingsReport& report) {
    return reportStart(QStringLiteral("Einstellungen für \"Kalvor.EXE\""), report.created,
                       report.programDirectory) +
           QStringLiteral("</p>") + panels(report) + deactivations(report.deactivations) +
           conditions(report) + findings(report) + QStringLiteral("</body></html>");
}

void printSettingsReport(const config::SettingsReport& report, QPagedPaintDevice& device) {
    printHtml(reportHtml(report), device);
}

void writeSettingsReportPdf(const config::SettingsReport& report, const QString& path) {
    writePdf(reportHtml(report), QStringLiteral("Einstellungen für Kalvor"), path);
}

QString wiringReportHtml(const config::WiringReport& report) {
    return reportStart(esc(report.title), report.created, report.programDirectory) +
           QStringLiteral("<br>ComPort: %1</p>").arg(esc(report.port)) + wiringRows(report) +
           QStringLiteral("<p>Geprüft von: %1<br>Bemerkung: %2</p>")
               .arg(esc(report.checkedBy), esc(report.remark)) +
           QStringLiteral("</body></html>");
}

void printWiringReport(const config::WiringReport& report, QPagedPaintDevice& device) {
    printHtml(wiringReportHtml(report), device);
}

void writeWiringReportPdf(const config::WiringReport& report, const QString& path) {
    writePdf(wiringReportHtml(report), ui::toQString(report.title), path);
}

}  // namespace dravel::extras
