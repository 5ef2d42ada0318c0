#include "HtmlTable.h"

#include <array>
#include <cstdio>

#include "AtomicFile.h"
#include "NumberText.h"
#include "PageText.h"

namespace {

void appendEscaped(std::string& out, const std::string& csText)
{
    AppendHtmlEscaped(out, csText);
}

std::string cssColor(COLORREF cr)
{
    char acText[8];
    std::snprintf(acText, sizeof acText, "#%02x%02x%02x", cr & 0xFFu, (cr >> 8) & 0xFFu, (cr >> 16) & 0xFFu);
    return acText;
}

const char* alignOf(const HtmlColumn& column)
{
    return column.bRightAligned ? "right" : "left";
}

constexpr const char* TABLE_STYLE = "body { font-family: sans-serif; font-size: 10pt; }\n"
                                    "table { border-collapse: collapse; }\n"
                                    "th, td { padding: 2px 6px; border: 1px solid #c0c0c0; white-space: pre; }\n"
                                    "th { background: #e8e8e8; font-weight: normal; }\n";

// The rows keep their own light colours in a dark scheme, so their text stays dark.
// Chart and bars are SVG and the swatches text: both print without background printing.
constexpr const char* PAGE_STYLE
    = ":root { color-scheme: light dark; }\n"
      "body { margin: 1.5em; color: #1a1a1a; background: #ffffff; }\n"
      "h1 { font-size: 16pt; margin: 0 0 0.2em; }\n"
      "h2 { font-size: 12pt; margin: 1.2em 0 0.4em; }\n"
      "h3 { font-size: 10pt; margin: 1em 0 0.3em; font-weight: normal; }\n"
      ".meta { margin: 0 0 1em; color: #555555; }\n"
      ".dir { font-family: monospace; }\n"
      ".overview { display: flex; align-items: center; gap: 2em; margin-bottom: 1em; }\n"
      ".ring { width: 150px; height: 150px; flex: none; }\n"
      ".ring .track { stroke: #e6e6e6; }\n"
      ".ring text { fill: currentColor; font-size: 5px; text-anchor: middle; }\n"
      ".legend { list-style: none; margin: 0; padding: 0; }\n"
      ".legend li { display: grid; grid-template-columns: 1.5em 11em 5em 5em; align-items: baseline; "
      "margin: 0.25em 0; }\n"
      ".swatch { font-size: 14pt; line-height: 1; }\n"
      ".num { text-align: right; }\n"
      ".shares { list-style: none; margin: 0; padding: 0; }\n"
      ".shares li { display: grid; grid-template-columns: minmax(10em, max-content) 12em auto; gap: 1em; "
      "align-items: center; margin: 0.2em 0; }\n"
      ".bar { width: 12em; height: 0.8em; }\n"
      ".bar .track { fill: #e6e6e6; }\n"
      ".sections { display: flex; flex-wrap: wrap; gap: 0 2em; }\n"
      "@media (prefers-color-scheme: dark) {\n"
      "  body { color: #e6e6e6; background: #1c1c1c; }\n"
      "  th { background: #3a3a3a; color: #e6e6e6; }\n"
      "  .meta { color: #b0b0b0; }\n"
      "  .ring .track { stroke: #3a3a3a; }\n"
      "  .bar .track { fill: #3a3a3a; }\n"
      "}\n"
      "@media print {\n"
      "  @page { margin: 1cm; }\n"
      "  body { margin: 0; font-size: 8pt; color: #000000; background: #ffffff; }\n"
      "  th { background: #e8e8e8; color: #000000; }\n"
      "  .ring { width: 100px; height: 100px; }\n"
      "  h2 { margin-top: 0.8em; }\n"
      "  section, .overview, .shares { break-inside: avoid; }\n"
      "}\n";

constexpr const char* BAR_COLOR = "#0072b2";

// A circle of circumference 100 lets dash lengths be percentages.
constexpr const char* RING_RADIUS = "15.91549";

double percentOf(std::int64_t nPart, std::int64_t nWhole)
{
    return nWhole <= 0 ? 0.0 : 100.0 * static_cast<double>(nPart) / static_cast<double>(nWhole);
}

std::string shareText(std::int64_t nPart, std::int64_t nWhole)
{
    return FixedDecimalText(percentOf(nPart, nWhole), 1) + " %";
}

void appendTable(std::string& out, const HtmlTable& table, const std::vector<std::vector<std::string>>& rows)
{
    out += "<table>\n<tr>";
    for (const HtmlColumn& column : table.columns) {
        out += "<th style=\"text-align: ";
        out += alignOf(column);
        out += "; min-width: " + std::to_string(column.nWidth) + "px\">";
        appendEscaped(out, column.csHeading);
        out += "</th>";
    }
    out += "</tr>\n";
    for (std::size_t nRow = 0; nRow < rows.size(); ++nRow) {
        out += "<tr";
        if (!table.rowColors.empty()) {
            const HtmlRowColors& colors = table.rowColors[nRow % table.rowColors.size()];
            out += " style=\"color: " + cssColor(colors.crFore) + "; background: " + cssColor(colors.crBack) + "\"";
        }
        out += ">";
        const std::vector<std::string>& cells = rows[nRow];
        for (std::size_t nCol = 0; nCol < table.columns.size(); ++nCol) {
            out += "<td style=\"text-align: ";
            out += alignOf(table.columns[nCol]);
            out += "\">";
            if (nCol < cells.size())
                appendEscaped(out, cells[nCol]);
            out += "</td>";
        }
        out += "</tr>\n";
    }
    out += "</table>\n";
}

// Empty elements would be dropped by validators with a warning: only what has text is written.
void appendHeader(std::string& out, const HtmlPage& page)
{
    if (page.csHeading.empty() && page.csDate.empty() && page.projects.empty())
        return;
    out += "<header>\n";
    if (!page.csHeading.empty()) {
        out += "<h1>";
        appendEscaped(out, page.csHeading);
        out += "</h1>\n";
    }
    if (!page.csDate.empty() || !page.projects.empty()) {
        out += "<p class=\"meta\">";
        appendEscaped(out, page.csDate);
        if (!page.csDate.empty() && !page.projects.empty())
            out += " \xE2\x80\x94 ";
        if (!page.projects.empty())
            out += std::to_string(page.projects.size()) + (page.projects.size() == 1 ? " project: " : " projects: ");
        for (std::size_t i = 0; i < page.projects.size(); ++i) {
            if (i > 0)
                out += ", ";
            out += "<span class=\"dir\">";
            appendEscaped(out, page.projects[i]);
            out += "</span>";
        }
        out += "</p>\n";
    }
    out += "</header>\n";
}

void appendRing(std::string& out, const std::vector<HtmlSlice>& slices, std::int64_t nTotal)
{
    std::string csLabel = "Ring chart of " + std::to_string(nTotal) + " lines: ";
    for (std::size_t i = 0; i < slices.size(); ++i) {
        csLabel += (i > 0 ? "; " : "") + slices[i].csLabel + " " + std::to_string(slices[i].nCount) + " ("
            + shareText(slices[i].nCount, nTotal) + ")";
    }
    out += "<svg class=\"ring\" viewBox=\"0 0 42 42\" role=\"img\" aria-label=\"";
    appendEscaped(out, csLabel);
    out += "\">\n<circle class=\"track\" cx=\"21\" cy=\"21\" r=\"" + std::string(RING_RADIUS)
        + "\" fill=\"none\" stroke-width=\"6\"/>\n";
    // Each slice is a dash on the circle; the offset of 25 starts the first at the top.
    double dStart = 0.0;
    for (std::size_t i = 0; i < slices.size(); ++i) {
        const double dPercent = percentOf(slices[i].nCount, nTotal);
        if (slices[i].nCount > 0) {
            out += "<circle cx=\"21\" cy=\"21\" r=\"" + std::string(RING_RADIUS) + "\" fill=\"none\" stroke=\""
                + SLICE_COLORS[i % SLICE_COLORS.size()] + "\" stroke-width=\"6\" stroke-dasharray=\""
                + FixedDecimalText(dPercent, 3) + " " + FixedDecimalText(100.0 - dPercent, 3)
                + "\" stroke-dashoffset=\"" + FixedDecimalText(25.0 - dStart, 3) + "\"/>\n";
        }
        dStart += dPercent;
    }
    out += "<text x=\"21\" y=\"21\">" + std::to_string(nTotal)
        + "</text>\n<text x=\"21\" y=\"27\">lines</text>\n</svg>\n";
}

void appendOverview(std::string& out, const std::vector<HtmlSlice>& slices)
{
    std::int64_t nTotal = 0;
    for (const HtmlSlice& slice : slices)
        nTotal += slice.nCount;
    if (nTotal <= 0)
        return; // nothing to draw a ring of
    out += "<div class=\"overview\">\n";
    appendRing(out, slices, nTotal);
    out += "<ul class=\"legend\">\n";
    for (std::size_t i = 0; i < slices.size(); ++i) {
        out += "<li><span class=\"swatch\" style=\"color: ";
        out += SLICE_COLORS[i % SLICE_COLORS.size()];
        out += "\" aria-hidden=\"true\">\xE2\x96\xA0</span><span>";
        appendEscaped(out, slices[i].csLabel);
        out += "</span><span class=\"num\">" + std::to_string(slices[i].nCount) + "</span><span class=\"num\">"
            + shareText(slices[i].nCount, nTotal) + "</span></li>\n";
    }
    out += "</ul>\n</div>\n";
}

void appendSections(std::string& out, const HtmlTable& table)
{
    const HtmlPage& page = table.page;
    if (page.sections.empty())
        return;
    std::int64_t nWhole = 0;
    for (const HtmlSection& section : page.sections)
        nWhole += section.nShare;
    out += "<h2>Projects</h2>\n<ul class=\"shares\">\n";
    for (const HtmlSection& section : page.sections) {
        const std::string csShare = shareText(section.nShare, nWhole);
        out += "<li><span class=\"dir\">";
        appendEscaped(out, section.csTitle);
        out += "</span><svg class=\"bar\" viewBox=\"0 0 100 4\" preserveAspectRatio=\"none\" aria-hidden=\"true\">"
               "<rect class=\"track\" width=\"100\" height=\"4\"/><rect width=\""
            + FixedDecimalText(percentOf(section.nShare, nWhole), 1) + "\" height=\"4\" fill=\"" + BAR_COLOR
            + "\"/></svg><span>" + csShare + " of ";
        appendEscaped(out, page.csShareUnit);
        out += " (" + std::to_string(section.nShare) + ")</span></li>\n";
    }
    out += "</ul>\n<div class=\"sections\">\n";
    for (const HtmlSection& section : page.sections) {
        out += "<section>\n<h3 class=\"dir\">";
        appendEscaped(out, section.csTitle);
        out += "</h3>\n";
        appendTable(out, table, section.rows);
        out += "</section>\n";
    }
    out += "</div>\n";
}

} // namespace

bool HtmlPage::IsEmpty() const
{
    return csHeading.empty() && csDate.empty() && projects.empty() && slices.empty() && sections.empty()
        && history.points.empty();
}

std::string RenderHtml(const HtmlTable& table)
{
    const bool bPage = !table.page.IsEmpty();
    std::string out;
    // The page's own words are English whatever the dialog's language.
    out += bPage ? "<!DOCTYPE html>\n<html lang=\"en\">\n" : "<!DOCTYPE html>\n<html>\n";
    out += "<head>\n<meta charset=\"utf-8\">\n";
    if (bPage)
        out += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
    out += "<title>";
    appendEscaped(out, table.csTitle);
    out += "</title>\n<style>\n";
    out += TABLE_STYLE;
    if (bPage)
        out += PAGE_STYLE;
    if (!table.page.history.points.empty())
        out += HISTORY_STYLE;
    out += "</style>\n</head>\n<body>\n";
    if (bPage) {
        appendHeader(out, table.page);
        appendOverview(out, table.page.slices);
        AppendHistoryChart(out, table.page.history);
    }
    appendTable(out, table, table.rows);
    if (bPage)
        appendSections(out, table);
    out += "</body>\n</html>\n";
    return out;
}

FileStatus WriteHtmlFile(const std::string& csPath, const HtmlTable& table)
{
    return WriteFileAtomically(csPath, RenderHtml(table), MissingFolders::Fail);
}
