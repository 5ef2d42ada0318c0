#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "CountingRules.h"
#include "FileSelection.h"
#include "LineCounters.h"
#include "ProjectRun.h"
#include "ReportComparison.h"
#include "StatisticsReport.h"

using ReportRows = std::vector<ReportRow>;

// What a saved report is compared with, worked out once for every writer.
struct ReportComparisonModel
{
    SavedReport before;
    ReportRows beforeRows;
    std::vector<ProjectComparison> projects; // with bByProject only; they point into the model's projects
};

// What the collection was limited to, and what that left out.
struct ReportScope
{
    bool bGitignore = false;
    std::vector<std::string> excludePatterns;
    ScopeCounts leftOut;

    // Whether any limit was asked for: only then do the outputs speak of scope.
    [[nodiscard]] bool Limited() const { return bGitignore || !excludePatterns.empty(); }
};

// One picked commit of a history report and what its tree held.
struct HistoryPoint
{
    std::string csCommit; // the full id
    std::string csDate;   // the commit's time, UTC ISO 8601
    std::int64_t nTime = 0; // the same, seconds since the epoch, for a time axis
    std::size_t nFiles = 0;
    LineCounters counters;
};

// One report as every output shows it: what was counted, under which rules, and
// what it is compared with. Built once; each writer reads it and none changes it.
// Whatever a report comes to show besides (what the collection left out, points
// over time) joins as a field here, and each writer reads it in one place.
struct ReportModel
{
    ReportModel() = default;
    ReportModel(ReportModel&&) = default; // moving keeps the projects where the comparison points
    ReportModel(const ReportModel&) = delete;
    ReportModel& operator=(const ReportModel&) = delete;

    CountingRules rules = CountingRules::Simple;
    std::vector<CounterField> counterFields; // the counters this report names, in order
    std::string csGenerated;                 // UTC ISO 8601, as --json carries it
    std::string csPageDate;                  // the same moment as the page shows it
    bool bByProject = false;

    std::size_t nFiles = 0;
    UnreadableFolders unreadable; // the folders below the projects that could not be read
    LineCounters counters; // the total over all projects
    ReportRows rows;

    std::vector<ProjectRun> projects;
    std::vector<ReportRows> projectRows; // one per project, with bByProject only

    std::optional<ReportComparisonModel> comparison;

    ReportScope scope;
    std::vector<HistoryPoint> history; // oldest first; empty unless --history
};

// How the report is to be made, beyond what was counted.
struct ReportSettings
{
    CountingRules rules = CountingRules::Simple;
    bool bByProject = false;
    std::string csGenerated;
    std::string csPageDate;
};

// The report rows of the counters: the eight rows, and the disabled lines under the syntax rules.
[[nodiscard]] ReportRows BuildReportRows(const LineCounters& counters, CountingRules rules);

// The counters a report under these rules names: the seven, and nDisabledLines under the syntax rules.
[[nodiscard]] std::vector<CounterField> ReportCounterFields(CountingRules rules);

// Builds the model of the counted projects (their counters filled) and their total.
[[nodiscard]] ReportModel BuildReportModel(std::vector<ProjectRun> projects, const LineCounters& counters,
    const ReportSettings& settings, std::optional<SavedReport> before);
