#include "HistoryTable.h"

#include "LineKinds.h"

namespace {

// As git shortens ids in one-line logs.
constexpr std::size_t SHORT_ID_LENGTH = 7;

} // namespace

std::vector<std::pair<std::string, std::int64_t>> HistoryKinds(const LineCounters& counters, CountingRules rules)
{
    std::vector<std::pair<std::string, std::int64_t>> kinds;
    for (const LineKind& kind : SplitLineKinds(counters))
        kinds.emplace_back(kind.pszLabel, kind.nLines);
    // Disabled lines are none of the four kinds; under the syntax rules they are a fifth.
    if (rules == CountingRules::Syntax)
        kinds.emplace_back("Disabled", counters.nDisabledLines);
    return kinds;
}

std::vector<HistoryColumn> HistoryColumns(CountingRules rules)
{
    std::vector<HistoryColumn> columns { { "Date", ColumnAlignment::Left }, { "Commit", ColumnAlignment::Left },
        { "Files", ColumnAlignment::Right } };
    for (const auto& [csLabel, nLines] : HistoryKinds(LineCounters {}, rules))
        columns.push_back({ csLabel, ColumnAlignment::Right });
    columns.push_back({ "Code characters", ColumnAlignment::Right });
    return columns;
}

std::vector<std::string> HistoryCells(const HistoryPoint& point, CountingRules rules)
{
    std::vector<std::string> cells { point.csDate, point.csCommit.substr(0, SHORT_ID_LENGTH),
        std::to_string(point.nFiles) };
    for (const auto& [csLabel, nLines] : HistoryKinds(point.counters, rules))
        cells.push_back(std::to_string(nLines));
    cells.push_back(std::to_string(point.counters.nCodeChars));
    return cells;
}
