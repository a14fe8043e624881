#pragma once

#include <QString>

#include "config/extras/SettingsReport.h"
#include "config/extras/WiringCheck.h"

class QPagedPaintDevice;

namespace dravel::extras {

// The report as one A4 layout, shared by the PDF and the printer: a heading
// stays with its first line or row, table headers repeat, a table row is
// never cut by a page end (a row taller than a page goes on on the next with
// its key cells repeated), "Seite n von m" at each page's foot.

// Lays the report out on the device's pages (a QPrinter or a QPdfWriter).
void printSettingsReport(const config::SettingsReport& report, QPagedPaintDevice& device);

// Writes the report as a PDF file; throws when the file cannot be written.
void writeSettingsReportPdf(const config::SettingsReport& report, const QString& path);

// The Prüfprotokoll of the wiring check, in the same layout.
void printWiringReport(const config::WiringReport& report, QPagedPaintDevice& device);
void writeWiringReportPdf(const config::WiringReport& report, const QString& path);

}  // namespace dravel::extras
