#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "LineCounters.h"
#include "ProjectRun.h"
#include "ReportArguments.h"
#include "ReportComparison.h"
#include "StatisticsReport.h"

// Everything one report run produced, as the formatters need it.
struct ReportSummary
{
    std::vector<ProjectRun> projects;
    std::size_t nFiles = 0;
    LineCounters counters; // the total over all projects
    Report report;
};

// What the command line asked of the output beyond its format.
struct ReportOptions
{
    bool bByProject = false;
    std::string csGenerated;              // UTC ISO 8601, carried by --json
    const SavedReport* pBefore = nullptr; // --compare: the report to compare with
};

// The column headings, a rule and the eight rows, each column padded to its
// widest cell and aligned as the results list aligns it.
[[nodiscard]] std::string FormatTextTable(const Report& report);

// Eight lines of five tab-joined cells, the cells exactly as the results list holds them.
[[nodiscard]] std::string FormatTsv(const Report& report);

// One JSON object: "version", "generated", "files", "projects", "counters",
// "rows", and "compare" when there is a report to compare with.
[[nodiscard]] std::string FormatJson(const ReportSummary& summary, const ReportOptions& options);

// The comparison with an earlier report as text: counters before, now and the
// change, the rows' percentages, and with bByProject the projects that changed.
[[nodiscard]] std::string FormatComparisonText(const ReportSummary& summary, const ReportOptions& options);

// The summary in the chosen format.
[[nodiscard]] std::string FormatReport(OutputFormat format, const ReportSummary& summary, const ReportOptions& options);
