#pragma once

#include <QString>

#include "config/extras/SettingsReport.h"
#include "config/extras/WiringCheck.h"

class QPagedPaintDevice;

namespace dravel::extras {

// The report as one A4 layout, shared by the PDF and the printer.
QString reportHtml(const config::SettingsReport& report);

// Lays the report out on the device's pages (a QPrinter or a QPdfWriter).
void printSettingsReport(const config::SettingsReport& report, QPagedPaintDevice& device);

// Writes the report as a PDF file; throws when the file cannot be written.
void writeSettingsReportPdf(const config::SettingsReport& report, const QString& path);

// The Prüfprotokoll of the wiring check, in the same layout, on one A4 page.
QString wiringReportHtml(const config::WiringReport& report);
void printWiringReport(const config::WiringReport& report, QPagedPaintDevice& device);
void writeWiringReportPdf(const config::WiringReport& report, const QString& path);

}  // namespace dravel::extras
