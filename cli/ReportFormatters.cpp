#include "ReportFormatters.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "JsonText.h"

namespace {

constexpr std::string_view COLUMN_GAP = "  ";

// The headings' trailing blanks pad the list's pixel columns; a terminal needs none.
std::string_view trimmedHeading(const ReportColumn& column)
{
    std::string_view csHeading = column.pszHeading;
    while (csHeading.ends_with(' '))
        csHeading.remove_suffix(1);
    return csHeading;
}

void appendAligned(std::string& csLine, std::string_view csCell, std::size_t nWidth, ColumnAlignment alignment)
{
    const std::size_t nPad = nWidth > csCell.size() ? nWidth - csCell.size() : 0;
    if (alignment == ColumnAlignment::Right)
        csLine.append(nPad, ' ');
    csLine += csCell;
    if (alignment == ColumnAlignment::Left)
        csLine.append(nPad, ' ');
}

void appendTableLine(std::string& csOut, const std::array<std::string_view, REPORT_COLUMN_COUNT>& cells,
    const std::array<std::size_t, REPORT_COLUMN_COUNT>& widths)
{
    std::string csLine;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0)
            csLine += COLUMN_GAP;
        appendAligned(csLine, cells[i], widths[i], REPORT_COLUMNS[i].alignment);
    }
    while (csLine.ends_with(' '))
        csLine.pop_back();
    csOut += csLine;
    csOut += '\n';
}

void appendCounter(std::string& csOut, const char* pszName, std::int64_t nValue, bool bLast = false)
{
    csOut += "\"";
    csOut += pszName;
    csOut += "\": ";
    csOut += std::to_string(nValue);
    if (!bLast)
        csOut += ", ";
}

} // namespace

std::string FormatTextTable(const Report& report)
{
    std::array<std::size_t, REPORT_COLUMN_COUNT> widths {};
    std::array<std::string_view, REPORT_COLUMN_COUNT> headings {};
    for (std::size_t i = 0; i < REPORT_COLUMNS.size(); ++i) {
        headings[i] = trimmedHeading(REPORT_COLUMNS[i]);
        widths[i] = headings[i].size();
        for (const ReportRow& row : report)
            widths[i] = std::max(widths[i], row[i].size());
    }
    std::string csOut;
    appendTableLine(csOut, headings, widths);
    std::array<std::string, REPORT_COLUMN_COUNT> rules;
    std::array<std::string_view, REPORT_COLUMN_COUNT> ruleCells;
    for (std::size_t i = 0; i < rules.size(); ++i) {
        rules[i].assign(widths[i], '-');
        ruleCells[i] = rules[i];
    }
    appendTableLine(csOut, ruleCells, widths);
    for (const ReportRow& row : report) {
        std::array<std::string_view, REPORT_COLUMN_COUNT> cells;
        std::copy(row.begin(), row.end(), cells.begin());
        appendTableLine(csOut, cells, widths);
    }
    return csOut;
}

std::string FormatTsv(const Report& report)
{
    std::string csOut;
    for (const ReportRow& row : report) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0)
                csOut += '\t';
            csOut += row[i];
        }
        csOut += '\n';
    }
    return csOut;
}

std::string FormatJson(const ReportSummary& summary)
{
    std::string csOut = "{\n  \"files\": " + std::to_string(summary.nFiles) + ",\n  \"projects\": [";
    for (std::size_t i = 0; i < summary.projects.size(); ++i) {
        csOut += i > 0 ? ",\n    " : "\n    ";
        csOut += "{\"directory\": ";
        AppendJsonString(csOut, summary.projects[i].csDirectory);
        csOut += ", \"files\": " + std::to_string(summary.projects[i].files.size()) + "}";
    }
    csOut += summary.projects.empty() ? "],\n" : "\n  ],\n";

    const LineCounters& c = summary.counters;
    csOut += "  \"counters\": {";
    appendCounter(csOut, "nTotalLines", c.nTotalLines);
    appendCounter(csOut, "nCommentLines", c.nCommentLines);
    appendCounter(csOut, "nCodeLines", c.nCodeLines);
    appendCounter(csOut, "nCodeOnlyLines", c.nCodeOnlyLines);
    appendCounter(csOut, "nEmptyLines", c.nEmptyLines);
    appendCounter(csOut, "nCodeChars", c.nCodeChars);
    appendCounter(csOut, "nTotalChars", c.nTotalChars, true);
    csOut += "},\n  \"rows\": [";
    for (std::size_t nRow = 0; nRow < summary.report.size(); ++nRow) {
        csOut += nRow > 0 ? ",\n    [" : "\n    [";
        const ReportRow& row = summary.report[nRow];
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0)
                csOut += ", ";
            AppendJsonString(csOut, row[i]);
        }
        csOut += ']';
    }
    csOut += "\n  ]\n}\n";
    return csOut;
}

std::string FormatReport(OutputFormat format, const ReportSummary& summary)
{
    switch (format) {
    case OutputFormat::Tsv:
        return FormatTsv(summary.report);
    case OutputFormat::Json:
        return FormatJson(summary);
    case OutputFormat::Text:
        break;
    }
    return FormatTextTable(summary.report);
}
