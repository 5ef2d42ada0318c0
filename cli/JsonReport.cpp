#include "JsonReport.h"

#include <string_view>

#include "JsonText.h"
#include "ReportArguments.h"

namespace {

std::int64_t fileCount(std::size_t nFiles) { return static_cast<std::int64_t>(nFiles); }

void appendCounters(std::string& csOut, const std::vector<CounterField>& fields, const LineCounters& counters)
{
    csOut += '{';
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            csOut += ", ";
        csOut += '"';
        csOut += fields[i].pszName;
        csOut += "\": " + std::to_string(counters.*fields[i].pMember);
    }
    csOut += '}';
}

LineCounters difference(const LineCounters& now, const LineCounters& before)
{
    LineCounters change;
    for (const CounterField& field : COUNTER_FIELDS)
        change.*field.pMember = now.*field.pMember - before.*field.pMember;
    change.nDisabledLines = now.nDisabledLines - before.nDisabledLines;
    return change;
}

void appendRows(std::string& csOut, const ReportRows& rows, std::string_view csIndent)
{
    csOut += '[';
    for (std::size_t nRow = 0; nRow < rows.size(); ++nRow) {
        csOut += nRow > 0 ? ",\n" : "\n";
        csOut += csIndent;
        csOut += "  [";
        const ReportRow& row = rows[nRow];
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

void appendProject(std::string& csOut, const ReportModel& model, std::size_t nProject)
{
    const ProjectRun& project = model.projects[nProject];
    csOut += "{\"directory\": ";
    AppendJsonString(csOut, project.csDirectory);
    csOut += ", \"files\": " + std::to_string(project.files.size());
    if (model.bByProject) {
        csOut += ",\n      \"counters\": ";
        appendCounters(csOut, model.counterFields, project.counters);
        csOut += ",\n      \"rows\": ";
        appendRows(csOut, model.projectRows[nProject], "      ");
    }
    csOut += '}';
}

// {"files": N, "counters": {…}}; the counters left out when unknown.
void appendFilesAndCounters(
    std::string& csOut, const ReportModel& model, std::int64_t nFiles, const LineCounters* pCounters)
{
    csOut += "{\"files\": " + std::to_string(nFiles);
    if (pCounters != nullptr) {
        csOut += ", \"counters\": ";
        appendCounters(csOut, model.counterFields, *pCounters);
    }
    csOut += '}';
}

void appendProjectComparison(std::string& csOut, const ReportModel& model, const ProjectComparison& comparison)
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
        appendFilesAndCounters(csOut, model, fileCount(pBefore->nFiles), pBeforeCounters);
    csOut += ",\n        \"change\": ";
    // What is absent on one side counts as zero there; unknown old counters give no change.
    const LineCounters nothing;
    const LineCounters& now = comparison.pNow != nullptr ? comparison.pNow->counters : nothing;
    const LineCounters change = difference(now, pBeforeCounters != nullptr ? *pBeforeCounters : nothing);
    const bool bCountersKnown = pBefore == nullptr || pBeforeCounters != nullptr;
    appendFilesAndCounters(csOut, model,
        fileCount(comparison.pNow != nullptr ? comparison.pNow->files.size() : 0)
            - fileCount(pBefore != nullptr ? pBefore->nFiles : 0),
        bCountersKnown ? &change : nullptr);
    csOut += '}';
}

void appendComparison(std::string& csOut, const ReportModel& model, const ReportComparisonModel& comparison)
{
    const SavedReport& before = comparison.before;
    csOut += ",\n  \"compare\": {\n    \"before\": {\"generated\": ";
    if (before.csGenerated)
        AppendJsonString(csOut, *before.csGenerated);
    else
        csOut += "null";
    csOut += ", \"files\": " + std::to_string(before.nFiles) + ", \"counters\": ";
    appendCounters(csOut, model.counterFields, before.counters);
    csOut += ",\n      \"rows\": ";
    appendRows(csOut, comparison.beforeRows, "      ");
    csOut += "},\n    \"change\": ";
    const LineCounters change = difference(model.counters, before.counters);
    appendFilesAndCounters(csOut, model, fileCount(model.nFiles) - fileCount(before.nFiles), &change);
    if (model.bByProject) {
        csOut += ",\n    \"projects\": [";
        for (std::size_t i = 0; i < comparison.projects.size(); ++i) {
            csOut += i > 0 ? ",\n      " : "\n      ";
            appendProjectComparison(csOut, model, comparison.projects[i]);
        }
        csOut += comparison.projects.empty() ? "]" : "\n    ]";
    }
    csOut += "\n  }";
}

// What a history counted: git's tracked files, less the exclude patterns. Nothing is
// counted of what the tree leaves out, so no figure of it is given.
void appendHistoryScope(std::string& csOut, const ReportScope& scope)
{
    csOut += ",\n  \"scope\": {\"gitignore\": ";
    csOut += scope.bGitignore ? "true" : "false";
    csOut += ", \"exclude\": [";
    for (std::size_t i = 0; i < scope.excludePatterns.size(); ++i) {
        if (i > 0)
            csOut += ", ";
        AppendJsonString(csOut, scope.excludePatterns[i]);
    }
    csOut += "]}";
}

void appendHistory(std::string& csOut, const ReportModel& model)
{
    appendHistoryScope(csOut, model.scope);
    csOut += ",\n  \"history\": [";
    for (std::size_t i = 0; i < model.history.size(); ++i) {
        const HistoryPoint& point = model.history[i];
        csOut += i > 0 ? ",\n    {\"commit\": " : "\n    {\"commit\": ";
        AppendJsonString(csOut, point.csCommit);
        csOut += ", \"date\": ";
        AppendJsonString(csOut, point.csDate);
        csOut += ", \"files\": " + std::to_string(point.nFiles) + ",\n      \"counters\": ";
        appendCounters(csOut, model.counterFields, point.counters);
        csOut += '}';
    }
    csOut += model.history.empty() ? "]" : "\n  ]";
}

} // namespace

std::string WriteJsonReport(const ReportModel& model)
{
    std::string csOut = "{\n  \"version\": ";
    AppendJsonString(csOut, ReportVersionNumber());
    csOut += ",\n  \"generated\": ";
    AppendJsonString(csOut, model.csGenerated);
    csOut += ",\n  \"rules\": ";
    AppendJsonString(csOut, CountingRulesName(model.rules));
    if (!model.history.empty()) {
        appendHistory(csOut, model);
        csOut += "\n}\n";
        return csOut;
    }
    csOut += ",\n  \"files\": " + std::to_string(model.nFiles);
    csOut += ",\n  \"folders_unreadable\": " + std::to_string(model.unreadable.nCount);
    csOut += ",\n  \"projects\": [";
    for (std::size_t i = 0; i < model.projects.size(); ++i) {
        csOut += i > 0 ? ",\n    " : "\n    ";
        appendProject(csOut, model, i);
    }
    csOut += model.projects.empty() ? "],\n" : "\n  ],\n";
    csOut += "  \"counters\": ";
    appendCounters(csOut, model.counterFields, model.counters);
    csOut += ",\n  \"rows\": ";
    appendRows(csOut, model.rows, "  ");
    if (model.comparison)
        appendComparison(csOut, model, *model.comparison);
    csOut += "\n}\n";
    return csOut;
}
