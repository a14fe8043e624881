#include "extras/ReportDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextTable>
#include <algorithm>
#include <climits>
#include <cmath>
#include <set>
#include <stdexcept>
#include <vector>

#include "extras/CourseChart.h"
#include "ui/Text.h"

namespace dravel::extras {
namespace {

// Body text regular, headings bold: both faces of one family end up in the PDF.
const QString kFontFamily = QStringLiteral("Liberation Sans");
constexpr int kBodyPoints = 10;
constexpr int kMostLayoutPasses = 10000;
constexpr char kStyle[] =
    "body { font-family: 'Liberation Sans', Arial, sans-serif; font-size: 10pt; "
    "font-weight: normal; }"
    "h1 { font-size: 16pt; font-weight: bold; }"
    "h2 { font-size: 13pt; font-weight: bold; margin-top: 14px; }"
    "h3 { font-size: 10pt; font-weight: bold; margin-bottom: 0; }"
    "table { margin-bottom: 12px; }"
    "th { background-color: #e0e0e0; text-align: left; font-weight: bold; }";

// Unhinted: the page is no screen. On Windows this also takes the glyphs
// through DirectWrite, which tells the PDF writer each face's own file; the
// GDI engine under Wine names the regular and the bold face alike, and the
// writer then embeds only the first it meets.
QFont reportFont(int points) {
    QFont font(kFontFamily, points);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QString esc(const std::string& utf8) {
    return ui::toQString(utf8).toHtmlEscaped();
}

// A table of the report: plain cell texts, the header repeated on every page
// it runs onto. Its first keyColumns cells say which entry a row is about;
// they are repeated when a row too tall for one page goes on to the next.
struct ReportTable {
    QStringList header;
    int keyColumns = 1;
    std::vector<QStringList> rows;
    std::set<std::size_t> newPageBefore;  // rows that begin the table again on a new page
};

// The report as HTML pieces with its tables between them: html[i] comes
// before tables[i], the last piece after the last table.
struct ReportParts {
    std::vector<QString> html{QString()};
    std::vector<ReportTable> tables;

    void add(const QString& piece) { html.back() += piece; }
    void add(ReportTable table) {
        tables.push_back(std::move(table));
        html.emplace_back();
    }
};

QString row(const QStringList& cells, const char* tag = "td") {
    QString html = QStringLiteral("<tr>");
    for (const QString& cell : cells)
        html += QStringLiteral("<%1>%2</%1>").arg(tag, cell.toHtmlEscaped());
    return html + QStringLiteral("</tr>");
}

QString tableStart(const QStringList& header, bool newPage) {
    return QStringLiteral(
               "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\"") +
           (newPage ? QStringLiteral(" style=\"page-break-before: always\"") : QString()) +
           QStringLiteral("><thead>") + row(header, "th") + QStringLiteral("</thead>");
}

QString tableHtml(const ReportTable& table) {
    QString html = tableStart(table.header, table.newPageBefore.contains(0));
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        if (r > 0 && table.newPageBefore.contains(r))
            html += QStringLiteral("</table>") + tableStart(table.header, true);
        html += row(table.rows[r]);
    }
    return html + QStringLiteral("</table>");
}

QString toHtml(const ReportParts& parts) {
    QString html;
    for (std::size_t i = 0; i < parts.tables.size(); ++i)
        html += parts.html[i] + tableHtml(parts.tables[i]);
    return html + parts.html.back();
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

void deactivations(ReportParts& parts, const config::DeactivationPlan& plan) {
    parts.add(QStringLiteral("<h2>Nächste Funktionsproben</h2>"));
    for (const std::string& note : plan.notes)
        parts.add(QStringLiteral("<p>%1</p>").arg(esc(note)));
    if (plan.windows.empty()) return;
    ReportTable table{{"Wochentag", "Beginn", "Ende", "Hinweis"}, 1, {}, {}};
    for (const auto& w : plan.windows)
        table.rows.push_back(
            {ui::toQString(w.weekday), ui::toQString(config::formatGermanDateTime(w.start)),
             ui::toQString(config::formatGermanDateTime(w.end)), ui::toQString(w.note)});
    parts.add(std::move(table));
}

void conditions(ReportParts& parts, const config::SettingsReport& report) {
    parts.add(
        QStringLiteral("<h2>Bedingungsliste (%1 Einträge)</h2>").arg(report.conditions.size()));
    if (report.conditions.empty()) return parts.add(QStringLiteral("<p>Die Liste ist leer.</p>"));
    ReportTable table{{"Nr.", "Pin", "Art", "Kennung", "Beschreibung", "Audiodatei"}, 4, {}, {}};
    int number = 0;
    for (const auto& c : report.conditions)
        table.rows.push_back({QString::number(++number), ui::toQString(c.pin),
                              ui::toQString(c.kind), ui::toQString(c.code),
                              ui::toQString(c.description), ui::toQString(c.audioPath)});
    parts.add(std::move(table));
}

void findings(ReportParts& parts, const config::SettingsReport& report) {
    parts.add(QStringLiteral("<h2>Prüfung der Bedingungsliste</h2>"));
    if (report.findings.empty()) return parts.add(QStringLiteral("<p>Keine Auffälligkeiten</p>"));
    ReportTable table{{"Zeile", "Kennung", "Auffälligkeit"}, 2, {}, {}};
    for (const auto& f : report.findings)
        table.rows.push_back({f.row == 0 ? QStringLiteral("–") : QString::number(f.row),
                              ui::toQString(f.code), ui::toQString(f.problem)});
    parts.add(std::move(table));
}

ReportTable wiringRows(const config::WiringReport& report) {
    ReportTable table{{"Prüfschritt", "Bemerkung", "Verwendung", "Ergebnis", "Erfasst"}, 1, {}, {}};
    for (const auto& r : report.rows)
        table.rows.push_back({ui::toQString(r.caption), ui::toQString(r.remark),
                              ui::toQString(r.use), ui::toQString(r.result),
                              ui::toQString(r.recorded)});
    return table;
}

// Both reports: the same style, heading and first lines.
QString reportStart(const QString& title, const std::string& created,
                    const std::string& programDirectory) {
    return QStringLiteral("<html><head><style>%1</style></head><body>").arg(kStyle) +
           QStringLiteral("<h1>%1</h1>").arg(title) +
           QStringLiteral("<p>Erstellt am %1<br>Programmverzeichnis: %2")
               .arg(esc(created), esc(programDirectory));
}

// --- Pages ------------------------------------------------------------------------------------

// The page's text area: 2 cm from every edge, and a line for the page number
// below it, in the device's units.
struct PageFrame {
    explicit PageFrame(const QPagedPaintDevice& device)
        : margin(2 / 2.54 * device.logicalDpiY()),
          // Whole units: the layout keeps positions in fixed point, and a
          // fractional page height would put a line moved to the next page a
          // hair above that page's top.
          text(margin, margin, std::floor(device.width() - 2 * margin),
               std::floor(device.height() - 3 * margin)) {}
    qreal margin;
    QRectF text;
};

// Laid out on the device itself, so what is measured here is what is printed.
void layOutOnPages(QTextDocument& document, QPagedPaintDevice& device) {
    document.documentLayout()->setPaintDevice(&device);
    document.setDefaultFont(reportFont(kBodyPoints));
    document.setDocumentMargin(0);
    document.setPageSize(PageFrame(device).text.size());
}

// The page of a block's first line (the layout moves lines, not whole blocks,
// onto the next page).
int pageOf(const QTextDocument& document, const QTextBlock& block) {
    const QRectF box = document.documentLayout()->blockBoundingRect(block);
    const QTextLine first = block.layout()->lineAt(0);
    const qreal top = box.top() + (first.isValid() ? first.y() : 0);
    return static_cast<int>(top / document.pageSize().height());
}

// The first row of a table that is not its header.
bool inHeaderRow(const QTextBlock& block) {
    const QTextCursor cursor(block);
    const QTextTable* table = cursor.currentTable();
    return table && table->cellAt(cursor).row() < table->format().headerRowCount();
}

// --- Table rows ---

// The pages a table row's text runs over.
struct RowPlace {
    int firstPage = 0;
    int lastPage = 0;
};

int pageAt(const QTextDocument& document, qreal y) {
    return static_cast<int>(y / document.pageSize().height());
}

QTextBlock cellBlock(const QTextTable& table, int row, int column) {
    return table.cellAt(row, column).firstCursorPosition().block();
}

RowPlace placeOfRow(const QTextDocument& document, const QTextTable& table, int row) {
    RowPlace place{INT_MAX, 0};
    for (int c = 0; c < table.columns(); ++c) {
        const QTextBlock block = cellBlock(table, row, c);
        const QTextLayout* layout = block.layout();
        if (layout->lineCount() == 0) continue;
        const qreal top = document.documentLayout()->blockBoundingRect(block).top();
        const QTextLine last = layout->lineAt(layout->lineCount() - 1);
        place.firstPage = std::min(place.firstPage, pageAt(document, top + layout->lineAt(0).y()));
        // A line ending right at a page's end still belongs to that page.
        place.lastPage =
            std::max(place.lastPage, pageAt(document, top + last.y() + last.height() - 1));
    }
    if (place.firstPage == INT_MAX) place.firstPage = place.lastPage;
    return place;
}

// The body rows of the document's tables in order, one for each row of the
// report's tables (a table begun again on a new page is a table of its own).
std::vector<std::pair<const QTextTable*, int>> bodyRows(const QTextDocument& document) {
    std::vector<std::pair<const QTextTable*, int>> rows;
    for (const QTextFrame* frame : document.rootFrame()->childFrames())
        if (const auto* table = qobject_cast<const QTextTable*>(frame))
            for (int r = table->format().headerRowCount(); r < table->rows(); ++r)
                rows.emplace_back(table, r);
    return rows;
}

// The last page of what a heading keeps with it: the whole of a table row.
int lastPageOf(const QTextDocument& document, const QTextBlock& block) {
    const QTextCursor cursor(block);
    const QTextTable* table = cursor.currentTable();
    if (!table) return pageOf(document, block);
    return placeOfRow(document, *table, table->cellAt(cursor).row()).lastPage;
}

// Splits a row taller than the rest of its page where the page ends: the
// part below goes on as a row of its own, with the key cells repeated.
// False when no cell reaches past the page.
bool cutRowAtPageEnd(const QTextDocument& document, const QTextTable& shown, int shownRow, int page,
                     ReportTable& table, std::size_t r) {
    const qreal pageEnd = (page + 1) * document.pageSize().height();
    QStringList head = table.rows[r];
    QStringList tail = table.rows[r];
    bool cut = false;
    for (int c = table.keyColumns; c < shown.columns() && c < head.size(); ++c) {
        const QTextBlock block = cellBlock(shown, shownRow, c);
        const qreal top = document.documentLayout()->blockBoundingRect(block).top();
        const QTextLayout* layout = block.layout();
        int at = block.length() - 1;
        for (int i = 1; i < layout->lineCount(); ++i) {  // the first line always stays
            const QTextLine line = layout->lineAt(i);
            if (top + line.y() + line.height() > pageEnd) {
                at = line.textStart();
                cut = true;
                break;
            }
        }
        head[c] = block.text().left(at).trimmed();
        tail[c] = block.text().mid(at).trimmed();
    }
    if (!cut) return false;
    table.rows[r] = head;
    table.rows.insert(table.rows.begin() + static_cast<std::ptrdiff_t>(r) + 1, tail);
    std::set<std::size_t> moved;
    for (std::size_t b : table.newPageBefore) moved.insert(b > r ? b + 1 : b);
    moved.insert(r + 1);
    table.newPageBefore = std::move(moved);
    return true;
}

// Mends the first row that a page end cuts: it begins its table again on the
// next page, or, when it already begins a page (or follows its heading
// there), it is cut at the page's end. False when no row is cut.
bool mendFirstCutRow(const QTextDocument& document, ReportParts& parts) {
    const auto shown = bodyRows(document);
    std::size_t next = 0;
    for (ReportTable& table : parts.tables) {
        for (std::size_t r = 0; r < table.rows.size() && next < shown.size(); ++r, ++next) {
            const auto [shownTable, shownRow] = shown[next];
            const RowPlace place = placeOfRow(document, *shownTable, shownRow);
            if (place.firstPage == place.lastPage) continue;
            if (r > 0 && !table.newPageBefore.contains(r)) {
                table.newPageBefore.insert(r);
                return true;
            }
            if (cutRowAtPageEnd(document, *shownTable, shownRow, place.firstPage, table, r))
                return true;
        }
    }
    return false;
}

// A heading and what must stay on its page: its first body row when its part
// has a table (so neither the heading nor a table header stands alone at a
// page's foot), else its first line.
struct Section {
    QTextBlock heading;
    QTextBlock keptWith;
};

std::vector<Section> sections(const QTextDocument& document) {
    std::vector<Section> found;
    bool tableSeen = false;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() > 0) {
            found.push_back({block, block.next()});
            tableSeen = false;
        } else if (!found.empty() && !tableSeen && QTextCursor(block).currentTable() &&
                   !inHeaderRow(block)) {
            found.back().keptWith = block;
            tableSeen = true;
        }
    }
    return found;
}

// Moves a heading to the next page when what belongs to it would begin there.
void keepHeadingsWithTheirContent(QTextDocument& document) {
    for (bool moved = true; moved;) {
        moved = false;
        for (const Section& s : sections(document)) {
            if (!s.keptWith.isValid() ||
                pageOf(document, s.heading) == lastPageOf(document, s.keptWith))
                continue;
            QTextBlockFormat format = s.heading.blockFormat();
            if (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) continue;
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            QTextCursor(s.heading).setBlockFormat(format);
            // Qt's relayout from the changed block misses a page break there.
            document.markContentsDirty(0, document.characterCount());
            moved = true;
            break;  // the layout below has changed
        }
    }
}

void drawPageNumber(QPainter& painter, const PageFrame& frame, int page, int pages) {
    painter.setFont(reportFont(kBodyPoints - 1));
    const QRectF line(frame.text.left(), frame.text.bottom(), frame.text.width(), frame.margin);
    painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("Seite %1 von %2").arg(page).arg(pages));
}

// --- The course of an alarm, one page each ------------------------------------------------

// The findings under the picture, as many as the page holds.
void drawFindings(QPainter& painter, QRectF area, const std::vector<std::string>& findings) {
    QFont bold = reportFont(kBodyPoints);
    bold.setBold(true);
    painter.setFont(bold);
    painter.drawText(area, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Was schiefgehen würde"));
    area.setTop(area.top() + QFontMetricsF(bold, painter.device()).height() * 1.4);
    painter.setFont(reportFont(kBodyPoints));
    QStringList lines;
    for (const std::string& f : findings) lines << QStringLiteral("• ") + ui::toQString(f);
    if (lines.isEmpty()) lines << QStringLiteral("Keine Auffälligkeiten");
    for (const QString& line : lines) {
        const QString& text = line;
        const QRectF needed = painter.boundingRect(area, Qt::TextWordWrap, text);
        if (needed.bottom() > area.bottom()) break;
        painter.drawText(area, Qt::TextWordWrap, text);
        area.setTop(needed.bottom() + needed.height() / 4);
    }
}

void drawCoursePage(QPainter& painter, const PageFrame& frame, const config::AlarmCourse& course) {
    painter.save();
    QFont heading = reportFont(13);
    heading.setBold(true);
    painter.setFont(heading);
    painter.setPen(Qt::black);
    QRectF area = frame.text;
    painter.drawText(area, Qt::AlignLeft | Qt::AlignTop,
                     QStringLiteral("Alarmablauf: ") + ui::toQString(course.alarm));
    area.setTop(area.top() + QFontMetricsF(heading, painter.device()).height() * 1.8);
    const QFont body = reportFont(kBodyPoints - 1);
    painter.setFont(body);
    const QFontMetricsF metrics(body, painter.device());
    const qreal height = std::min(courseHeight(course, metrics), area.height() * 0.6);
    const QRectF picture(area.topLeft(), QSizeF(area.width(), height));
    paintCourse(painter, course, layOutCourse(course, picture, metrics));
    painter.setPen(Qt::black);
    area.setTop(picture.bottom() + metrics.height() * 1.5);
    drawFindings(painter, area, course.findings);
    painter.restore();
}

void printTextPages(QTextDocument& document, QPagedPaintDevice& device, QPainter& painter,
                    int pages) {
    const PageFrame frame(device);
    const qreal height = frame.text.height();
    for (int page = 0; page < document.pageCount(); ++page) {
        if (page > 0) device.newPage();
        painter.save();
        painter.translate(frame.text.left(), frame.text.top() - page * height);
        QAbstractTextDocumentLayout::PaintContext context;
        // A line moved onto the next page starts exactly at this page's end:
        // it must not be drawn (clipped, yet found by text search) here too.
        context.clip = QRectF(0, page * height, frame.text.width(), height - 0.5);
        painter.setClipRect(context.clip);
        document.documentLayout()->draw(&painter, context);
        painter.restore();
        drawPageNumber(painter, frame, page + 1, pages);
    }
}

// The text, then one page per course, numbered together.
void printPages(QTextDocument& document, QPagedPaintDevice& device,
                const std::vector<config::AlarmCourse>& courses) {
    const PageFrame frame(device);
    QPainter painter(&device);
    const int textPages = document.pageCount();
    const int pages = textPages + static_cast<int>(courses.size());
    printTextPages(document, device, painter, pages);
    for (int page = textPages; page < pages; ++page) {
        device.newPage();
        drawCoursePage(painter, frame, courses[static_cast<std::size_t>(page - textPages)]);
        drawPageNumber(painter, frame, page + 1, pages);
    }
}

// Qt stamps the PDF with the local time of writing, which Windows (Wine at
// least) marks as UTC. The report's own moment in UTC is right everywhere;
// it keeps the string's length, so the file's cross-reference table stays
// valid.
void stampCreationDate(QByteArray& pdf, config::sys_seconds created) {
    static const QByteArray key = QByteArrayLiteral("/CreationDate (D:");
    const qsizetype start = pdf.indexOf(key);
    const qsizetype end = start < 0 ? -1 : pdf.indexOf(')', start);
    if (end < 0) return;
    const qsizetype from = start + key.size();
    const qsizetype length = end - from;  // 14 digits and "Z" or "+hh'mm'"
    if (length != 15 && length != 21) return;
    const QDateTime utc =
        QDateTime::fromSecsSinceEpoch(created.time_since_epoch().count(), Qt::UTC);
    const QByteArray stamp = utc.toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1() +
                             (length == 15 ? QByteArray("Z") : QByteArray("+00'00'"));
    pdf.replace(from, length, stamp);
}

// Lays the parts out until no table row is cut by a page end, each pass
// mending the first cut row (every pass moves a row down or shortens one, so
// the passes end; the bound is a guard only), then prints the text pages and
// one page per alarm course.
void printParts(ReportParts parts, QPagedPaintDevice& device,
                const std::vector<config::AlarmCourse>& courses = {}) {
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(5, 0, 0, 0), QPageLayout::Millimeter));
    QTextDocument document;
    for (int pass = 0;; ++pass) {
        document.setHtml(toHtml(parts));
        layOutOnPages(document, device);
        keepHeadingsWithTheirContent(document);
        if (pass == kMostLayoutPasses || !mendFirstCutRow(document, parts)) break;
    }
    printPages(document, device, courses);
}

void writePdf(const ReportParts& parts, const QString& title, config::sys_seconds created,
              const QString& path, const std::vector<config::AlarmCourse>& courses = {}) {
    QFile file(path);
    const auto refused = [&] {
        return std::runtime_error("In " + ui::toStdString(path) + " kann nicht geschrieben werden");
    };
    if (!file.open(QIODevice::WriteOnly)) throw refused();
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setResolution(300);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Dravel"));
        printParts(parts, writer, courses);
    }
    stampCreationDate(pdf.buffer(), created);
    if (file.write(pdf.buffer()) != pdf.buffer().size() || !file.flush()) throw refused();
}

ReportParts settingsReportParts(const config::SettingsReport& report) {
    ReportParts parts;
    parts.add(reportStart(QStringLiteral("Einstellungen für \"Kalvor.EXE\""), report.created,
                          report.programDirectory) +
              QStringLiteral("</p>") + panels(report));
    deactivations(parts, report.deactivations);
    conditions(parts, report);
    findings(parts, report);
    parts.add(QStringLiteral("</body></html>"));
    return parts;
}

ReportParts wiringReportParts(const config::WiringReport& report) {
    ReportParts parts;
    parts.add(reportStart(esc(report.title), report.created, report.programDirectory) +
              QStringLiteral("<br>ComPort: %1</p>").arg(esc(report.port)));
    parts.add(wiringRows(report));
    parts.add(QStringLiteral("<p>Geprüft von: %1<br>Bemerkung: %2</p>")
                  .arg(esc(report.checkedBy), esc(report.remark)) +
              QStringLiteral("</body></html>"));
    return parts;
}

}  // namespace

void printSettingsReport(const config::SettingsReport& report, QPagedPaintDevice& device) {
    printParts(settingsReportParts(report), device, report.courses);
}

void writeSettingsReportPdf(const config::SettingsReport& report, const QString& path) {
    writePdf(settingsReportParts(report), QStringLiteral("Einstellungen für Kalvor"),
             report.createdAt, path, report.courses);
}

void printWiringReport(const config::WiringReport& report, QPagedPaintDevice& device) {
    printParts(wiringReportParts(report), device);
}

void writeWiringReportPdf(const config::WiringReport& report, const QString& path) {
    writePdf(wiringReportParts(report), ui::toQString(report.title), report.createdAt, path);
}

}  // namespace dravel::extras
