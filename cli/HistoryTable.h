#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "ReportModel.h"
#include "StatisticsReport.h"

// A column of the history table as every writer shows it.
struct HistoryColumn
{
    std::string csHeading;
    ColumnAlignment alignment;
};

// Date, commit, files, the lines of each kind (disabled lines under the syntax rules) and the code characters.
[[nodiscard]] std::vector<HistoryColumn> HistoryColumns(CountingRules rules);

// One point's cells under those columns: the full date, the commit's short id, plain integers.
[[nodiscard]] std::vector<std::string> HistoryCells(const HistoryPoint& point, CountingRules rules);

// The labelled lines of each kind: the four kinds, and disabled lines under the syntax rules.
[[nodiscard]] std::vector<std::pair<std::string, std::int64_t>> HistoryKinds(
    const LineCounters& counters, CountingRules rules);
