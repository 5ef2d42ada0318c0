#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "LineCounters.h"
#include "ProjectRun.h"
#include "ReportArguments.h"
#include "StatisticsReport.h"

// Everything one report run produced, as the formatters need it.
struct ReportSummary
{
    std::vector<ProjectRun> projects;
    std::size_t nFiles = 0;
    LineCounters counters;
    Report report;
};

// The column headings, a rule and the eight rows, each column padded to its
// widest cell and aligned as the results list aligns it.
[[nodiscard]] std::string FormatTextTable(const Report& report);

// Eight lines of five tab-joined cells, the cells exactly as the results list holds them.
[[nodiscard]] std::string FormatTsv(const Report& report);

// One JSON object: "files", "projects", "counters" and "rows".
[[nodiscard]] std::string FormatJson(const ReportSummary& summary);

// The summary in the chosen format.
[[nodiscard]] std::string FormatReport(OutputFormat format, const ReportSummary& summary);
