#include "TextReport.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "HistoryTable.h"

namespace {

constexpr std::string_view COLUMN_GAP = "  ";
constexpr std::size_t PERCENT_COLUMN = 3;
constexpr std::size_t COMMENT_COLUMN = 4;
// The rows whose % column holds a quotient (the last only under the syntax rules).
constexpr std::array<std::size_t, 6> PERCENT_ROWS = { 0, 1, 3, 4, 7, 8 };

using TextLines = std::vector<std::vector<std::string>>;

// The headings' trailing blanks pad the list's pixel columns; a terminal needs none.
std::string trimmed(std::string_view csText)
{
    while (csText.ends_with(' '))
        csText.remove_suffix(1);
    while (csText.starts_with(' '))
        csText.remove_prefix(1);
    return std::string(csText);
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

void appendTableLine(std::string& csOut, const std::vector<std::string>& cells, const std::vector<std::size_t>& widths,
    const std::vector<ColumnAlignment>& alignments)
{
    std::string csLine;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0)
            csLine += COLUMN_GAP;
        appendAligned(csLine, cells[i], widths[i], alignments[i]);
    }
    while (csLine.ends_with(' '))
        csLine.pop_back();
    csOut += csLine;
    csOut += '\n';
}

// The first line is the headings; a rule follows it, each column as wide as its widest cell.
std::string formatAligned(const TextLines& lines, const std::vector<ColumnAlignment>& alignments)
{
    std::vector<std::size_t> widths(alignments.size(), 0);
    for (const std::vector<std::string>& cells : lines) {
        for (std::size_t i = 0; i < cells.size(); ++i)
            widths[i] = std::max(widths[i], cells[i].size());
    }
    std::string csOut;
    for (std::size_t nLine = 0; nLine < lines.size(); ++nLine) {
        appendTableLine(csOut, lines[nLine], widths, alignments);
        if (nLine == 0) {
            std::vector<std::string> rules;
            for (const std::size_t nWidth : widths)
                rules.emplace_back(nWidth, '-');
            appendTableLine(csOut, rules, widths, alignments);
        }
    }
    return csOut;
}

std::int64_t fileCount(std::size_t nFiles) { return static_cast<std::int64_t>(nFiles); }

std::string percentOrDash(const std::string& csCell)
{
    const std::string csValue = trimmed(csCell);
    return csValue.empty() ? "-" : csValue;
}

std::string countersText(const ReportModel& model, const SavedReport& before)
{
    const ColumnAlignment right = ColumnAlignment::Right;
    TextLines lines { { "counter", "before", "now", "change" },
        { "files", std::to_string(before.nFiles), std::to_string(model.nFiles),
            SignedText(fileCount(model.nFiles) - fileCount(before.nFiles)) } };
    for (const CounterField& field : model.counterFields) {
        const std::int64_t nBefore = before.counters.*field.pMember;
        const std::int64_t nNow = model.counters.*field.pMember;
        lines.push_back({ field.pszName, std::to_string(nBefore), std::to_string(nNow), SignedText(nNow - nBefore) });
    }
    return formatAligned(lines, { ColumnAlignment::Left, right, right, right });
}

std::string percentsText(const ReportModel& model, const ReportRows& beforeRows)
{
    const ColumnAlignment right = ColumnAlignment::Right;
    TextLines lines { { "%", "before", "now" } };
    for (const std::size_t nRow : PERCENT_ROWS) {
        if (nRow >= model.rows.size())
            break;
        const ReportRow& row = model.rows[nRow];
        std::string csLabel = row[0];
        if (!row[COMMENT_COLUMN].empty())
            csLabel += " (" + row[COMMENT_COLUMN] + ")";
        lines.push_back(
            { csLabel, percentOrDash(beforeRows[nRow][PERCENT_COLUMN]), percentOrDash(row[PERCENT_COLUMN]) });
    }
    return formatAligned(lines, { ColumnAlignment::Left, right, right });
}

std::string projectsText(const std::vector<ProjectComparison>& projects)
{
    const ColumnAlignment left = ColumnAlignment::Left;
    const ColumnAlignment right = ColumnAlignment::Right;
    TextLines lines { { "project", "files", "change", "lines", "change", "directory" } };
    for (const ProjectComparison& comparison : projects) {
        const SavedProject* const pBefore = comparison.pBefore;
        const std::int64_t nFilesNow = fileCount(comparison.pNow != nullptr ? comparison.pNow->files.size() : 0);
        const std::int64_t nLinesNow = comparison.pNow != nullptr ? comparison.pNow->counters.nTotalLines : 0;
        const std::int64_t nFilesBefore = fileCount(pBefore != nullptr ? pBefore->nFiles : 0);
        std::string csLinesChange = "?"; // a report without --by-project kept no lines per project
        if (pBefore == nullptr)
            csLinesChange = SignedText(nLinesNow);
        else if (pBefore->counters)
            csLinesChange = SignedText(nLinesNow - pBefore->counters->nTotalLines);
        lines.push_back({ ProjectChangeName(comparison.change), std::to_string(nFilesNow),
            SignedText(nFilesNow - nFilesBefore), std::to_string(nLinesNow), csLinesChange, comparison.csDirectory });
    }
    return formatAligned(lines, { left, right, right, right, right, left });
}

// Counters before, now and the change, the rows' percentages, and with
// bByProject the projects that changed.
std::string comparisonText(const ReportModel& model, const ReportComparisonModel& comparison)
{
    const SavedReport& before = comparison.before;
    std::string csOut = "Compared with the report of "
        + (before.csGenerated ? *before.csGenerated : std::string("an unknown date")) + ":\n";
    csOut += countersText(model, before);
    csOut += '\n';
    csOut += percentsText(model, comparison.beforeRows);
    if (model.bByProject) {
        csOut += '\n';
        csOut += projectsText(comparison.projects);
    }
    return csOut;
}

// One row per picked commit, oldest first.
std::string historyText(const ReportModel& model)
{
    TextLines lines(1);
    std::vector<ColumnAlignment> alignments;
    for (const HistoryColumn& column : HistoryColumns(model.rules)) {
        lines[0].push_back(column.csHeading);
        alignments.push_back(column.alignment);
    }
    for (const HistoryPoint& point : model.history)
        lines.push_back(HistoryCells(point, model.rules));
    return formatAligned(lines, alignments);
}

} // namespace

std::string FormatTextTable(std::span<const ReportRow> rows)
{
    TextLines lines(1);
    std::vector<ColumnAlignment> alignments;
    for (const ReportColumn& column : REPORT_COLUMNS) {
        lines[0].push_back(trimmed(column.pszHeading));
        alignments.push_back(column.alignment);
    }
    for (const ReportRow& row : rows)
        lines.emplace_back(row.begin(), row.end());
    return formatAligned(lines, alignments);
}

std::string WriteTextReport(const ReportModel& model)
{
    if (!model.history.empty())
        return historyText(model);
    std::string csOut;
    if (model.bByProject) {
        for (std::size_t i = 0; i < model.projects.size(); ++i)
            csOut += model.projects[i].csDirectory + "\n" + FormatTextTable(model.projectRows[i]) + "\n";
        csOut += "All projects\n";
    }
    csOut += FormatTextTable(model.rows);
    if (model.comparison) {
        csOut += '\n';
        csOut += comparisonText(model, *model.comparison);
    }
    return csOut;
}
