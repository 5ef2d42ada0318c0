#include "ReportFormatters.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "JsonText.h"
#include "ProjectCollection.h"

namespace {

constexpr std::string_view COLUMN_GAP = "  ";
constexpr std::size_t PERCENT_COLUMN = 3;
constexpr std::size_t COMMENT_COLUMN = 4;
// The rows whose % column holds a quotient.
constexpr std::array<std::size_t, 5> PERCENT_ROWS = { 0, 1, 3, 4, 7 };

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

// A TSV cell holds no tab or line end: those in a directory name are written as
// \t, \n and \r, and a backslash as \\, so every line keeps its six cells.
void appendTsvCell(std::string& csOut, std::string_view csText)
{
    for (const char c : csText) {
        switch (c) {
        case '\t': csOut += "\\t"; break;
        case '\n': csOut += "\\n"; break;
        case '\r': csOut += "\\r"; break;
        case '\\': csOut += "\\\\"; break;
        default: csOut += c; break;
        }
    }
}

std::string tsvRows(const Report& report, const std::string* pcsFirstCell)
{
    std::string csOut;
    for (const ReportRow& row : report) {
        if (pcsFirstCell != nullptr) {
            appendTsvCell(csOut, *pcsFirstCell);
            csOut += '\t';
        }
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0)
                csOut += '\t';
            csOut += row[i];
        }
        csOut += '\n';
    }
    return csOut;
}

void appendCounters(std::string& csOut, const LineCounters& counters)
{
    csOut += '{';
    for (std::size_t i = 0; i < COUNTER_FIELDS.size(); ++i) {
        if (i > 0)
            csOut += ", ";
        csOut += '"';
        csOut += COUNTER_FIELDS[i].pszName;
        csOut += "\": " + std::to_string(counters.*COUNTER_FIELDS[i].pMember);
    }
    csOut += '}';
}

LineCounters difference(const LineCounters& now, const LineCounters& before)
{
    LineCounters change;
    for (const CounterField& field : COUNTER_FIELDS)
        change.*field.pMember = now.*field.pMember - before.*field.pMember;
    return change;
}

void appendRows(std::string& csOut, const Report& report, std::string_view csIndent)
{
    csOut += '[';
    for (std::size_t nRow = 0; nRow < report.size(); ++nRow) {
        csOut += nRow > 0 ? ",\n" : "\n";
        csOut += csIndent;
        csOut += "  [";
        const ReportRow& row = report[nRow];
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0)
                csOut += ", ";
            AppendJsonString(csOut, row[i]);
        }
        csOut += ']';
    }
    csOut += '\n';
    csOut += csIndent;
    csOut += ']';
}

void appendProject(std::string& csOut, const ProjectRun& project, bool bByProject)
{
    csOut += "{\"directory\": ";
    AppendJsonString(csOut, project.csDirectory);
    csOut += ", \"files\": " + std::to_string(project.files.size());
    if (bByProject) {
        csOut += ",\n      \"counters\": ";
        appendCounters(csOut, project.counters);
        csOut += ",\n      \"rows\": ";
        appendRows(csOut, BuildReport(project.counters), "      ");
    }
    csOut += '}';
}

// {"files": N, "counters": {…}}; the counters left out when unknown.
void appendFilesAndCounters(std::string& csOut, std::int64_t nFiles, const LineCounters* pCounters)
{
    csOut += "{\"files\": " + std::to_string(nFiles);
    if (pCounters != nullptr) {
        csOut += ", \"counters\": ";
        appendCounters(csOut, *pCounters);
    }
    csOut += '}';
}

std::int64_t fileCount(std::size_t nFiles) { return static_cast<std::int64_t>(nFiles); }

void appendProjectComparison(std::string& csOut, const ProjectComparison& comparison)
{
    csOut += "{\"directory\": ";
    AppendJsonString(csOut, comparison.csDirectory);
    csOut += ", \"status\": \"";
    csOut += ProjectChangeName(comparison.change);
    csOut += "\",\n        \"before\": ";
    const SavedProject* const pBefore = comparison.pBefore;
    const LineCounters* const pBeforeCounters = pBefore != nullptr && pBefore->counters ? &*pBefore->counters : nullptr;
    if (pBefore == nullptr)
        csOut += "null";
    else
        appendFilesAndCounters(csOut, fileCount(pBefore->nFiles), pBeforeCounters);
    csOut += ",\n        \"change\": ";
    // What is absent on one side counts as zero there; unknown old counters give no change.
    const LineCounters nothing;
    const LineCounters& now = comparison.pNow != nullptr ? comparison.pNow->counters : nothing;
    const LineCounters change = difference(now, pBeforeCounters != nullptr ? *pBeforeCounters : nothing);
    const bool bCountersKnown = pBefore == nullptr || pBeforeCounters != nullptr;
    appendFilesAndCounters(csOut,
        fileCount(comparison.pNow != nullptr ? comparison.pNow->files.size() : 0)
            - fileCount(pBefore != nullptr ? pBefore->nFiles : 0),
        bCountersKnown ? &change : nullptr);
    csOut += '}';
}

void appendComparison(std::string& csOut, const ReportSummary& summary, const ReportOptions& options)
{
    const SavedReport& before = *options.pBefore;
    csOut += ",\n  \"compare\": {\n    \"before\": {\"generated\": ";
    if (before.csGenerated)
        AppendJsonString(csOut, *before.csGenerated);
    else
        csOut += "null";
    csOut += ", \"files\": " + std::to_string(before.nFiles) + ", \"counters\": ";
    appendCounters(csOut, before.counters);
    csOut += ",\n      \"rows\": ";
    appendRows(csOut, BuildReport(before.counters), "      ");
    csOut += "},\n    \"change\": ";
    const LineCounters change = difference(summary.counters, before.counters);
    appendFilesAndCounters(csOut, fileCount(summary.nFiles) - fileCount(before.nFiles), &change);
    if (options.bByProject) {
        csOut += ",\n    \"projects\": [";
        const std::vector<ProjectComparison> projects = CompareProjects(summary.projects, before.projects);
        for (std::size_t i = 0; i < projects.size(); ++i) {
            csOut += i > 0 ? ",\n      " : "\n      ";
            appendProjectComparison(csOut, projects[i]);
        }
        csOut += projects.empty() ? "]" : "\n    ]";
    }
    csOut += "\n  }";
}

std::string textTable(const Report& report)
{
    TextLines lines(1);
    std::vector<ColumnAlignment> alignments;
    for (const ReportColumn& column : REPORT_COLUMNS) {
        lines[0].push_back(trimmed(column.pszHeading));
        alignments.push_back(column.alignment);
    }
    for (const ReportRow& row : report)
        lines.emplace_back(row.begin(), row.end());
    return formatAligned(lines, alignments);
}

std::string percentOrDash(const std::string& csCell)
{
    const std::string csValue = trimmed(csCell);
    return csValue.empty() ? "-" : csValue;
}

std::string projectsComparisonText(const ReportSummary& summary, const SavedReport& before)
{
    const ColumnAlignment left = ColumnAlignment::Left;
    const ColumnAlignment right = ColumnAlignment::Right;
    TextLines lines { { "project", "files", "change", "lines", "change", "directory" } };
    for (const ProjectComparison& comparison : CompareProjects(summary.projects, before.projects)) {
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

} // namespace

std::string FormatTextTable(const Report& report) { return textTable(report); }

std::string FormatTsv(const Report& report) { return tsvRows(report, nullptr); }

std::string FormatJson(const ReportSummary& summary, const ReportOptions& options)
{
    std::string csOut = "{\n  \"version\": ";
    AppendJsonString(csOut, ReportVersionNumber());
    csOut += ",\n  \"generated\": ";
    AppendJsonString(csOut, options.csGenerated);
    csOut += ",\n  \"files\": " + std::to_string(summary.nFiles);
    csOut += ",\n  \"folders_unreadable\": " + std::to_string(TotalUnreadable(summary.projects).nCount);
    csOut += ",\n  \"projects\": [";
    for (std::size_t i = 0; i < summary.projects.size(); ++i) {
        csOut += i > 0 ? ",\n    " : "\n    ";
        appendProject(csOut, summary.projects[i], options.bByProject);
    }
    csOut += summary.projects.empty() ? "],\n" : "\n  ],\n";
    csOut += "  \"counters\": ";
    appendCounters(csOut, summary.counters);
    csOut += ",\n  \"rows\": ";
    appendRows(csOut, summary.report, "  ");
    if (options.pBefore != nullptr)
        appendComparison(csOut, summary, options);
    csOut += "\n}\n";
    return csOut;
}

std::string FormatComparisonText(const ReportSummary& summary, const ReportOptions& options)
{
    const SavedReport& before = *options.pBefore;
    std::string csOut = "Compared with the report of "
        + (before.csGenerated ? *before.csGenerated : std::string("an unknown date")) + ":\n";
    const ColumnAlignment right = ColumnAlignment::Right;
    TextLines counters { { "counter", "before", "now", "change" },
        { "files", std::to_string(before.nFiles), std::to_string(summary.nFiles),
            SignedText(fileCount(summary.nFiles) - fileCount(before.nFiles)) } };
    for (const CounterField& field : COUNTER_FIELDS) {
        const std::int64_t nBefore = before.counters.*field.pMember;
        const std::int64_t nNow = summary.counters.*field.pMember;
        counters.push_back(
            { field.pszName, std::to_string(nBefore), std::to_string(nNow), SignedText(nNow - nBefore) });
    }
    csOut += formatAligned(counters, { ColumnAlignment::Left, right, right, right });

    csOut += '\n';
    const Report reportBefore = BuildReport(before.counters);
    TextLines percents { { "%", "before", "now" } };
    for (const std::size_t nRow : PERCENT_ROWS) {
        const ReportRow& row = summary.report[nRow];
        std::string csLabel = row[0];
        if (!row[COMMENT_COLUMN].empty())
            csLabel += " (" + row[COMMENT_COLUMN] + ")";
        percents.push_back(
            { csLabel, percentOrDash(reportBefore[nRow][PERCENT_COLUMN]), percentOrDash(row[PERCENT_COLUMN]) });
    }
    csOut += formatAligned(percents, { ColumnAlignment::Left, right, right });
    if (options.bByProject) {
        csOut += '\n';
        csOut += projectsComparisonText(summary, before);
    }
    return csOut;
}

std::string FormatReport(OutputFormat format, const ReportSummary& summary, const ReportOptions& options)
{
    if (format == OutputFormat::Json)
        return FormatJson(summary, options);
    std::string csOut;
    if (format == OutputFormat::Tsv) {
        if (!options.bByProject)
            return tsvRows(summary.report, nullptr);
        for (const ProjectRun& project : summary.projects)
            csOut += tsvRows(BuildReport(project.counters), &project.csDirectory);
        const std::string csTotal = "*";
        return csOut + tsvRows(summary.report, &csTotal);
    }
    if (options.bByProject) {
        for (const ProjectRun& project : summary.projects)
            csOut += project.csDirectory + "\n" + textTable(BuildReport(project.counters)) + "\n";
        csOut += "All projects\n";
    }
    csOut += textTable(summary.report);
    if (options.pBefore != nullptr)
        csOut += "\n" + FormatComparisonText(summary, options);
    return csOut;
}
