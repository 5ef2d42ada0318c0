#include "HtmlExport.h"

#include "HistoryTable.h"
#include "HtmlTable.h"
#include "LineKinds.h"

namespace {

std::vector<std::vector<std::string>> tableRows(const ReportRows& rows)
{
    std::vector<std::vector<std::string>> cells;
    for (const ReportRow& row : rows)
        cells.emplace_back(row.begin(), row.end());
    return cells;
}

// The simple rules' page keeps the heading it always had.
std::string headingOf(CountingRules rules, const char* pszTitle = "Pindrel report")
{
    std::string csHeading = pszTitle;
    if (rules != CountingRules::Simple)
        csHeading += " (" + std::string(CountingRulesName(rules)) + " rules)";
    return csHeading;
}

// The page of a history: the chart of the kinds over time, then the table of every picked commit.
HtmlTable historyTable(const ReportModel& model)
{
    HtmlTable table;
    table.csTitle = "Pindrel";
    // No list sets these columns' widths: the cells do.
    for (const HistoryColumn& column : HistoryColumns(model.rules))
        table.columns.push_back({ column.csHeading, column.alignment == ColumnAlignment::Right, 0 });
    for (const HistoryPoint& point : model.history)
        table.rows.push_back(HistoryCells(point, model.rules));
    for (const ReportRowColors& colors : REPORT_ROW_COLORS)
        table.rowColors.push_back({ colors.crFore, colors.crBack });

    HtmlPage& page = table.page;
    page.csHeading = headingOf(model.rules, "Pindrel history");
    page.csDate = model.csPageDate;
    for (const ProjectRun& project : model.projects)
        page.projects.push_back(project.csDirectory);
    for (const auto& [csLabel, nLines] : HistoryKinds(LineCounters {}, model.rules))
        page.history.kinds.push_back(csLabel);
    for (const HistoryPoint& point : model.history) {
        HtmlHistoryPoint& drawn = page.history.points.emplace_back();
        drawn.nTime = point.nTime;
        drawn.csDay = point.csDate.substr(0, 10);
        for (const auto& [csLabel, nLines] : HistoryKinds(point.counters, model.rules))
            drawn.counts.push_back(nLines);
    }
    return table;
}

} // namespace

// The same page as the dialog's export of a list in its default layout.
FileStatus WriteHtmlReport(const std::string& csPath, const ReportModel& model)
{
    if (!model.history.empty())
        return WriteHtmlFile(csPath, historyTable(model));
    HtmlTable table;
    table.csTitle = "Pindrel";
    for (const ReportColumn& column : REPORT_COLUMNS)
        table.columns.push_back({ column.pszHeading, column.alignment == ColumnAlignment::Right, column.nWidth });
    table.rows = tableRows(model.rows);
    for (const ReportRowColors& colors : REPORT_ROW_COLORS)
        table.rowColors.push_back({ colors.crFore, colors.crBack });

    HtmlPage& page = table.page;
    page.csHeading = headingOf(model.rules);
    page.csDate = model.csPageDate;
    for (const ProjectRun& project : model.projects)
        page.projects.push_back(project.csDirectory);
    for (const LineKind& kind : SplitLineKinds(model.counters))
        page.slices.push_back({ kind.pszLabel, kind.nLines });
    // Disabled lines are none of the four kinds; a fifth slice shows them where there are any.
    if (model.counters.nDisabledLines > 0)
        page.slices.push_back({ "Disabled", model.counters.nDisabledLines });
    if (model.bByProject) {
        page.csShareUnit = "code lines";
        for (std::size_t i = 0; i < model.projects.size(); ++i) {
            const ProjectRun& project = model.projects[i];
            page.sections.push_back(
                { project.csDirectory, tableRows(model.projectRows[i]), project.counters.nCodeLines });
        }
    }
    return WriteHtmlFile(csPath, table);
}
